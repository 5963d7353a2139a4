#include "TerminalSession.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <Font.h>
#include <HeadlessDisplay.h>
#include <InterfaceDefs.h>

#include "ApplicationModel.h"
#include "ComposedText.h"
#include "ExitSignals.h"
#include "HostPaths.h"
#include "MethodHost.h"
#include "UserDictionaryFile.h"


const char* const TerminalSession::kKeysLabel = "F1 help  C-c quit";


namespace {

const int kDefaultRows = 24;
const int kDefaultColumns = 80;
// How often the start-up drawing looks for keys, signals and the end of
// the load.
const int kLoadPollMilliseconds = 20;
// How long giving the terminal back may wait for a terminal that has
// stopped reading.
const int kLeaveMilliseconds = 500;
// A paste whose bytes stop this long is ended (its end marker lost).
const int kPasteSilenceMilliseconds = 1000;
const char* const kPasteSilenceNotice = "The paste sent no end marker for a"
	" second: it is ended, and keys are typed again";
const char* const kPasteCutNotice = "The paste passed 10 MB without its end"
	" marker: it is ended, and what follows is typed";

typedef std::chrono::steady_clock Clock;

// Written by the signal handlers, read by the session's loop.
int sSignalPipe[2] = {-1, -1};

const char kResizeSignal = 'w';


void
HandleSignal(int number)
{
	const int saved = errno;
	(void)number;
	const char byte = kResizeSignal;
	if (sSignalPipe[1] >= 0) {
		ssize_t written = write(sSignalPipe[1], &byte, 1);
		(void)written;
	}
	errno = saved;
}


// The ending signals are the process's (ExitSignals.h).
const int kSignals[] = {SIGWINCH};
const size_t kSignalCount = sizeof(kSignals) / sizeof(kSignals[0]);
struct sigaction sSavedActions[kSignalCount];


// The application that the session plays: its composed characters stand
// where the session's layout draws them.
class TerminalApplication : public ApplicationModel {
public:
	explicit TerminalApplication(TerminalLayout& layout)
		:
		ApplicationModel(0, 0, 1, [](const std::string&) { return 0.0f; }),
		fLayout(layout)
	{
	}

	virtual std::vector<TextLocation> ComposedLocations() const
	{
		fLayout.SetText(Document(), Composing());
		return fLayout.ComposedLocations();
	}

private:
	TerminalLayout&	fLayout;
};


std::string
HomeRelative(const std::string& path)
{
	const char* home = getenv("HOME");
	if (home == NULL || home[0] == '\0')
		return path;
	const std::string prefix = home;
	if (path.compare(0, prefix.size(), prefix) == 0
		&& (path.size() == prefix.size() || path[prefix.size()] == '/'))
		return "~" + path.substr(prefix.size());
	return path;
}


// The executable `name` in one of $PATH's directories; empty when none.
std::string
FindProgram(const char* name)
{
	const char* path = getenv("PATH");
	if (path == NULL)
		return std::string();
	const std::string directories = path;
	size_t start = 0;
	while (start <= directories.size()) {
		size_t end = directories.find(':', start);
		if (end == std::string::npos)
			end = directories.size();
		const std::string directory = directories.substr(start, end - start);
		if (!directory.empty()) {
			const std::string candidate = directory + "/" + name;
			if (access(candidate.c_str(), X_OK) == 0)
				return candidate;
		}
		start = end + 1;
	}
	return std::string();
}

}	// namespace


TerminalSession::TerminalSession(int terminal)
	:
	fTerminal(terminal),
	fTerminalFlags(0),
	fRaw(false),
	fLeaving(false),
	fEndingSignal(0),
	fDictionarySaved(false),
	fSaved(),
	fLayout(kDefaultRows, kDefaultColumns, 1, 1),
	fHasShown(false),
	fApplication(NULL),
	fHost(NULL)
{
}


TerminalSession::~TerminalSession()
{
	_LeaveTerminal();
}


bool
TerminalSession::IsQuitKey(const KeyStep& step)
{
	return step.kind == KeyStep::KEY && !TerminalKeys::IsPaste(step)
		&& step.bytes == "\x03"
		&& (step.modifiers & B_COMMAND_KEY) == 0;
}


