// The shared resources: the load on its own thread, accessors that wait for
// it, and a write-back that never loses the user's words.
#include "MethodFixture.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include "BeNuvResources.h"


namespace {

const char* const kHeaders = ";; okuri-ari entries.\n;; okuri-nasi entries.\n";


// Typed `keys` one byte each; what the automaton confirmed (EUC-JP).
std::string
Convert(NuvInteractiveConverter* automaton, const std::string& keys)
{
	for (char key : keys)
		automaton->Input(nuv_input(static_cast<uint8>(key)));
	return automaton->Confirmed();
}


bool
LoaderIsRunning()
{
	for (const headless_thread_info& thread : HeadlessDisplay::Threads()) {
		if (thread.name == "nuv resource initiarizing.") {
			EXPECT_EQ(B_NORMAL_PRIORITY, thread.priority);
			if (thread.started && !thread.finished)
				return true;
		}
	}
	return false;
}


bool
NoticeIsShown()
{
	headless_window_info notice;
	return HeadlessDisplay::FindWindow("nuv wake up!", &notice)
		&& !notice.hidden;
}

}	// namespace


// The control-key table reaches all three automata, each after the
// automaton's own table, so that its bindings win. Fault: tables and
// NUV-JISYO.L saved as UTF-8 put 0x1A and C1 control bytes into the
// document, and the dictionary offered nothing. Such a file is converted as
// it is read, a file in neither encoding read as it stands, and each named
// once in a notice window that goes when the resources go.
TEST(Resources, TablesAreReadInOrderAndUtf8FilesConvertedAndNamedOnce)
{
	SettingsDirectory settings(kTestSettings);
	WriteFile(settings.File("roman_kana.table"), "a あ\nka か\nzq ほげ\n");
	WriteFile(settings.File("roman_zennei.table"), Euc("a ａ\nzq ＿\n"));
	WriteFile(settings.File("control_key.table"), "zq #\nzz \xFF\n");
	WriteFile(settings.File("NUV-JISYO.L"), "かんじ /漢字/\n");

	std::vector<std::string> notices;
	{
		BeNuvResources resources;
		EXPECT_EQ(Euc("かあ#"), Convert(resources.Converter(MODE_HIRAKANA),
			"kaazq"));
		EXPECT_EQ(Euc("ａ#"), Convert(resources.Converter(MODE_ZENEI), "azq"));
		EXPECT_EQ("#\xFF", Convert(resources.Converter(MODE_ASCII), "azqzz"));
		EXPECT_THAT(resources.Dictionary()->FindEntry(Candidate("かんじ", ""))
			.stems, testing::ElementsAre(Euc("漢字")));

		for (const headless_window_info& window : HeadlessDisplay::Windows()) {
			if (window.title != "nuv wake up!" && !window.hidden)
				notices.push_back(window.title);
		}
	}
	EXPECT_THAT(notices, testing::UnorderedElementsAre(
		"converted from UTF-8: roman_kana.table",
		"neither EUC-JP nor UTF-8: control_key.table",
		"converted from UTF-8: NUV-JISYO.L"));
	EXPECT_TRUE(HeadlessDisplay::Windows().empty());
}


// The load held at NUV-JISYO.L, a named pipe until the test writes the
// dictionary into it (the user dictionary is never read from one), with the
// notice on screen: an accessor called meanwhile returns only after the
// load, and destruction finishes the load before it writes the user's words.
TEST(Resources, AccessorAndDestructionDuringTheLoadWaitForIt)
{
	for (bool destroy : {false, true}) {
		SCOPED_TRACE(destroy ? "destruction" : "accessor");
		SettingsDirectory settings(kTestSettings);
		unlink(settings.File("NUV-JISYO.L").c_str());
		ASSERT_EQ(0, mkfifo(settings.File("NUV-JISYO.L").c_str(), 0600));
		const std::string words = Euc("かんじ /漢字/\n");
		WriteFile(settings.File(".nuv-jisyo"), words);

		BeNuvResources* resources = new BeNuvResources();
		std::atomic<size_t> items(SIZE_MAX);	// until the other returns
		std::thread other([&] {
			if (destroy)
				delete resources;
			items = destroy ? 0 : resources->Dictionary()->CountItems();
		});
		std::this_thread::sleep_for(std::chrono::milliseconds(100));
		EXPECT_EQ(SIZE_MAX, items.load());
		EXPECT_TRUE(LoaderIsRunning());
		EXPECT_TRUE(NoticeIsShown());
		EXPECT_EQ(words, ReadFile(settings.File(".nuv-jisyo")));

		std::ofstream(settings.File("NUV-JISYO.L"))
			<< Euc("あ /亜/\nい /伊/\nう /宇/\n");
		other.join();
		EXPECT_EQ(destroy ? 0u : 3u, items.load());
		EXPECT_FALSE(NoticeIsShown());
		if (!destroy)
			delete resources;
		EXPECT_FALSE(LoaderIsRunning());
		EXPECT_EQ(kHeaders + words, ReadFile(settings.File(".nuv-jisyo")));
	}
}


// Fault: a settings file that was a directory was read to the end the
// directory reports (the largest file offset on ext4), and the allocation
// killed the method at start-up. It reads as empty.
TEST(Resources, EmptySettingsDirectoryStartsAndWritesTheTwoHeaderLines)
{
	SettingsDirectory settings("");
	ASSERT_EQ(0, mkdir(settings.File("NUV-JISYO.L").c_str(), 0700));
	{
		BeNuvResources resources;
		EXPECT_EQ(INPUT_IGNORED,
			resources.Converter(MODE_HIRAKANA)->Input(nuv_input('a')));
		EXPECT_EQ(0u, resources.Dictionary()->CountItems());
		EXPECT_EQ(0u, resources.UserDictionary()->CountEntries());
	}
	EXPECT_EQ(kHeaders, ReadFile(settings.File(".nuv-jisyo")));
}
