// The interactive nuvim in a real terminal (tmux): keys typed, the screen
// read back, the document and the user dictionary left behind; and the
// installed program, run from a temporary prefix.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "TestFiles.h"


namespace fs = std::filesystem;


namespace {

const std::string kSettingsSource = NUV_SETTINGS_SOURCE_DIR;
// Long enough for a sanitizer build to load the large dictionary.
const std::chrono::seconds kTimeout(60);


int
Shell(const std::string& command)
{
	const int status = system(command.c_str());
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


std::string
Output(const std::string& command)
{
	std::string output;
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == NULL)
		return output;
	char buffer[4096];
	size_t count;
	while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		output.append(buffer, count);
	pclose(pipe);
	return output;
}


std::vector<std::string>
Lines(const std::string& text)
{
	std::vector<std::string> lines;
	std::istringstream in(text);
	std::string line;
	while (std::getline(in, line))
		lines.push_back(line);
	return lines;
}


// A scratch directory with a copy of the default settings, removed at the
// end of the test.
class Scratch {
public:
	Scratch()
	{
		char pattern[] = "/tmp/nuvim-session-XXXXXX";
		if (mkdtemp(pattern) == NULL)
			abort();
		fPath = pattern;
	}

	~Scratch()
	{
		std::error_code error;
		fs::remove_all(fPath, error);
	}

	const std::string& Path() const { return fPath; }

	std::string Settings() const
	{
		const std::string directory = fPath + "/settings";
		fs::create_directories(directory + "/help");
		for (const char* file : {"roman_kana.table", "roman_zennei.table",
				"control_key.table", "NUV-JISYO.L", "help/index.html"})
			fs::copy_file(kSettingsSource + "/" + file, directory + "/" + file);
		return directory;
	}

private:
	std::string	fPath;
};


// A tmux server of the test's own, with one window running one command.
class Tmux {
public:
	static bool Available()
	{
		return Shell("command -v tmux >/dev/null 2>&1") == 0;
	}

	// Servers with different `names` run side by side.
	explicit Tmux(const std::string& name = "")
		:
		fSocket("nuvim-test-" + std::to_string(getpid()) + name)
	{
	}

	~Tmux()
	{
		Shell(_Tmux("kill-server") + " >/dev/null 2>&1");
	}

