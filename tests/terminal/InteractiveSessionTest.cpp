// The interactive nuvim in a real terminal (tmux): keys typed, the screen
// read back, the document and the user dictionary left behind; terminals
// it cannot draw on; and the installed program, run from a temporary
// prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "NuvimProcess.h"
#include "Scratch.h"


namespace fs = std::filesystem;

using Screen = std::vector<std::string>;
using Ready = std::function<bool(const Screen&)>;


namespace {

// Long enough for a sanitizer build to load the large dictionary.
const std::chrono::seconds kTimeout(60);


int
Shell(const std::string& command)
{
	const int status = system(command.c_str());
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


// The line without its trailing blanks.
std::string
Trim(const std::string& line)
{
	const size_t end = line.find_last_not_of(' ');
	return end == std::string::npos ? std::string() : line.substr(0, end + 1);
}


int
RowContaining(const Screen& screen, const std::string& text)
{
	for (size_t i = 0; i < screen.size(); i++) {
		if (screen[i].find(text) != std::string::npos)
			return static_cast<int>(i);
	}
	return -1;
}


// The first row begins with `text`.
Ready
Starts(const std::string& text)
{
	return [text](const Screen& s) {
		return !s.empty() && s[0].compare(0, text.size(), text) == 0;
	};
}


// The first row is `text` alone.
Ready
Shows(const std::string& text)
{
	return [text](const Screen& s) { return !s.empty() && Trim(s[0]) == text; };
}


// The status line, the last row, holds `text`.
Ready
Status(const std::string& text)
{
	return [text](const Screen& s) {
		return !s.empty() && s.back().find(text) != std::string::npos;
	};
}


bool
WaitForFile(const std::string& path)
{
	const auto deadline = std::chrono::steady_clock::now() + kTimeout;
	while (std::chrono::steady_clock::now() < deadline) {
		if (!ReadFile(path).empty())
			return true;
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
	}
	return false;
}


// A tmux server of the test's own, with one window running nuvim over a
// copy of the default settings, its output and status kept in the scratch
// directory.
class Tmux {
public:
	// `environment`: env(1) arguments, already quoted for the shell.
	Tmux(const ScratchDirectory& scratch, int columns, int rows,
		const std::string& environment = std::string())
		:
		fScratch(scratch),
		fSettings(scratch.Settings("settings", kDefaultSettings)),
		fSocket("nuvim-test-" + std::to_string(getpid()))
	{
		const std::string& path = scratch.Path();
		const std::string command = "env " + environment + " "
			+ Quote(NUVIM_PROGRAM) + " --settings " + Quote(fSettings) + " >"
			+ Quote(path + "/out") + " 2>" + Quote(path + "/err")
			+ "; echo $? >" + Quote(path + "/status");
		fStarted = Shell(_Tmux("new-session -d -s main -x "
			+ std::to_string(columns) + " -y " + std::to_string(rows) + " "
			+ Quote(command))) == 0;
	}

	~Tmux()
	{
		Shell(_Tmux("kill-server") + " >/dev/null 2>&1");
	}

	static bool Available()
	{
		return Shell("command -v tmux >/dev/null 2>&1") == 0;
	}

	const std::string& Settings() const { return fSettings; }

	// Started, and the session drew its status line.
	bool Ready()
	{
		return fStarted && Await(Status("C-c quit"));
	}

	// Each argument is one tmux key name ("K", "Space", "C-c", "F1").
	void Send(const std::vector<std::string>& keys)
	{
		std::string command = "send-keys -t main";
		for (const std::string& key : keys)
			command += " " + Quote(key);
		Shell(_Tmux(command));
	}

	// Pastes `text` as a terminal does, bracketed when the program asked
	// for it; as bare bytes when `bracketed` is false.
	void Paste(const std::string& text, bool bracketed = true)
	{
		const std::string file = fScratch.File("paste");
		WriteFile(file, text);
		Shell(_Tmux("load-buffer -b paste " + Quote(file)));
		Shell(_Tmux(std::string("paste-buffer ") + (bracketed ? "-p " : "")
			+ "-d -b paste -t main"));
	}

	void Resize(int columns, int rows)
	{
		Shell(_Tmux("resize-window -t main -x " + std::to_string(columns)
			+ " -y " + std::to_string(rows)));
	}

	// Polls the screen until `ready` holds; false after the timeout. The
	// last screen seen stays in Last().
	bool Await(const ::Ready& ready)
	{
		const auto deadline = std::chrono::steady_clock::now() + kTimeout;
		while (std::chrono::steady_clock::now() < deadline) {
			fLast.clear();
			std::istringstream lines(_Capture());
			for (std::string line; std::getline(lines, line);)
				fLast.push_back(line);
			if (ready(fLast))
				return true;
			std::this_thread::sleep_for(std::chrono::milliseconds(20));
		}
		return false;
	}

	const Screen& Last() const { return fLast; }

	// Presses Space until `wanted` holds, at most `presses` times.
	bool SpaceUntil(const ::Ready& wanted, int presses)
	{
		for (int i = 0; i < presses && !wanted(fLast); i++) {
			const Screen before = fLast;
			Send({"Space"});
			if (!Await([&](const Screen& now) { return now != before; }))
				return false;
		}
		return wanted(fLast);
	}

	// Quits with control-C; nuvim's exit status.
	std::string Quit()
	{
		Send({"C-c"});
		WaitForFile(fScratch.File("status"));
		return ReadFile(fScratch.File("status"));
	}

	// The last screen and standard error, for failure messages.
	std::string Shown() const
	{
		std::string text = "\n";
		for (const std::string& line : fLast)
			text += "|" + line + "\n";
		return text + ReadFile(fScratch.File("err"));
	}

private:
	std::string _Tmux(const std::string& arguments) const
	{
		return "LANG=C.UTF-8 tmux -u -f /dev/null -L " + fSocket + " "
			+ arguments;
	}

	std::string _Capture() const
	{
		std::string output;
		FILE* pipe = popen(_Tmux("capture-pane -p -t main").c_str(), "r");
		if (pipe == NULL)
			return output;
		char buffer[4096];
		size_t count;
		while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
			output.append(buffer, count);
		pclose(pipe);
		return output;
	}

	const ScratchDirectory& fScratch;
	std::string			fSettings;
	std::string			fSocket;
	bool				fStarted = false;
	Screen				fLast;
};

}	// namespace


// K a n j i, then space, shows ▼ and a candidate inline with the mode label
// on the status line; paging past the four inline candidates opens the
// candidates box below the caret line; a lone Escape, once the pause after
// it has passed, goes back to the reading; control-C prints the document,
// the composition without its marker, to standard output and writes the
// learned word to .nuv-jisyo.
TEST(InteractiveSession, ConvertsInlinePagesBelowTheCaretAndQuitSavesTheText)
{
	if (!Tmux::Available())
		GTEST_SKIP() << "tmux is not installed";
	ScratchDirectory scratch;
	Tmux tmux(scratch, 80, 24);
	ASSERT_TRUE(tmux.Ready()) << tmux.Shown();
	EXPECT_NE(std::string::npos, tmux.Last().back().find("かな"))
		<< tmux.Shown();

	tmux.Send({"K", "a", "n", "j", "i"});
	ASSERT_TRUE(tmux.Await(Starts("▽かんじ"))) << tmux.Shown();
	tmux.Send({"Space"});
	ASSERT_TRUE(tmux.Await(Starts("▼"))) << tmux.Shown();
	// 漢字 is one of the four candidates offered inline.
	ASSERT_TRUE(tmux.SpaceUntil(Starts("▼漢字"), 3)) << tmux.Shown();
	tmux.Send({"C-j"});
	ASSERT_TRUE(tmux.Await(Shows("漢字"))) << tmux.Shown();

	// Past the inline candidates the palette opens: its box stands below
	// the caret line, which keeps the composed text.
	tmux.Send({"K", "a", "n", "j", "i", "Space"});
	ASSERT_TRUE(tmux.Await(Starts("漢字▼"))) << tmux.Shown();
	ASSERT_TRUE(tmux.SpaceUntil([](const Screen& s) {
		return RowContaining(s, "[残り") >= 0; }, 5)) << tmux.Shown();
	const Screen& screen = tmux.Last();
	const int listRow = RowContaining(screen, "[残り");
	EXPECT_EQ(0u, screen[0].find("漢字▼")) << tmux.Shown();
	EXPECT_GE(listRow, 2) << tmux.Shown();
	// Left-aligned with ▼, the first composed character, at column 4: the
	// method placed it by the positions the session answered.
	EXPECT_EQ(4u, screen[listRow - 1].find("┌")) << tmux.Shown();
	EXPECT_EQ(4u, screen[listRow].find("│A:")) << tmux.Shown();

	tmux.Send({"Escape"});
	ASSERT_TRUE(tmux.Await([](const Screen& s) {
		return Starts("漢字▽かんじ")(s) && RowContaining(s, "[残り") < 0; }))
		<< tmux.Shown();

	EXPECT_EQ("0\n", tmux.Quit()) << tmux.Shown();
	EXPECT_EQ("", ReadFile(scratch.File("err")));
	// Standard output holds the document alone: the screen went to the
	// terminal.
	EXPECT_EQ("漢字かんじ\n", ReadFile(scratch.File("out")));
	// かんじ /漢字/ in EUC-JP, learned first.
	EXPECT_NE(std::string::npos, ReadFile(tmux.Settings() + "/.nuv-jisyo")
		.find("\xA4\xAB\xA4\xF3\xA4\xB8 /\xB4\xC1\xBB\xFA/"));
}


// F1 asks the method for its help item: the status line names the page in
// the settings directory and the desktop's opener gets it.
//
// Faults: pasted text was typed through the romaji tables, and a pasted
// 0x03 ended the session; a paste whose end marker never came took every
// later key, control-C included. A paste lands in the document as it
// stands, a composition open meanwhile stays open after it; a paste without
// its end is ended after a second of silence.
//
// Fault: after the terminal grew, the mode box stayed where it was. A
// resized terminal gives the method a new screen, and the boxes follow.
TEST(InteractiveSession, HelpPastesAndResizesReachTheMethod)
{
	if (!Tmux::Available())
		GTEST_SKIP() << "tmux is not installed";
	ScratchDirectory scratch;
	// An opener that only writes down what it was asked to open.
	const std::string opened = scratch.File("opened");
	WriteFile(scratch.File("bin/xdg-open"), "#!/bin/sh\necho \"$1\" > "
		+ Quote(opened) + "\n");
	fs::permissions(scratch.File("bin/xdg-open"), fs::perms::owner_all);
	Tmux tmux(scratch, 100, 24, "DISPLAY=:77 PATH="
		+ Quote(scratch.File("bin")) + ":\"$PATH\"");
	ASSERT_TRUE(tmux.Ready()) << tmux.Shown();

	tmux.Send({"F1"});
	ASSERT_TRUE(WaitForFile(opened)) << tmux.Shown();
	EXPECT_EQ(tmux.Settings() + "/help/index.html\n", ReadFile(opened));
	ASSERT_TRUE(tmux.Await([](const Screen& s) {
		return Status("help: ")(s) && Status("/settings/help/index.html")(s);
	})) << tmux.Shown();

	tmux.Send({"K", "a", "n"});
	ASSERT_TRUE(tmux.Await(Starts("▽かn"))) << tmux.Shown();
	tmux.Paste("今日はTokyoで会議。\x03");
	ASSERT_TRUE(tmux.Await(Starts("今日はTokyoで会議。▽かn"))) << tmux.Shown();
	tmux.Send({"j", "i", "C-j"});
	ASSERT_TRUE(tmux.Await(Shows("今日はTokyoで会議。かんじ"))) << tmux.Shown();
	tmux.Paste("\x1B[200~x", false);
	ASSERT_TRUE(tmux.Await(Status("no end marker"))) << tmux.Shown();
	tmux.Send({"k", "a"});
	ASSERT_TRUE(tmux.Await(Shows("今日はTokyoで会議。かんじxか")))
		<< tmux.Shown();

	tmux.Send({"K", "a", "n", "j", "i", "Space"});
	ASSERT_TRUE(tmux.Await(Starts("今日はTokyoで会議。かんじxか▼"))
		&& tmux.SpaceUntil([](const Screen& s) {
			return RowContaining(s, "[残り") >= 0; }, 5)) << tmux.Shown();
	ASSERT_GT(RowContaining(tmux.Last(), "│かな│"), 10) << tmux.Shown();
	tmux.Resize(120, 30);
	ASSERT_TRUE(tmux.Await([](const Screen& s) {
		return s.size() == 30 && RowContaining(s, "│かな│") == 27; }))
		<< tmux.Shown();
	EXPECT_GT(tmux.Last()[27].find("│かな│"), 100u) << tmux.Shown();
	EXPECT_GE(RowContaining(tmux.Last(), "│A:"), 2) << tmux.Shown();

	EXPECT_EQ("0\n", tmux.Quit()) << tmux.Shown();
	EXPECT_EQ(0u, ReadFile(scratch.File("out")).find(
		"今日はTokyoで会議。かんじxか")) << ReadFile(scratch.File("out"));
}


// Fault: TERM=dumb and a C locale were ignored, and cursor addressing and
// UTF-8 boxes were sent anyway. The interactive session is refused with one
// line and status 2, as it is without a terminal; the batch mode, which
// draws nothing, still works.
TEST(InteractiveSession, TerminalsThatCannotShowItAreRefusedButBatchModeWorks)
{
	ScratchDirectory scratch;
	const std::string settings = scratch.Settings("settings",
		kDefaultSettings);
	const std::vector<std::string> environments[] = {{"TERM=dumb"},
		{"-u", "TERM"}, {"TERM=no-such-terminal"}, {"LANG=C", "LC_ALL=C"},
		{}};
	for (const std::vector<std::string>& environment : environments) {
		NuvimOptions options;
		options.environment = environment;
		options.terminal = !environment.empty();
		NuvimProcess nuvim({"--settings", settings}, options);
		EXPECT_EQ(2, nuvim.Wait()) << options.terminal << nuvim.Err();
		const std::string error = nuvim.Err();
		EXPECT_EQ(0u, error.find("nuvim: ")) << error;
		EXPECT_EQ(error.size() - 1, error.find('\n')) << error;
		if (!options.terminal) {
			EXPECT_NE(std::string::npos, error.find("needs a terminal"));
		}
	}

	NuvimOptions dumb;
	dumb.environment = {"TERM=dumb", "LANG=C", "LC_ALL=C"};
	NuvimProcess batch({"--settings", settings, "--keys", "nihongo"}, dumb);
	EXPECT_EQ(0, batch.Wait()) << batch.Err();
	EXPECT_EQ("にほんご\n", batch.Out());
}


// `cmake --install` into a fresh prefix: the installed nuvim finds the
// module and the settings bundle. The user's directory holds only what the
// user changed: the bundle is read where it is installed, so an upgrade
// reaches everyone.
//
// Fault: the first start copied the whole bundle into each user's
// directory, and a file there was never replaced, so a newer dictionary,
// table or help page never reached anyone who had used nuvIM once. Copies an
// earlier version seeded and the user never changed are now removed.
TEST(InstalledNuvim, ReadsTheInstalledBundleUnderTheUsersOwnFiles)
{
	ScratchDirectory scratch;
	const std::string prefix = scratch.File("prefix");
	ASSERT_EQ(0, Shell(Quote(CMAKE_PROGRAM) + " --install " + Quote(BUILD_DIR)
		+ " --prefix " + Quote(prefix) + " >" + Quote(scratch.File("log"))
		+ " 2>&1")) << ReadFile(scratch.File("log"));
	const std::string bundle = prefix + "/share/nuvim/settings";
	EXPECT_TRUE(fs::exists(bundle + "/help/index.html"));

	// The user's own kana table (the bundle's, but a gives ア), a copy of
	// the control-key table as an earlier version seeded it (empty), and a
	// user dictionary in no known encoding.
	const std::string user = scratch.File("config/nuvim");
	std::string table = ReadFile(bundle + "/roman_kana.table");
	ASSERT_EQ(0u, table.find("a \xA4\xA2\n"));
	WriteFile(user + "/roman_kana.table",
		"a \xA5\xA2\n" + table.substr(table.find('\n') + 1));
	WriteFile(user + "/control_key.table", "");
	WriteFile(user + "/.nuv-jisyo", "\xFF\xFE /x/\n");
	NuvimOptions options;
	options.program = prefix + "/bin/nuvim";
	options.environment = {"HOME=" + scratch.File("home"),
		"XDG_CONFIG_HOME=" + scratch.File("config"),
		"TMPDIR=" + scratch.Settings("tmp")};

	// The words go beside the user dictionary, which nuvim reports (status
	// 1); the document is whole.
	{
		NuvimProcess nuvim({"--keys", "aKanji<space><enter>"}, options);
		EXPECT_EQ(1, nuvim.Wait()) << nuvim.Err();
		EXPECT_EQ("ア漢字\n\n", nuvim.Out());
	}
	std::vector<std::string> names;
	for (const fs::directory_entry& entry
			: fs::recursive_directory_iterator(user))
		names.push_back(entry.path().lexically_relative(user).string());
	std::sort(names.begin(), names.end());
	EXPECT_EQ((std::vector<std::string>{".nuv-jisyo", ".nuv-jisyo.lock",
		".nuv-jisyo.new", "roman_kana.table"}), names);
	EXPECT_EQ("\xFF\xFE /x/\n", ReadFile(user + "/.nuv-jisyo"));
	EXPECT_TRUE(fs::is_empty(scratch.File("tmp")));

	// The help page is the installed one.
	fs::remove(user + "/.nuv-jisyo");
	{
		NuvimProcess nuvim({"--json", "--keys", "<help>"}, options);
		EXPECT_EQ(0, nuvim.Wait()) << nuvim.Err();
		EXPECT_NE(std::string::npos, nuvim.Out().find("\"args\":[\""
			+ bundle + "/help/index.html\"]")) << nuvim.Out();
	}

	// Without XDG_CONFIG_HOME: ~/.config/nuvim.
	fs::create_directories(scratch.File("home"));
	options.environment = {"-u", "XDG_CONFIG_HOME",
		"HOME=" + scratch.File("home")};
	NuvimProcess nuvim({"--keys", "ka"}, options);
	ASSERT_EQ(0, nuvim.Wait()) << nuvim.Err();
	EXPECT_EQ("か\n", nuvim.Out());
	EXPECT_TRUE(fs::is_directory(scratch.File("home/.config/nuvim")));
	EXPECT_FALSE(fs::exists(scratch.File("home/.config/nuvim/NUV-JISYO.L")));
}
