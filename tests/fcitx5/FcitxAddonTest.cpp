// The fcitx5 input method inside fcitx5's own instance, with fcitx5's test
// front end playing the applications: what reaches them, in which order,
// what the panel shows, and what is saved when the instance ends. Each test
// is a list of steps run from a timer of fcitx5's loop, a step that returns
// false being tried again a moment later (the method may deliver through
// the loop) until a deadline, which fails the test.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <fcitx-utils/event.h>
#include <fcitx-utils/testing.h>
#include <fcitx/action.h>
#include <fcitx/addonmanager.h>
#include <fcitx/candidatelist.h>
#include <fcitx/event.h>
#include <fcitx/inputcontextmanager.h>
#include <fcitx/inputmethodgroup.h>
#include <fcitx/inputmethodmanager.h>
#include <fcitx/inputpanel.h>
#include <fcitx/instance.h>
#include <fcitx/userinterfacemanager.h>
#include <gtest/gtest.h>
#include <testfrontend_public.h>

#include "Scratch.h"

namespace {

const uint64_t kDeadline = 30000000;	// µs, for a machine under load

typedef std::function<bool()> Step;


class FcitxAddon : public ::testing::Test {
protected:
	void SetUp() override
	{
		std::filesystem::create_directories(fWork + "/config/nuvim");
		setenv("XDG_CONFIG_HOME", (fWork + "/config").c_str(), 1);
		setenv("HOME", fWork.c_str(), 1);
		// Help opens through xdg-open: this one writes down what it got.
		const std::string opener = fWork + "/bin/xdg-open";
		WriteFile(opener, "#!/bin/sh\nprintf '%s' \"$1\" > " + fWork
			+ "/opened\n");
		chmod(opener.c_str(), 0755);
		setenv("PATH", (fWork + "/bin:" + getenv("PATH")).c_str(), 1);
		fcitx::setupTestingEnvironment(NUV_BUILD_BIN, {NUV_BUILD_BIN},
			{NUV_FCITX5_DATA});
	}

	// Runs `steps` in a new instance with nuvim as its input method (and
	// the test keyboard as the other) and one input context, which has the
	// focus; ends the instance.
	void Run(std::vector<Step> steps)
	{
		static char name[] = "nuvim-fcitx5-test";
		static char disable[] = "--disable=all";
		static char enable[] = "--enable=testfrontend,testui,testim,nuvim";
		char* arguments[] = {name, disable, enable};
		fInstance = std::make_unique<fcitx::Instance>(3, arguments);
		fInstance->addonManager().registerDefaultLoader(nullptr);

		std::vector<Step> all = {[this] {
			fcitx::InputMethodGroup group
				= fInstance->inputMethodManager().currentGroup();
			group.inputMethodList() = {fcitx::InputMethodGroupItem("nuvim"),
				fcitx::InputMethodGroupItem("keyboard-us")};
			group.setDefaultInputMethod("");
			fInstance->inputMethodManager().setGroup(group);
			fContexts.push_back(NewContext());
			fWatchers.push_back(fInstance->watchEvent(
				fcitx::EventType::InputContextCommitString,
				fcitx::EventWatcherPhase::Default, [this](fcitx::Event& event) {
					// A commit right after another is logged with it.
					auto& commit
						= static_cast<fcitx::CommitStringEvent&>(event);
					const std::string what
						= Tag(commit.inputContext()) + "commit:";
					if (!fLog.empty() && fLog.back().rfind(what, 0) == 0)
						fLog.back() += commit.text();
					else
						fLog.push_back(what + commit.text());
				}));
			fWatchers.push_back(fInstance->watchEvent(
				fcitx::EventType::InputContextForwardKey,
				fcitx::EventWatcherPhase::Default, [this](fcitx::Event& event) {
					auto& forward
						= static_cast<fcitx::ForwardKeyEvent&>(event);
					if (!forward.isRelease()) {
						fLog.push_back(Tag(forward.inputContext()) + "forward:"
							+ forward.rawKey().toString());
					}
				}));
			return true;
		}};
		all.insert(all.end(), steps.begin(), steps.end());
		size_t at = 0;
		const uint64_t deadline = fcitx::now(CLOCK_MONOTONIC) + kDeadline;
		auto timer = fInstance->eventLoop().addTimeEvent(CLOCK_MONOTONIC,
			fcitx::now(CLOCK_MONOTONIC), 0,
			[&](fcitx::EventSourceTime* source, uint64_t) {
				while (at < all.size() && !HasFatalFailure() && all[at]())
					at++;
				if (at == all.size() || HasFatalFailure()
					|| fcitx::now(CLOCK_MONOTONIC) > deadline) {
					fInstance->exit();
					return true;
				}
				source->setNextInterval(2000);
				source->setOneShot();
				return true;
			});
		fInstance->exec();
		std::string received;
		for (const std::string& entry : fLog)
			received += "[" + entry + "] ";
		EXPECT_EQ(at, all.size()) << "stuck at step " << at << "; received: "
			<< received;
		fWatchers.clear();
		timer.reset();
		// A load still waiting on the pipe ends at its end of file.
		if (!fPipe.empty()) {
			const int fd = open(fPipe.c_str(), O_WRONLY | O_NONBLOCK);
			if (fd >= 0)
				close(fd);
		}
		// Unloads the addon, which saves the user dictionary.
		fInstance.reset();
		fContexts.clear();
	}