	bool Start(const std::string& command, int columns, int rows)
	{
		return Shell(_Tmux("new-session -d -s main -x " + std::to_string(columns)
			+ " -y " + std::to_string(rows) + " " + Quote(command))) == 0;
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
	void Paste(const std::string& text, const std::string& scratch,
		bool bracketed = true)
	{
		const std::string file = scratch + "/paste";
		std::ofstream(file, std::ios::binary) << text;
		Shell(_Tmux("load-buffer -b paste " + Quote(file)));
		Shell(_Tmux(std::string("paste-buffer ") + (bracketed ? "-p " : "")
			+ "-d -b paste -t main"));
	}

	void Resize(int columns, int rows)
	{
		Shell(_Tmux("resize-window -t main -x " + std::to_string(columns)
			+ " -y " + std::to_string(rows)));
	}

	std::vector<std::string> Screen()
	{
		return Lines(Output(_Tmux("capture-pane -p -t main")));
	}

	// Polls the screen until `ready` holds; false after the timeout, with
	// the last screen in `last`.
	bool WaitFor(const std::function<bool(const std::vector<std::string>&)>&
		ready, std::vector<std::string>& last)
	{
		const auto deadline = std::chrono::steady_clock::now() + kTimeout;
		while (std::chrono::steady_clock::now() < deadline) {
			last = Screen();
			if (ready(last))
				return true;
			std::this_thread::sleep_for(std::chrono::milliseconds(20));
		}
		return false;
	}

private:
	std::string _Tmux(const std::string& arguments) const
	{
		return "LANG=C.UTF-8 tmux -u -f /dev/null -L " + fSocket + " "
			+ arguments;
	}

	std::string	fSocket;
};


std::string
Show(const std::vector<std::string>& screen)
{
	std::string text = "\n";
	for (const std::string& line : screen)
		text += "|" + line + "\n";
	return text;
}


// The line without its trailing blanks.
std::string
Trim(const std::string& line)
{
	const size_t end = line.find_last_not_of(' ');
	return end == std::string::npos ? std::string() : line.substr(0, end + 1);
}


bool
StartsWith(const std::string& text, const std::string& prefix)
{
	return text.compare(0, prefix.size(), prefix) == 0;
}


int
RowContaining(const std::vector<std::string>& screen, const std::string& text)
{
	for (size_t i = 0; i < screen.size(); i++) {
		if (screen[i].find(text) != std::string::npos)
			return static_cast<int>(i);
	}
	return -1;
}


bool
HasRowContaining(const std::vector<std::string>& screen,
	const std::string& text)
{
	return RowContaining(screen, text) >= 0;
}


bool
WaitForFile(const std::string& path)
{
	const auto deadline = std::chrono::steady_clock::now() + kTimeout;
	while (std::chrono::steady_clock::now() < deadline) {
		if (fs::exists(path) && !ReadFile(path).empty())
			return true;
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
	}
	return false;
}


// The command a tmux window runs: nuvim with its output and status kept.
std::string
SessionCommand(const Scratch& scratch, const std::string& settings,
	const std::string& environment = std::string())
{
	const std::string& path = scratch.Path();
	return "env " + environment + " " + Quote(NUVIM_PROGRAM) + " --settings "
		+ Quote(settings) + " >" + Quote(path + "/out") + " 2>"
		+ Quote(path + "/err") + "; echo $? >" + Quote(path + "/status");
}


// Presses Space until the screen shows `wanted` (at most `presses` times).
bool
SpaceUntil(Tmux& tmux, const std::function<bool(const std::vector<std::string>&)>&
	wanted, int presses, std::vector<std::string>& screen)
{
	for (int i = 0; i < presses; i++) {
		if (wanted(screen))
			return true;
		const std::vector<std::string> before = screen;
		tmux.Send({"Space"});
		if (!tmux.WaitFor([&](const std::vector<std::string>& now) {
				return now != before; }, screen))
			return false;
	}
	return wanted(screen);
}

}	// namespace


// K a n j i, then space, shows ▼ and a candidate inline with the mode label
// on the status line; paging past the four inline candidates opens the
// candidates box below the caret line; control-C prints the document to
// standard output and writes the learned word to .nuv-jisyo.
TEST(InteractiveSession, ConvertsInlinePagesBelowTheCaretAndQuitSavesTheText)
{
	if (!Tmux::Available())
		GTEST_SKIP() << "tmux is not installed";
	Scratch scratch;
	const std::string settings = scratch.Settings();
	Tmux tmux;
	ASSERT_TRUE(tmux.Start(SessionCommand(scratch, settings), 80, 24));

	std::vector<std::string> screen;
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return s.size() == 24 && s[23].find("かな") != std::string::npos
			&& s[23].find("C-c quit") != std::string::npos; }, screen))
		<< Show(screen) << ReadFile(scratch.Path() + "/err");

	tmux.Send({"K", "a", "n", "j", "i"});
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return StartsWith(s[0], "▽かんじ"); }, screen)) << Show(screen);
	tmux.Send({"Space"});
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return StartsWith(s[0], "▼"); }, screen)) << Show(screen);
	// 漢字 is one of the four candidates offered inline.
	ASSERT_TRUE(SpaceUntil(tmux, [](const std::vector<std::string>& s) {
		return StartsWith(s[0], "▼漢字"); }, 3, screen)) << Show(screen);
	EXPECT_NE(std::string::npos, screen[23].find("かな")) << Show(screen);

	tmux.Send({"C-j"});
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return Trim(s[0]) == "漢字"; }, screen)) << Show(screen);

	// Past the inline candidates the palette opens: its box stands below
	// the caret line, which keeps the composed text.
	tmux.Send({"K", "a", "n", "j", "i", "Space"});
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return StartsWith(s[0], "漢字▼"); }, screen)) << Show(screen);
	ASSERT_TRUE(SpaceUntil(tmux, [](const std::vector<std::string>& s) {
		return HasRowContaining(s, "[残り"); }, 5, screen)) << Show(screen);
	const int listRow = RowContaining(screen, "[残り");
	EXPECT_TRUE(StartsWith(screen[0], "漢字▼")) << Show(screen);
	EXPECT_GE(listRow, 2) << Show(screen);
	// Left-aligned with ▼, the first composed character, at column 4: the
	// method placed it by the positions the session answered.
	EXPECT_EQ(4u, screen[listRow - 1].find("┌")) << Show(screen);
	EXPECT_EQ(4u, screen[listRow].find("│A:")) << Show(screen);

	// Escape twice: back to the reading, then nothing composed.
	tmux.Send({"Escape"});
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return StartsWith(s[0], "漢字▽かんじ")
			&& !HasRowContaining(s, "[残り"); }, screen)) << Show(screen);
	tmux.Send({"Escape"});
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return Trim(s[0]) == "漢字"; }, screen)) << Show(screen);

	tmux.Send({"C-c"});
	ASSERT_TRUE(WaitForFile(scratch.Path() + "/status")) << Show(tmux.Screen());
	EXPECT_EQ("0\n", ReadFile(scratch.Path() + "/status"));
	EXPECT_EQ("", ReadFile(scratch.Path() + "/err"));
	// Standard output holds the document alone: the screen went to the
	// terminal.
	EXPECT_EQ("漢字\n", ReadFile(scratch.Path() + "/out"));
	// かんじ /漢字/ in EUC-JP, learned first.
	const std::string learned = "\xA4\xAB\xA4\xF3\xA4\xB8 /\xB4\xC1\xBB\xFA/";
	EXPECT_NE(std::string::npos,
		ReadFile(settings + "/.nuv-jisyo").find(learned));
}


