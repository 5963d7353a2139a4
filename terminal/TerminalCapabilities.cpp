#include "TerminalCapabilities.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

#include <langinfo.h>

// Last: term.h defines macros for every capability's short name.
#include <curses.h>
#include <term.h>


namespace {

// `bytes` without the delays ("$<5>") that terminfo writes for slow
// terminals: nothing the session drives needs them, and they are not for
// the terminal's eyes.
std::string
WithoutDelays(const char* bytes)
{
	std::string out;
	for (const char* c = bytes; *c != '\0'; c++) {
		if (c[0] == '$' && c[1] == '<') {
			const char* end = strchr(c, '>');
			if (end != NULL) {
				c = end;
				continue;
			}
		}
		out += *c;
	}
	return out;
}


// The capability `name`; empty when the terminal lacks it.
std::string
StringCapability(const char* name)
{
	const char* value = tigetstr(name);
	if (value == NULL || value == reinterpret_cast<const char*>(-1))
		return std::string();
	return WithoutDelays(value);
}


// Key capabilities and their key script names. The session also knows the
// common sequences that terminals send whatever their description says
// (TerminalKeys.h); these add the terminal's own.
const struct {
	const char*	capability;
	const char*	name;
} kKeyCapabilities[] = {
	{"kcuu1", "up"}, {"kcud1", "down"}, {"kcuf1", "right"},
	{"kcub1", "left"}, {"khome", "home"}, {"kend", "end"},
	{"kich1", "ins"}, {"kdch1", "del"}, {"kpp", "pgup"}, {"knp", "pgdn"},
	{"kent", "kp-enter"}, {"kcbt", "S-tab"},
	{"kf1", "f1"}, {"kf2", "f2"}, {"kf3", "f3"}, {"kf4", "f4"},
	{"kf5", "f5"}, {"kf6", "f6"}, {"kf7", "f7"}, {"kf8", "f8"},
	{"kf9", "f9"}, {"kf10", "f10"}, {"kf11", "f11"}, {"kf12", "f12"},
};

}	// namespace


TerminalCapabilities::TerminalCapabilities()
{
}


bool
TerminalCapabilities::Load(const char* name, int descriptor,
	std::string& error)
{
	if (name == NULL) {
		name = getenv("TERM");
		if (name == NULL || name[0] == '\0') {
			error = "the interactive session needs a terminal type: TERM is"
				" not set";
			return false;
		}
	}
	int status = 0;
	if (setupterm(const_cast<char*>(name), descriptor, &status) != OK) {
		error = status == 0
			? std::string("the terminal type ") + name
				+ " is unknown to terminfo"
			: std::string("no terminfo database describes ") + name;
		return false;
	}

	fMove = StringCapability("cup");
	fClearScreen = StringCapability("clear");
	fClearToEnd = StringCapability("el");
	fPlain = StringCapability("sgr0");
	fBold = StringCapability("bold");
	fUnderline = StringCapability("smul");
	fReverse = StringCapability("rev");
	fHideCursor = StringCapability("civis");
	fShowCursor = StringCapability("cnorm");
	fEnterScreen = StringCapability("smcup");
	fLeaveScreen = StringCapability("rmcup");
	fKeypadOn = StringCapability("smkx");
	fKeypadOff = StringCapability("rmkx");
	// Newer descriptions name the paste mode's switches (BE, BD).
	fPasteOn = StringCapability("BE");
	fPasteOff = StringCapability("BD");
	if (fPasteOn.empty() || fPasteOff.empty()) {
		fPasteOn = "\x1B[?2004h";
		fPasteOff = "\x1B[?2004l";
	}

	fKeys.clear();
	for (const auto& key : kKeyCapabilities) {
		const std::string bytes = StringCapability(key.capability);
		// Single bytes (a Backspace of ^H) are decoded as typed already.
		if (bytes.size() > 1 && bytes[0] == '\x1B')
			fKeys.push_back(KeySequence(bytes, key.name));
	}
	const bool hardCopy = tigetflag(const_cast<char*>("hc")) > 0;
	const bool generic = tigetflag(const_cast<char*>("gn")) > 0;
	del_curterm(cur_term);

	if (hardCopy || generic || fMove.empty() || fClearScreen.empty()
		|| fClearToEnd.empty()) {
		error = std::string("the terminal type ") + name
			+ " cannot address the cursor, which the interactive session"
			" needs; give --keys or --script";
		return false;
	}
	return true;
}


bool
TerminalCapabilities::UseUtf8Locale(std::string& error)
{
	const char* locale = setlocale(LC_CTYPE, "");
	const char* codeset = nl_langinfo(CODESET);
	if (locale != NULL && codeset != NULL
		&& (strcmp(codeset, "UTF-8") == 0 || strcmp(codeset, "utf8") == 0))
		return true;
	if (locale == NULL)
		setlocale(LC_CTYPE, "C");
	error = "the interactive session needs a UTF-8 locale (such as"
		" LANG=C.UTF-8); the locale here is "
		+ std::string(locale != NULL ? locale : "unavailable")
		+ "; give --keys or --script";
	return false;
}


std::string
TerminalCapabilities::MoveTo(int row, int column) const
{
	if (fMove.empty())
		return std::string();
	const char* bytes = tiparm(fMove.c_str(), row, column);
	return bytes != NULL ? WithoutDelays(bytes) : std::string();
}