	fcitx::InputContext* NewContext()
	{
		fcitx::AddonInstance* frontend
			= fInstance->addonManager().addon("testfrontend");
		const fcitx::ICUUID uuid = frontend->call<
			fcitx::ITestFrontend::createInputContext>("nuvim-test");
		fcitx::InputContext* context
			= fInstance->inputContextManager().findByUUID(uuid);
		context->setCapabilityFlags(fcitx::CapabilityFlag::Preedit);
		context->focusIn();
		return context;
	}

	// Types `keys` into context `index`: a character is its key, <Name> a
	// key by fcitx5's name. A key the method hands back goes to the log at
	// once as "key:", one it forwards as "forward:" when it arrives.
	Step Type(const std::string& keys, size_t index = 0)
	{
		return [this, keys, index] {
			fcitx::InputContext* context = fContexts[index];
			for (size_t i = 0; i < keys.size(); i++) {
				fcitx::Key key;
				if (keys[i] == '<') {
					const size_t end = keys.find('>', i);
					key = fcitx::Key(keys.substr(i + 1, end - i - 1));
					i = end;
				} else
					key = fcitx::Key(fcitx::Key::keySymFromUnicode(keys[i]));
				fcitx::KeyEvent event(context, key);
				if (!context->keyEvent(event))
					fLog.push_back(Tag(context) + "key:" + key.toString());
				fcitx::KeyEvent release(context, key, true);
				context->keyEvent(release);
			}
			return true;
		};
	}

	// Waits until the log is `expected`; then empties it.
	Step Expect(std::vector<std::string> expected)
	{
		return [this, expected] {
			if (fLog != expected)
				return false;
			fLog.clear();
			return true;
		};
	}

	Step Do(std::function<void()> action)
	{
		return [action] {
			action();
			return true;
		};
	}

	// Context 0 is the log's default; others are named by their index.
	std::string Tag(fcitx::InputContext* context) const
	{
		for (size_t i = 1; i < fContexts.size(); i++) {
			if (fContexts[i] == context)
				return std::to_string(i) + ":";
		}
		return "";
	}

	std::string Preedit(size_t index = 0) const
	{
		return fContexts[index]->inputPanel().clientPreedit().toString();
	}

	fcitx::CandidateList* Candidates()
	{
		return fContexts[0]->inputPanel().candidateList().get();
	}