// F1 asks the method for its help item: the status line names the page in
// the settings directory and the desktop's opener gets it. A resized
// terminal gives the method a new screen, and the boxes follow.
TEST(InteractiveSession, HelpNamesThePageAndTheScreenFollowsTheTerminal)
{
	if (!Tmux::Available())
		GTEST_SKIP() << "tmux is not installed";
	Scratch scratch;
	const std::string settings = scratch.Settings();
	// An opener that only writes down what it was asked to open.
	const std::string bin = scratch.Path() + "/bin";
	const std::string opened = scratch.Path() + "/opened";
	fs::create_directories(bin);
	std::ofstream(bin + "/xdg-open") << "#!/bin/sh\necho \"$1\" > "
		<< Quote(opened) << "\n";
	fs::permissions(bin + "/xdg-open", fs::perms::owner_all);

	Tmux tmux;
	ASSERT_TRUE(tmux.Start(SessionCommand(scratch, settings,
		"DISPLAY=:77 PATH=" + Quote(bin) + ":\"$PATH\""), 100, 24));
	std::vector<std::string> screen;
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return s.size() == 24 && s[23].find("かな") != std::string::npos; },
		screen)) << Show(screen) << ReadFile(scratch.Path() + "/err");

	tmux.Send({"F1"});
	ASSERT_TRUE(WaitForFile(opened)) << Show(tmux.Screen());
	EXPECT_EQ(settings + "/help/index.html\n", ReadFile(opened));
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return s[23].find("help: ") != std::string::npos
			&& s[23].find("/settings/help/index.html") != std::string::npos; },
		screen)) << Show(screen);

	// With the candidates open, shrink the terminal. Fault: at 20 x 5 the
	// box was cut after its first labels, and after growing again the
	// mode box stayed near the top left.
	tmux.Send({"K", "a", "n", "j", "i", "Space"});
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return StartsWith(s[0], "▼"); }, screen)) << Show(screen);
	ASSERT_TRUE(SpaceUntil(tmux, [](const std::vector<std::string>& s) {
		return HasRowContaining(s, "[残り"); }, 5, screen)) << Show(screen);
	const int modeRowBefore = RowContaining(screen, "│かな│");
	ASSERT_GT(modeRowBefore, 10) << Show(screen);

	tmux.Resize(20, 5);
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return s.size() == 5 && s[4].find("C-c quit") != std::string::npos
			&& HasRowContaining(s, "[残り"); }, screen)) << Show(screen);
	EXPECT_TRUE(StartsWith(screen[0], "▼")) << Show(screen);
	for (const char* label : {"A:", "S:", "D:", "F:", "J:", "K:", "L:"})
		EXPECT_GT(RowContaining(screen, label), 0) << label << Show(screen);

	tmux.Resize(100, 30);
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return s.size() == 30 && RowContaining(s, "│かな│") == 27; }, screen))
		<< Show(screen);
	EXPECT_GT(screen[27].find("│かな│"), 85u) << Show(screen);
	EXPECT_GE(RowContaining(screen, "│A:"), 2) << Show(screen);

	tmux.Send({"C-c"});
	ASSERT_TRUE(WaitForFile(scratch.Path() + "/status")) << Show(tmux.Screen());
	EXPECT_EQ("0\n", ReadFile(scratch.Path() + "/status"));
	EXPECT_EQ("\n", ReadFile(scratch.Path() + "/out"));
}