bool
TerminalSession::IsHelpKey(const KeyStep& step)
{
	if (step.kind != KeyStep::KEY || (step.modifiers & B_COMMAND_KEY) != 0
		|| TerminalKeys::IsPaste(step))
		return false;
	const bool f1 = step.bytes.size() == 1 && step.bytes[0] == B_FUNCTION_KEY
		&& step.key == 0x02;
	return f1 || step.bytes == "\x14";
}


int
TerminalSession::Run(const std::string& settingsOption,
	std::string& document, std::string& error)
{
	// A terminal that cannot show the session is refused before anything
	// is set up.
	if (!fCapabilities.Load(NULL, fTerminal, error)
		|| !TerminalCapabilities::UseUtf8Locale(error))
		return 2;
	for (const TerminalCapabilities::KeySequence& key
			: fCapabilities.KeySequences())
		fKeys.AddSequence(key.first, key.second);

	// The settings directory, as the batch mode finds it.
	std::string settings = settingsOption;
	if (settings.empty()) {
		settings = HostPaths::DefaultSettingsDirectory();
		if (settings.empty()) {
			error = "no home directory for the settings";
			return 2;
		}
		if (!HostPaths::SeedSettings(settings, HostPaths::FindSettingsBundle(),
				error))
			return 1;
	}
	std::string resolved;
	if (!HostPaths::PointSettingsDirectory(settings, fTemporary, resolved,
			error))
		return resolved.empty() ? 2 : 1;
	if (!fTemporary.empty()) {
		fAliasFrom = fTemporary + "/nuvim_settings/";
		fAliasTo = resolved + "/";
	}
	fSettingsShown = HomeRelative(resolved);

	const std::string module = HostPaths::FindMethodModule();
	if (module.empty()) {
		error = "cannot find the method module nuvIM next to "
			+ HostPaths::ProgramDirectory();
		HostPaths::RemoveSettingsLink(fTemporary);
		return 1;
	}
	if (!_EnterTerminal(error)) {
		HostPaths::RemoveSettingsLink(fTemporary);
		return 1;
	}
	_FollowSize();

	TerminalApplication application(fLayout);
	MethodHost host(application, NULL);
	// The method's warnings about its settings files go to the status line.
	host.SetNoticeHandler([this](const std::string& text) {
		fMessage = text;
	});
	fApplication = &application;
	fHost = &host;
	if (!fTemporary.empty())
		host.SetPathAlias(fAliasFrom, fAliasTo);

	// The method's constructor waits for its dictionaries: load it on a
	// second thread and draw its start-up notice meanwhile.
	std::atomic<bool> loadDone(false);
	bool loaded = false;
	std::string loadError;
	std::thread loader([&]() {
		loaded = host.Load(module, loadError);
		loadDone = true;
	});
	std::vector<KeyStep> keys;
	_WaitForLoad(loader, loadDone, keys);
	loader.join();
	if (!loaded) {
		_LeaveTerminal();
		error = loadError;
		fHost = NULL;
		fApplication = NULL;
		HostPaths::RemoveSettingsLink(fTemporary);
		return 1;
	}

	std::string report;
	host.Activate(true);
	if (!host.Settle(&report))
		_Abandon(report);
	_Draw();

	bool quit = false;
	Clock::time_point lastInput = Clock::now();
	// The keys typed during the load come first.
	bool early = !keys.empty();
	while (!quit) {
		struct pollfd sources[3];
		sources[0].fd = fTerminal;
		sources[0].events = POLLIN;
		sources[1].fd = sSignalPipe[0];
		sources[1].events = POLLIN;
		sources[2].fd = ExitSignals::FileDescriptor();
		sources[2].events = POLLIN;
		int timeout = early ? 0 : fKeys.HasPending()
			? TerminalKeys::kEscapeDelayMilliseconds : -1;
		if (timeout < 0 && fKeys.InPaste()) {
			// A paste whose bytes stop has lost its end marker: every key
			// after it would be taken as pasted, control-C included.
			const auto waited = std::chrono::duration_cast<
				std::chrono::milliseconds>(Clock::now() - lastInput).count();
			timeout = static_cast<int>(std::max<long long>(0,
				kPasteSilenceMilliseconds - waited));
		}
		const int ready = poll(sources, 3, timeout);
		if (ready < 0 && errno != EINTR)
			break;

		if (!early)
			keys.clear();
		early = false;
		bool resized = false;
		fEndingSignal = ExitSignals::Received();
		quit = fEndingSignal != 0;
		std::string pasteNotice;
		if (ready == 0 && fKeys.HasPending())
			fKeys.Flush(keys);
		else if (ready == 0 && fKeys.InPaste()
			&& Clock::now() - lastInput >= std::chrono::milliseconds(
				kPasteSilenceMilliseconds)) {
			fKeys.EndPaste(keys);
			pasteNotice = kPasteSilenceNotice;
		}
		if (ready > 0 && (sources[1].revents & POLLIN) != 0) {
			char signals[16];
			const ssize_t count = read(sSignalPipe[0], signals,
				sizeof(signals));
			for (ssize_t i = 0; i < count; i++) {
				resized = resized || signals[i] == kResizeSignal;
			}
		}
		if (ready > 0 && (sources[0].revents & (POLLIN | POLLHUP | POLLERR))
				!= 0) {
			char bytes[4096];
			const ssize_t count = read(fTerminal, bytes, sizeof(bytes));
			if (count > 0) {
				lastInput = Clock::now();
				fKeys.Feed(bytes, static_cast<size_t>(count), keys);
				if (fKeys.TakePasteCut())
					pasteNotice = kPasteCutNotice;
			}
			else if (count == 0 || (errno != EINTR && errno != EAGAIN))
				quit = true;	// the terminal is gone
		}

		for (const KeyStep& key : keys) {
			if (quit)
				break;
			fMessage.clear();
			if (IsQuitKey(key)) {
				quit = true;
				break;
			}
			if (TerminalKeys::IsPaste(key)) {
				// Inserted as the application inserts a paste: into the
				// document at the caret, not typed through the method; a
				// composition in progress stays open after it.
				application.InsertText(key.bytes);
			} else if (IsHelpKey(key)) {
				_Help();
				continue;
			} else {
				host.SendKey(MethodHost::MakeKeyMessage(key));
				if (!host.Settle(&report))
					_Abandon(report);
			}
			// The layout follows the document key by key, which keeps its
			// work per key small (TerminalLayout::SetText).
			fLayout.SetText(application.Document(), application.Composing());
		}
		if (!pasteNotice.empty())
			fMessage = pasteNotice;
		if (resized) {
			_FollowSize();
			if (!host.Settle(&report))
				_Abandon(report);
		}
		if (!quit)
			_Draw();
	}

	// What is composed is taken before the unload, which ends it; the
	// unload writes the user dictionary.
	document = application.Document()
		+ ComposedText::WithoutMarkers(application.Composing());
	// Only the last save counts: an early one may have succeeded before
	// the one at the unload failed.
	const UserDictionaryFile before(resolved);
	fDictionaryPath = before.path;
	host.Unload();
	fDictionarySaved = UserDictionaryFile(resolved).ReplacedSince(before);
	fHost = NULL;
	fApplication = NULL;
	_LeaveTerminal();
	HostPaths::RemoveSettingsLink(fTemporary);
	if (fEndingSignal == 0)
		fEndingSignal = ExitSignals::Received();
	return 0;
}