	ScratchDirectory fScratch;
	const std::string fWork = fScratch.Path();
	std::string fPipe;
	std::unique_ptr<fcitx::Instance> fInstance;
	std::vector<fcitx::InputContext*> fContexts;
	std::vector<std::unique_ptr<fcitx::HandlerTableEntry<fcitx::EventHandler>>>
		fWatchers;
	std::vector<std::string> fLog;
};


// What typing gives the application, in order: commits (joined when
// consecutive), keys the method hands back, keys it forwards after its text.
const std::pair<const char*, std::vector<std::string>> kTyping[] = {
	{"nihongo", {"commit:にほんご"}},
	{"Kanji<space><Control+j>", {"commit:漢字"}},
	{"Kanji<Return>", {"commit:かんじ", "forward:Return"}},
	{"<Alt+x>", {"key:Alt+x"}},
	// Latin input: keys go to the application; control-J comes back
	{"la<Control+j>i", {"key:a", "commit:い"}},
	// Escape cancels the reading and commits nothing
	{"Kanji<Escape><Escape>u", {"key:Escape", "commit:う"}},
};


TEST_F(FcitxAddon, TypingReachesTheApplicationInOrder)
{
	std::vector<Step> steps;
	for (const auto& typing : kTyping) {
		steps.push_back(Type(typing.first));
		steps.push_back(Expect(typing.second));
	}
	Run(steps);
}


// The reading is the clause, underlined; a conversion highlights its
// candidate. Four candidates of かんじ are offered inline; the fifth space
// opens the page of the next seven. A word picked is learned, comes first
// from then on, and is saved to the user dictionary when the instance ends.
TEST_F(FcitxAddon, PreeditFormatsAndCandidatePagesPickedByLabelOrClick)
{
	// The parts of the preedit shown with `flag`, joined.
	auto shownWith = [this](fcitx::TextFormatFlag flag) {
		const fcitx::Text& text = fContexts[0]->inputPanel().clientPreedit();
		std::string parts;
		for (size_t i = 0; i < text.size(); i++) {
			if (text.formatAt(i) & flag)
				parts += text.stringAt(i);
		}
		return parts;
	};
	Run({
		Type("Kanji"),
		[this] { return Preedit() == "▽かんじ"; },
		Do([&, this] {
			EXPECT_EQ(shownWith(fcitx::TextFormatFlag::Underline), "▽かんじ");
			EXPECT_EQ(shownWith(fcitx::TextFormatFlag::HighLight), "");
			EXPECT_EQ(fContexts[0]->inputPanel().clientPreedit().cursor(),
				static_cast<int>(Preedit().size()));
			// Without preedit in the client, the panel shows it.
			EXPECT_EQ(fContexts[0]->inputPanel().preedit().toString(), "");
		}),
		Type("<space>"),
		[this] { return Preedit() == "▼漢字"; },
		Do([&] {
			EXPECT_EQ(shownWith(fcitx::TextFormatFlag::HighLight), "漢字");
		}),
		Type("<space><space><space><space>"),
		[this] { return Candidates() != nullptr; },
		Do([this] {
			fcitx::CandidateList* list = Candidates();
			std::string page;
			for (int i = 0; i < list->size(); i++) {
				page += list->label(i).toString()
					+ list->candidate(i).text().toString() + " ";
			}
			EXPECT_EQ(page, "A:監事 S:莞爾 D:換字 F:神路 J:完二 K:寛治 L:幹治 ");
			const std::string aux
				= fContexts[0]->inputPanel().auxUp().toString();
			EXPECT_EQ(aux.rfind("[残り ", 0), 0u) << aux;
			EXPECT_EQ(aux.back(), ']');
		}),
		Type("s"),
		Expect({"commit:莞爾"}),
		[this] { return Candidates() == nullptr && Preedit().empty(); },
		Type("Kanji<space>"),
		[this] { return Preedit() == "▼莞爾"; },
		Type("<space><space><space><space>"),
		// A click while the method is still busy is ignored, as a person's
		// would be: clicked until the word arrives. The page now starts at
		// 完治, which 莞爾 pushed off the inline four.
		[this] {
			if (fLog.empty() && Candidates() != nullptr)
				Candidates()->candidate(2).select(fContexts[0]);
			return !fLog.empty();
		},
		Expect({"commit:換字"}),
	});
	const std::string saved = ReadFile(fWork + "/config/nuvim/.nuv-jisyo");
	// 換字 and 莞爾 in EUC-JP.
	EXPECT_NE(saved.find("/\xB4\xB9\xBB\xFA/\xB4\xD0\xBC\xA4/"),
		std::string::npos) << saved;
}


// The mode label, in the status area's action and as fcitx5's label of the
// input method, after each key that changes the mode; the help action opens
// the bundled page (the user has none of their own) through xdg-open.
TEST_F(FcitxAddon, StatusActionsShowTheModeAndOpenHelp)
{
	const std::pair<const char*, const char*> kModes[] = {
		{"", "かな"}, {"q", "カナ"}, {"q", "かな"}, {"l", "NUV"},
		{"<Control+j>", "かな"}, {"L", "全英"}, {"<Control+j>", "かな"},
		{"/", "aあ"}, {"<Control+g>", "かな"},
	};
	std::vector<Step> steps;
	for (const auto& mode : kModes) {
		const std::string label = mode.second;
		steps.push_back(Type(mode.first));
		steps.push_back([this, label] {
			return fInstance->userInterfaceManager().lookupAction("nuvim-mode")
					->shortText(fContexts[0]) == label
				&& fInstance->inputMethodLabel(fContexts[0]) == label;
		});
	}
	steps.push_back(Do([this] {
		fInstance->userInterfaceManager().lookupAction("nuvim-help")
			->activate(fContexts[0]);
	}));
	steps.push_back([this] {
		return ReadFile(fWork + "/opened")
			== NUV_SETTINGS_SOURCE_DIR "/help/index.html";
	});
	Run(steps);
}


// When the focus leaves, or the user switches to another input method, the
// composition goes into the document as shown, without the method's markers
// and without romaji not yet kana: on focus out fcitx5 commits it from the
// preedit's committable parts, on a switch the method itself. A reset the
// application asks for commits the same and keeps the romaji composing.
TEST_F(FcitxAddon, FocusLeavingOrSwitchingAwayCommitsWithoutMarkers)
{
	auto switchTo = [this](const char* name) {
		return Do([this, name] {
			fInstance->setCurrentInputMethod(fContexts[0], name, true);
		});
	};
	Run({
		Type("Kanji<space>"),
		[this] { return Preedit() == "▼漢字"; },
		Do([this] {
			fContexts[0]->focusOut();
			fContexts.push_back(NewContext());
		}),
		Expect({"commit:漢字"}),
		[this] { return Preedit(0).empty(); },
		Type("Nihong", 1),
		[this] { return Preedit(1) == "▽にほんg"; },
		Do([this] {
			fContexts[1]->focusOut();
			fContexts[0]->focusIn();
		}),
		Expect({"1:commit:にほん"}),
		// Back in the first: a new composition, nothing left from before.
		Type("a", 0),
		Expect({"commit:あ"}),
		Type("nihong", 0),
		Do([this] { fContexts[0]->reset(); }),
		Type("o", 0),
		Expect({"commit:にほんご"}),
		Type("Kanji<space>"),
		[this] { return Preedit() == "▼漢字"; },
		switchTo("keyboard-us"),
		Expect({"commit:漢字"}),
		[this] { return Preedit().empty(); },
		switchTo("nuvim"),
		Type("Nihong"),
		[this] { return Preedit() == "▽にほんg"; },
		switchTo("keyboard-us"),
		Expect({"commit:にほん"}),
		[this] { return Preedit().empty(); },
	});
}


// The large dictionary is a pipe that the test fills only after typing: the
// method cannot finish loading before, so every key returned without waiting
// for it, taken. What the keys did arrives afterwards through fcitx5's loop,
// in the order typed, the key the method passes on last.
TEST_F(FcitxAddon, KeysDuringASlowLoadAreQueuedAndDeliveredInOrder)
{
	fPipe = fWork + "/config/nuvim/NUV-JISYO.L";
	ASSERT_EQ(mkfifo(fPipe.c_str(), 0600), 0);
	Run({
		Type("Kanji<space><Control+j><Alt+x>"),
		Do([this] {
			EXPECT_TRUE(fLog.empty()) << ::testing::PrintToString(fLog);
			std::ofstream(fPipe, std::ios::binary)
				<< ReadFile(NUV_SETTINGS_SOURCE_DIR "/NUV-JISYO.L");
		}),
		Expect({"commit:漢字", "forward:Alt+x"}),
	});
}

}	// namespace