// Faults: pasted text was typed through the romaji tables, and a pasted
// 0x03 ended the session; a paste whose end marker never came took every
// later key, control-C included. A paste lands in the document as it
// stands, a composition open meanwhile stays open after it, and the session
// goes on; a paste without its end is ended after a second of silence.
TEST(InteractiveSession, APasteLandsAsItStandsAndTheCompositionGoesOn)
{
	if (!Tmux::Available())
		GTEST_SKIP() << "tmux is not installed";
	Scratch scratch;
	const std::string settings = scratch.Settings();
	Tmux tmux;
	ASSERT_TRUE(tmux.Start(SessionCommand(scratch, settings), 80, 24));
	std::vector<std::string> screen;
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return s.size() == 24 && s[23].find("かな") != std::string::npos; },
		screen)) << Show(screen) << ReadFile(scratch.Path() + "/err");

	tmux.Send({"K", "a", "n"});
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return StartsWith(s[0], "▽かn"); }, screen)) << Show(screen);
	tmux.Paste("今日はTokyoで会議。\x03", scratch.Path());
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return StartsWith(s[0], "今日はTokyoで会議。▽かn"); }, screen))
		<< Show(screen);
	tmux.Send({"j", "i", "C-j"});
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return Trim(s[0]) == "今日はTokyoで会議。かんじ"; }, screen))
		<< Show(screen);

	tmux.Paste("\x1B[200~x", scratch.Path(), false);
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return s.size() == 24 && s[23].find("no end marker")
			!= std::string::npos; }, screen)) << Show(screen);
	tmux.Send({"k", "a"});
	ASSERT_TRUE(tmux.WaitFor([](const std::vector<std::string>& s) {
		return Trim(s[0]) == "今日はTokyoで会議。かんじxか"; }, screen))
		<< Show(screen);

	tmux.Send({"C-c"});
	ASSERT_TRUE(WaitForFile(scratch.Path() + "/status")) << Show(tmux.Screen());
	EXPECT_EQ("0\n", ReadFile(scratch.Path() + "/status"));
	EXPECT_EQ("今日はTokyoで会議。かんじxか\n",
		ReadFile(scratch.Path() + "/out"));
}