// #pragma mark - private


bool
TerminalSession::_EnterTerminal(std::string& error)
{
	if (tcgetattr(fTerminal, &fSaved) != 0) {
		error = "the interactive session needs a terminal";
		return false;
	}
	struct termios raw = fSaved;
	// Every key as its bytes: no echo, no line editing, no signals from
	// control keys, CR kept apart from LF, control-S and control-Q for the
	// method rather than for flow control.
	raw.c_iflag &= ~(BRKINT | ICRNL | INLCR | IGNCR | INPCK | ISTRIP | IXON);
	raw.c_oflag &= ~OPOST;
	raw.c_cflag |= CS8;
	raw.c_lflag &= ~(ECHO | ICANON | IEXTEN | ISIG);
	raw.c_cc[VMIN] = 1;
	raw.c_cc[VTIME] = 0;
	if (tcsetattr(fTerminal, TCSADRAIN, &raw) != 0) {
		error = "cannot set up the terminal";
		return false;
	}
	fRaw = true;
	fLeaving = false;
	// Output waits on poll(), where an ending signal can cut it short, and
	// never in write(). The file description is the session's own.
	fTerminalFlags = fcntl(fTerminal, F_GETFL);
	if (fTerminalFlags >= 0)
		fcntl(fTerminal, F_SETFL, fTerminalFlags | O_NONBLOCK);

	if (pipe(sSignalPipe) == 0) {
		for (int end : sSignalPipe) {
			fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
			fcntl(end, F_SETFD, FD_CLOEXEC);
		}
		struct sigaction action = {};
		action.sa_handler = HandleSignal;
		sigemptyset(&action.sa_mask);
		action.sa_flags = SA_RESTART;
		for (size_t i = 0; i < kSignalCount; i++)
			sigaction(kSignals[i], &action, &sSavedActions[i]);
	}

	// The alternate screen keeps the user's scrollback as it was; the keypad
	// mode makes the keys send what terminfo says; bracketed paste tells a
	// paste from typing.
	_Write(fCapabilities.EnterScreen() + fCapabilities.KeypadOn()
		+ fCapabilities.PasteOn() + fCapabilities.ClearScreen());
	fHasShown = false;
	return true;
}


