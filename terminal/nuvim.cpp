// nuvim: plays the input server and the focused application around the
// input method add-on, in batch mode over a key script, or interactively on
// the terminal (TerminalSession.h) when no script is given.
//
//	nuvim [--settings DIR] [--screen WxH] (--keys SCRIPT | --script FILE)
//	      [--json]
//	nuvim [--settings DIR]
//
// Warnings the method shows about its settings files (a table or dictionary
// converted from UTF-8, or in neither encoding) go to standard error, each
// once, as "nuvim: <text>".
//
// Exit status: 0 after a complete run; 1 when the method cannot be loaded or
// stops responding, when its user dictionary was not saved at the end, or
// when standard output cannot be written (the rest is done all the same, and
// standard error says so); 2, with one line on standard error naming the
// offending token and its position, for a malformed command line or key
// script (then nothing is loaded), and when there is no home directory for
// the settings. SIGTERM, SIGINT, SIGHUP and SIGQUIT end either mode as its
// end does (the method saves, the terminal is restored, the document is
// printed), with status 128 + the signal's number.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Font.h>
#include <HeadlessDisplay.h>

#include "ApplicationModel.h"
#include "ComposedText.h"
#include "ExitSignals.h"
#include "HostPaths.h"
#include "KeyScript.h"
#include "MethodHost.h"
#include "TerminalSession.h"
#include "Transcript.h"
#include "UserDictionaryFile.h"