// Fault: TERM=dumb and a C locale were ignored, and cursor addressing and
// UTF-8 boxes were sent anyway. The interactive session is refused with one
// line and status 2; the batch mode, which draws nothing, still works.
TEST(InteractiveSession, TerminalsThatCannotShowItAreRefusedButBatchModeWorks)
{
	if (!Tmux::Available())
		GTEST_SKIP() << "tmux is not installed";
	Scratch scratch;
	const std::string settings = scratch.Settings();
	int round = 0;
	for (const std::string environment : {"TERM=dumb", "-u TERM",
			"TERM=no-such-terminal", "LANG=C LC_ALL=C"}) {
		fs::remove(scratch.Path() + "/status");
		Tmux tmux("-" + std::to_string(round++));
		ASSERT_TRUE(tmux.Start(SessionCommand(scratch, settings, environment)
			+ "; sleep 60", 80, 24));
		ASSERT_TRUE(WaitForFile(scratch.Path() + "/status")) << environment;
		EXPECT_EQ("2\n", ReadFile(scratch.Path() + "/status")) << environment;
		const std::vector<std::string> error
			= Lines(ReadFile(scratch.Path() + "/err"));
		ASSERT_EQ(1u, error.size()) << environment;
		EXPECT_TRUE(StartsWith(error[0], "nuvim: ")) << error[0];
	}

	const std::string out = scratch.Path() + "/out";
	EXPECT_EQ(0, Shell("env TERM=dumb LANG=C LC_ALL=C " + Quote(NUVIM_PROGRAM)
		+ " --settings " + Quote(settings) + " --keys 'nihongo' </dev/null >"
		+ Quote(out) + " 2>/dev/null"));
	EXPECT_EQ("にほんご\n", ReadFile(out));
}


// `cmake --install` into a fresh prefix: the installed nuvim finds the
// module and the settings bundle, seeds the per-user directory without
// touching a file the user has, and keeps the user dictionary there.
TEST(InstalledNuvim, FindsItsModuleAndSeedsTheUserSettings)
{
	Scratch scratch;
	const std::string prefix = scratch.Path() + "/prefix";
	ASSERT_EQ(0, Shell(Quote(CMAKE_PROGRAM) + " --install " + Quote(BUILD_DIR)
		+ " --prefix " + Quote(prefix) + " >" + Quote(scratch.Path() + "/log")
		+ " 2>&1")) << ReadFile(scratch.Path() + "/log");
	const std::string program = prefix + "/bin/nuvim";
	ASSERT_TRUE(fs::exists(program));
	EXPECT_TRUE(fs::exists(prefix + "/share/nuvim/settings/help/index.html"));

	// The user's own kana table (a gives ア) is kept and used.
	const std::string config = scratch.Path() + "/config";
	fs::create_directories(config + "/nuvim");
	std::ofstream(config + "/nuvim/roman_kana.table") << "a \xA5\xA2\n";

	const std::string out = scratch.Path() + "/out";
	const std::string err = scratch.Path() + "/err";
	const int status = Shell("env HOME=" + Quote(scratch.Path() + "/home")
		+ " XDG_CONFIG_HOME=" + Quote(config) + " " + Quote(program)
		+ " --keys 'a' <" + Quote("/dev/null") + " >" + Quote(out) + " 2>"
		+ Quote(err));
	ASSERT_EQ(0, status) << ReadFile(err);
	EXPECT_EQ("ア\n", ReadFile(out));
	for (const char* file : {"roman_zennei.table", "control_key.table",
			"NUV-JISYO.L", "help/index.html", ".nuv-jisyo"})
		EXPECT_TRUE(fs::exists(config + "/nuvim/" + file)) << file;
	EXPECT_EQ("a \xA5\xA2\n", ReadFile(config + "/nuvim/roman_kana.table"));

	// Without XDG_CONFIG_HOME: ~/.config/nuvim (HOME must be a directory,
	// else the account's home stands in).
	fs::create_directories(scratch.Path() + "/home");
	const int second = Shell("env -u XDG_CONFIG_HOME HOME="
		+ Quote(scratch.Path() + "/home") + " " + Quote(program)
		+ " --keys 'ka' </dev/null >" + Quote(out) + " 2>" + Quote(err));
	ASSERT_EQ(0, second) << ReadFile(err);
	EXPECT_EQ("か\n", ReadFile(out));
	EXPECT_TRUE(fs::exists(scratch.Path() + "/home/.config/nuvim/NUV-JISYO.L"));

	// The interactive session wants a terminal, and says so.
	EXPECT_EQ(2, Shell(Quote(program) + " --settings " + Quote(config + "/nuvim")
		+ " </dev/null >/dev/null 2>" + Quote(err)));
	EXPECT_NE(std::string::npos, ReadFile(err).find("needs a terminal"));
}