void
TerminalSession::_LeaveTerminal()
{
	if (!fRaw)
		return;
	fLeaving = true;
	_Write(fCapabilities.Plain() + fCapabilities.ShowCursor()
		+ fCapabilities.PasteOff() + fCapabilities.KeypadOff()
		+ fCapabilities.LeaveScreen());
	// TCSANOW: waiting for the output to drain would wait for ever on a
	// terminal that stopped reading; what was written is already processed.
	tcsetattr(fTerminal, TCSANOW, &fSaved);
	if (fTerminalFlags >= 0)
		fcntl(fTerminal, F_SETFL, fTerminalFlags);
	fRaw = false;

	if (sSignalPipe[0] >= 0) {
		for (size_t i = 0; i < kSignalCount; i++)
			sigaction(kSignals[i], &sSavedActions[i], NULL);
		close(sSignalPipe[0]);
		close(sSignalPipe[1]);
		sSignalPipe[0] = sSignalPipe[1] = -1;
	}
}


void
TerminalSession::_ReadSize(int& rows, int& columns) const
{
	struct winsize size = {};
	if (ioctl(fTerminal, TIOCGWINSZ, &size) == 0 && size.ws_row > 0
		&& size.ws_col > 0) {
		rows = size.ws_row;
		columns = size.ws_col;
	} else {
		rows = kDefaultRows;
		columns = kDefaultColumns;
	}
}


void
TerminalSession::_FollowSize()
{
	// A cell is a narrow character of the plain font wide and its line
	// high, so that text in the method's windows fills whole cells.
	font_height height;
	be_plain_font->GetHeight(&height);
	const float cellWidth = be_plain_font->StringWidth("M");
	const float cellHeight = height.ascent + height.descent + height.leading;

	int rows;
	int columns;
	_ReadSize(rows, columns);
	fLayout = TerminalLayout(rows, columns, cellWidth, cellHeight);
	// The running windows hear of it through ScreenChanged and place
	// themselves again.
	HeadlessDisplay::SetScreenSize(fLayout.ScreenWidth(),
		fLayout.ScreenHeight());
	fHasShown = false;
}


void
TerminalSession::_Draw()
{
	if (fApplication != NULL)
		fLayout.SetText(fApplication->Document(), fApplication->Composing());
	else
		fLayout.SetText(std::string(), std::string());
	const std::vector<WindowRecord> windows = MethodHost::Windows();

	std::string mode;
	for (const WindowRecord& window : windows) {
		if (window.title == TerminalLayout::kModePaletteTitle
			&& !window.lines.empty())
			mode = window.lines.front();
	}
	fLayout.Draw(fCanvas, fLayout.PlaceWindows(windows),
		mode.empty() ? "nuvIM" : mode,
		fMessage.empty() ? fSettingsShown : fMessage, kKeysLabel);

	const TerminalCell caret = fLayout.Caret();
	std::string out = fCapabilities.HideCursor();
	out += fCanvas.Render(fHasShown ? &fShown : NULL, fCapabilities);
	out += fCapabilities.MoveTo(caret.row, caret.column);
	out += fCapabilities.ShowCursor();
	_Write(out);
	// The picture just drawn is the one the next is compared with.
	std::swap(fCanvas, fShown);
	fHasShown = true;
}


void
TerminalSession::_Write(const std::string& bytes) const
{
	// While the session runs, a slow terminal is waited for until an ending
	// signal comes; giving the terminal back waits a bounded time.
	ExitSignals::Write(fTerminal, bytes, fLeaving ? kLeaveMilliseconds : -1,
		!fLeaving);
}