namespace {

const int kExitFailure = 1;
const int kExitUsage = 2;

// Where the application's document starts on the screen.
const float kDocumentLeft = 20;
const float kDocumentTop = 20;
const int kMaxScreenSide = 32768;
// How long printing the document may wait for a terminal that has stopped
// reading; a file or a pipe is always waited for.
const int kOutputMilliseconds = 500;
// How often the wait for a loading method looks for an ending signal.
const int kLoadPollMilliseconds = 20;


struct Options {
	std::string	settings;
	std::string	screen = "1024x768";
	std::string	keys;
	std::string	scriptFile;
	bool		json = false;
	bool		hasKeys = false;
	bool		hasScript = false;
	int			screenWidth = 1024;
	int			screenHeight = 768;
};


int
UsageError(const std::string& message)
{
	std::cerr << "nuvim: " << message << std::endl;
	return kExitUsage;
}


// Parses "WxH"; false for anything else or a side outside 1..32768.
bool
ParseScreen(const std::string& text, int& width, int& height)
{
	const size_t x = text.find('x');
	if (x == std::string::npos || x == 0 || x + 1 >= text.size()
		|| x > 5 || text.size() - x - 1 > 5)
		return false;
	for (size_t i = 0; i < text.size(); i++) {
		if (i != x && (text[i] < '0' || text[i] > '9'))
			return false;
	}
	width = std::stoi(text.substr(0, x));
	height = std::stoi(text.substr(x + 1));
	return width >= 1 && width <= kMaxScreenSide && height >= 1
		&& height <= kMaxScreenSide;
}


// Says that standard output could not be written (the document is lost; the
// user dictionary was saved before). Returns the exit status.
int
OutputFailed(int error)
{
	std::cerr << "nuvim: cannot write to standard output: "
		<< strerror(error) << std::endl;
	return kExitFailure;
}


// The document as the run leaves it: a composition still open goes in as
// it is shown, without the method's markers.
std::string
FinalDocument(const ApplicationModel& application)
{
	return application.Document()
		+ ComposedText::WithoutMarkers(application.Composing());
}


// Loads the method on a second thread while this one watches for an ending
// signal. A load of large tables or dictionaries can take seconds, and
// until it is over nothing can have been learned: a signal then ends the
// process at once (the temporary directory removed, the empty document
// printed), without waiting for the load. Returns whether the load
// succeeded, with a reason in `error` when it did not.
bool
LoadOrLeave(MethodHost& host, const std::string& module,
	const std::string& temporary, Transcript* transcript, std::string& error)
{
	std::atomic<bool> done(false);
	bool loaded = false;
	std::thread loader([&]() {
		loaded = host.Load(module, error);
		done = true;
	});
	while (!done) {
		struct pollfd signals = {ExitSignals::FileDescriptor(), POLLIN, 0};
		poll(&signals, 1, kLoadPollMilliseconds);
		const int signal = ExitSignals::Received();
		if (signal != 0 && !done) {
			HostPaths::RemoveTemporary(temporary);
			if (transcript != NULL)
				transcript->Text(std::string());
			else
				ExitSignals::WriteOutput("\n", kOutputMilliseconds);
			std::cout.flush();
			// The loader is still inside the method: no destructor may
			// run under it, and it is abandoned rather than waited for.
			loader.detach();
			_exit(ExitSignals::ExitStatus(signal));
		}
	}
	loader.join();
	return loaded;
}


// Says on standard error that the words learned in this run are lost.
// Returns the exit status that goes with it.
int
NotSaved(const std::string& path)
{
	std::cerr << "nuvim: the user dictionary was not saved to " << path
		<< std::endl;
	return kExitFailure;
}


// The 1-based index of the first argument that `message` is about: an
// option it names, else `token` itself. 0 when none matches.
int
ArgumentPosition(int argc, char** argv, const std::string& message,
	const std::string& token = std::string())
{
	for (int i = 1; i < argc; i++) {
		const std::string argument = argv[i];
		if (!token.empty()) {
			if (argument == token)
				return i;
			continue;
		}
		const std::string name = argument.substr(0, argument.find('='));
		if (name.size() > 1 && name[0] == '-'
			&& message.find(name) != std::string::npos)
			return i;
	}
	return 0;
}


std::string
AtArgument(int position)
{
	if (position <= 0)
		return std::string();
	return " (argument " + std::to_string(position) + ")";
}


// Parses the command line into `options`. Returns -1 to go on, else the
// exit status (0 after --help).
int
ParseCommandLine(int argc, char** argv, Options& options)
{
	CLI::App app("Plays an application and the input server around the"
		" nuvIM input method.", "nuvim");
	app.allow_extras(true);
	app.add_option("--settings", options.settings,
		"The method's settings directory (tables, dictionaries)")
		->type_name("DIR");
	app.add_option("--screen", options.screen,
		"The main screen's size in pixels (default 1024x768)")
		->type_name("WxH");
	CLI::Option* keys = app.add_option("--keys", options.keys,
		"The key script, as one argument");
	keys->type_name("SCRIPT");
	CLI::Option* script = app.add_option("--script", options.scriptFile,
		"Read the key script from FILE (- for standard input)");
	script->type_name("FILE");
	keys->excludes(script);
	app.add_flag("--json", options.json,
		"Print a transcript, one JSON object per line");

	try {
		app.parse(argc, argv);
	} catch (const CLI::ParseError& error) {
		if (error.get_exit_code() == 0)
			return app.exit(error);
		const std::string message = error.what();
		return UsageError(message
			+ AtArgument(ArgumentPosition(argc, argv, message)));
	}

	const std::vector<std::string> extras = app.remaining();
	if (!extras.empty()) {
		const std::string& token = extras.front();
		const char* what = token.size() > 1 && token[0] == '-'
			? "unknown option " : "unexpected argument ";
		return UsageError(what + token
			+ AtArgument(ArgumentPosition(argc, argv, "", token)));
	}

	if (!ParseScreen(options.screen, options.screenWidth,
			options.screenHeight)) {
		return UsageError("--screen " + options.screen
			+ ": expected WxH such as 1024x768"
			+ AtArgument(ArgumentPosition(argc, argv, "--screen")));
	}
	options.hasKeys = keys->count() > 0;
	options.hasScript = script->count() > 0;
	return -1;
}


// Reads the key script into `text` and checks that it parses; returns -1
// to go on, else the exit status. The steps are parsed again as they are
// played, so that a long script keeps no record per key.
int
ReadScript(const Options& options, std::string& text)
{
	text = options.keys;
	std::string source = "key script";
	if (options.hasScript) {
		source = options.scriptFile;
		if (options.scriptFile == "-") {
			text.assign(std::istreambuf_iterator<char>(std::cin),
				std::istreambuf_iterator<char>());
		} else {
			// A directory opens but fails on the first read, which the
			// stream reports by throwing.
			std::ifstream in(options.scriptFile, std::ios::binary);
			bool readable = in.is_open();
			if (readable) {
				try {
					text.assign(std::istreambuf_iterator<char>(in),
						std::istreambuf_iterator<char>());
				} catch (const std::exception&) {
					readable = false;
				}
				readable = readable && !in.bad();
			}
			if (!readable) {
				return UsageError("cannot read the key script "
					+ options.scriptFile);
			}
		}
	}

	KeyScriptError error;
	if (!KeyScript::ParseEach(text, [](const KeyStep&) {}, error))
		return UsageError(source + ": " + error.Describe(options.hasScript));
	return -1;
}


int
RunBatch(const Options& options, const std::string& script)
{
	std::string settings = options.settings;
	if (settings.empty()) {
		settings = HostPaths::DefaultSettingsDirectory();
		std::string error;
		if (!HostPaths::SeedSettings(settings, HostPaths::FindSettingsBundle(),
				error)) {
			std::cerr << "nuvim: " << error << std::endl;
			return kExitFailure;
		}
	}

	std::string temporary;
	std::string resolved;
	std::string error;
	if (!HostPaths::PointSettingsDirectory(settings, temporary, resolved,
			error)) {
		// A settings directory that does not exist is the command line's
		// fault; a temporary directory that cannot be made is not.
		if (resolved.empty())
			return UsageError(error);
		std::cerr << "nuvim: " << error << std::endl;
		return kExitFailure;
	}

	const std::string module = HostPaths::FindMethodModule();
	if (module.empty()) {
		std::cerr << "nuvim: cannot find the method module nuvIM next to "
			<< HostPaths::ProgramDirectory() << std::endl;
		HostPaths::RemoveSettingsLink(temporary);
		return kExitFailure;
	}
	HeadlessDisplay::SetScreenSize(options.screenWidth, options.screenHeight);

	font_height height;
	be_plain_font->GetHeight(&height);
	ApplicationModel application(kDocumentLeft, kDocumentTop,
		height.ascent + height.descent + height.leading,
		[](const std::string& text) {
			return be_plain_font->StringWidth(text.c_str());
		});
	Transcript transcript(std::cout);
	bool saved = false;
	std::string dictionaryPath;
	std::string document;
	{
		MethodHost host(application, options.json ? &transcript : NULL);
		// The method's warnings about its settings files, each once.
		host.SetNoticeHandler([](const std::string& text) {
			std::cerr << "nuvim: " << text << std::endl;
		});
		if (!temporary.empty())
			host.SetPathAlias(temporary + "/nuvim_settings/", resolved + "/");
		if (!LoadOrLeave(host, module, temporary,
				options.json ? &transcript : NULL, error)) {
			std::cerr << "nuvim: " << error << std::endl;
			HostPaths::RemoveSettingsLink(temporary);
			return kExitFailure;
		}
		host.Activate(true);
		std::string report;
		bool settled = host.Settle(&report);
		// An ending signal stops the script after the step under way; the
		// run then ends as after its last step.
		KeyScriptError parseError;
		KeyScript::ParseEach(script, [&](const KeyStep& step) {
			if (settled && ExitSignals::Received() == 0)
				settled = host.Perform(step, &report);
		}, parseError);
		if (!settled) {
			// A method that never settles cannot be unloaded either.
			std::cerr << "nuvim: the method stopped responding: " << report
				<< std::endl;
			HostPaths::RemoveSettingsLink(temporary);
			std::cout.flush();
			_exit(kExitFailure);
		}

		document = FinalDocument(application);
		if (options.json)
			transcript.Text(document);
		// Only the last save counts: an early one may have succeeded
		// before the one at the unload failed.
		const UserDictionaryFile before(resolved);
		dictionaryPath = before.path;
		host.Unload();
		saved = UserDictionaryFile(resolved).ReplacedSince(before);
		if (options.json)
			transcript.Unloaded();
	}
	HostPaths::RemoveSettingsLink(temporary);

	int status = 0;
	int written = 0;
	if (options.json) {
		errno = 0;
		if (!std::cout.flush().good())
			written = errno != 0 ? errno : EIO;
	} else
		written = ExitSignals::WriteOutput(document + '\n',
			kOutputMilliseconds);
	if (written != 0)
		status = OutputFailed(written);
	if (!saved)
		status = NotSaved(dictionaryPath);
	const int signal = ExitSignals::Received();
	return signal != 0 ? ExitSignals::ExitStatus(signal) : status;
}


// #pragma mark - Interactive session


// Runs the full-screen session on the terminal; the UI goes to the
// terminal itself, so that standard output receives the document alone
// (`nuvim > note.txt` keeps what was typed).
int
RunInteractive(const Options& options)
{
	if (!isatty(STDIN_FILENO)) {
		return UsageError("the interactive session needs a terminal; give"
			" --keys or --script");
	}
	const int terminal = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
	if (terminal < 0)
		return UsageError("cannot open the terminal /dev/tty");

	std::string document;
	std::string error;
	int status;
	int signal;
	bool saved;
	std::string dictionaryPath;
	{
		TerminalSession session(terminal);
		status = session.Run(options.settings, document, error);
		signal = session.EndingSignal();
		saved = session.DictionarySaved(dictionaryPath);
	}
	close(terminal);
	if (status != 0) {
		std::cerr << "nuvim: " << error << std::endl;
		return status;
	}
	const int written = ExitSignals::WriteOutput(document + '\n',
		kOutputMilliseconds);
	if (written != 0)
		status = OutputFailed(written);
	if (!saved)
		status = NotSaved(dictionaryPath);
	return signal != 0 ? ExitSignals::ExitStatus(signal) : status;
}

}	// namespace


int
main(int argc, char** argv)
{
	// First of all, so that no signal finds the default action once a
	// temporary directory or the raw terminal exists.
	ExitSignals::Install();

	Options options;
	int status = ParseCommandLine(argc, argv, options);
	if (status >= 0)
		return status;
	if (options.settings.empty()
		&& HostPaths::DefaultSettingsDirectory().empty()) {
		return UsageError("no home directory for the settings (HOME is not"
			" a directory and the account has none); give --settings DIR");
	}

	if (!options.hasKeys && !options.hasScript) {
		if (options.json)
			return UsageError("--json needs --keys or --script");
		return RunInteractive(options);
	}

	std::string script;
	status = ReadScript(options, script);
	if (status >= 0)
		return status;

	return RunBatch(options, script);
}
