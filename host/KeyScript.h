// Key scripts: the keys and host actions that `nuvim` plays to an input
// method, written as text.
//
// Grammar. Every character of the script other than `<`, a line feed or a
// carriage return is one key, the key that types it on a US keyboard (a blank
// is the space bar, a tab the Tab key). Line breaks are ignored, so a script
// file may be laid out freely; the Enter key is written `<enter>`. A
// character outside ASCII is sent as its UTF-8 bytes with key code 0.
// `<name>` is a named key or action:
//
//	<space> <enter> <kp-enter> <bs> <del> <tab> <esc>
//	<left> <right> <up> <down> <lt>
//	<C-x>     control + letter x (a-z)
//	<cmd-x>   command + printable ASCII character x (may be `>`)
//	<opt-x>   option + printable ASCII character x (may be `>`)
//	<activate> <deactivate> <stop> <help>   host actions
//	<wait>    the host does nothing for one second (the method's timers run)
//
// Other control characters, invalid UTF-8, unknown names and an unclosed `<`
// are errors; each names the offending token and where it starts.
#ifndef KEY_SCRIPT_H
#define KEY_SCRIPT_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One step of a script.
struct KeyStep {
	enum Kind {
		KEY,			// a key-down message built from the fields below
		ACTIVATE,		// the input server activates the method
		DEACTIVATE,		// ... deactivates it
		STOP,			// the application asks the method to stop
		HELP,			// the input server sends the menu's "Help" message
		WAIT			// one second passes with no key
	};

	Kind				kind = KEY;
	std::string			token;		// as written in the script
	std::string			bytes;		// the character typed (UTF-8); KEY only
	int32_t				key = 0;	// raw key code; KEY only
	int32_t				modifiers = 0;	// modifier bits; KEY only
};

// Where and why a script failed to parse.
struct KeyScriptError {
	std::string			reason;		// e.g. "unknown key name"
	std::string			token;		// the offending text, as written
	size_t				position = 0;	// 1-based character index in the script
	size_t				line = 0;	// 1-based
	size_t				column = 0;	// 1-based character index in the line

	// One line: `<reason> <token> at position N` when `withLine` is false,
	// `... at line L, column C` when it is true (for script files).
	std::string			Describe(bool withLine) const;
};

class KeyScript {
public:
	// Parses `script`. On success fills `steps` and returns true; otherwise
	// fills `error`, leaves `steps` empty and returns false. Never throws.
	static	bool				Parse(const std::string& script,
									std::vector<KeyStep>& steps,
									KeyScriptError& error);

	// Parses `script` as Parse() does, handing each step to `each` as it is
	// read instead of keeping them all: a long script then costs nothing
	// per key. On a failure, `each` has seen the steps before the fault.
	static	bool				ParseEach(const std::string& script,
									const std::function<void(const KeyStep&)>&
										each,
									KeyScriptError& error);

	// The US key code and whether Shift is needed for the printable ASCII
	// character `c` (0x20-0x7E). Returns false for any other value.
	static	bool				UsKey(char c, int32_t& key, bool& shifted);
};

#endif	// KEY_SCRIPT_H