void
TerminalSession::_WaitForLoad(std::thread& loader,
	const std::atomic<bool>& done, std::vector<KeyStep>& early)
{
	while (!done) {
		_Draw();
		struct pollfd sources[2] = {{fTerminal, POLLIN, 0},
			{ExitSignals::FileDescriptor(), POLLIN, 0}};
		if (poll(sources, 2, kLoadPollMilliseconds) < 0 && errno != EINTR)
			break;
		bool quit = ExitSignals::Received() != 0;
		if ((sources[0].revents & POLLIN) != 0) {
			char bytes[4096];
			const ssize_t count = read(fTerminal, bytes, sizeof(bytes));
			if (count > 0)
				fKeys.Feed(bytes, static_cast<size_t>(count), early);
			else if (count == 0 || (errno != EINTR && errno != EAGAIN))
				quit = true;	// the terminal is gone
		}
		for (const KeyStep& key : early)
			quit = quit || IsQuitKey(key);
		if (quit && !done) {
			// The loader is still inside the method: leave without running
			// a destructor under it, abandoning it. Nothing has been
			// learned yet.
			loader.detach();
			_LeaveTerminal();
			HostPaths::RemoveTemporary(fTemporary);
			ExitSignals::WriteOutput("\n", kLeaveMilliseconds);
			const int signal = ExitSignals::Received();
			_exit(signal != 0 ? ExitSignals::ExitStatus(signal) : 0);
		}
	}
}


void
TerminalSession::_Help()
{
	const size_t before = HeadlessDisplay::Launches().size();
	if (!fHost->ChooseMenuItem("Help")) {
		fMessage = "the method shows no Help item";
		return;
	}
	std::string report;
	if (!fHost->Settle(&report))
		_Abandon(report);

	const std::vector<headless_launch_info> launches
		= HeadlessDisplay::Launches();
	if (launches.size() <= before || launches.back().arguments.empty()) {
		fMessage = "the method opened no help page";
		return;
	}
	std::string path = launches.back().arguments.front();
	if (!fAliasFrom.empty()
		&& path.compare(0, fAliasFrom.size(), fAliasFrom) == 0)
		path.replace(0, fAliasFrom.size(), fAliasTo);

	std::error_code code;
	if (!std::filesystem::is_regular_file(path, code))
		fMessage = "help: " + HomeRelative(path) + " is missing";
	else if (_Open(path))
		fMessage = "help: " + HomeRelative(path) + " (opening)";
	else
		fMessage = "help: " + HomeRelative(path);
}


bool
TerminalSession::_Open(const std::string& path) const
{
	// Only a desktop has a browser to show it in; a text browser started
	// from here would fight the session for the terminal.
	const char* display = getenv("DISPLAY");
	const char* wayland = getenv("WAYLAND_DISPLAY");
	if ((display == NULL || display[0] == '\0')
		&& (wayland == NULL || wayland[0] == '\0'))
		return false;
	const std::string opener = FindProgram("xdg-open");
	if (opener.empty())
		return false;

	// Everything the child needs is made before fork(): between fork() and
	// exec() only async-signal-safe calls are allowed.
	const char* arguments[] = {"xdg-open", path.c_str(), NULL};
	const pid_t child = fork();
	if (child < 0)
		return false;
	if (child == 0) {
		// The grandchild runs the opener on its own, away from the
		// terminal, and nobody needs to wait for it.
		setsid();
		if (fork() != 0)
			_exit(0);
		const int null = open("/dev/null", O_RDWR);
		if (null >= 0) {
			dup2(null, 0);
			dup2(null, 1);
			dup2(null, 2);
		}
		// nuvim ignores SIGPIPE (ExitSignals.h); the opener should not.
		signal(SIGPIPE, SIG_DFL);
		execv(opener.c_str(), const_cast<char* const*>(arguments));
		_exit(127);
	}
	int status = 0;
	while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
	}
	return true;
}


void
TerminalSession::_Abandon(const std::string& reason)
{
	_LeaveTerminal();
	std::cerr << "nuvim: the method stopped responding: " << reason
		<< std::endl;
	if (fApplication != NULL)
		std::cout << fApplication->Document() << '\n';
	std::cout.flush();
	HostPaths::RemoveSettingsLink(fTemporary);
	_exit(1);
}
