// What the terminal of an interactive session can do and how it is told,
// read from the terminfo database through ncursesw: the strings that move
// the cursor, clear, set the styles and switch screens, and the bytes its
// keys send. The session writes these strings itself, so that its output
// stays its own (written with a deadline, compared row by row).
//
// The session needs cursor addressing, clearing of the screen and of a
// line's end, and a locale whose characters are UTF-8: a terminal without
// them (TERM unset, "dumb", a name terminfo does not know, a C locale)
// cannot show it, and is refused with a one-line reason.
//
// Loading sets up and releases the terminfo library's global terminal, so
// it is done by one thread while no other uses terminfo; a loaded value is
// plain data afterwards.
#ifndef TERMINAL_CAPABILITIES_H
#define TERMINAL_CAPABILITIES_H

#include <string>
#include <utility>
#include <vector>

class TerminalCapabilities {
public:
	// A key's bytes and its key script name without the brackets ("up",
	// "f1", "kp-enter", "S-tab").
	typedef std::pair<std::string, std::string> KeySequence;

								TerminalCapabilities();

	// Reads the description of the terminal named `name` (TERM when NULL)
	// whose size `descriptor` reports (-1: none). False, with a one-line
	// reason in `error`, when it cannot run the session.
			bool				Load(const char* name, int descriptor,
									std::string& error);

	// Takes the character type of the process's locale from the
	// environment (LC_ALL, LC_CTYPE, LANG); false, with a one-line reason,
	// when its characters are not UTF-8.
	static	bool				UseUtf8Locale(std::string& error);

	// Output. Each is empty when the terminal lacks it (then it is simply
	// not done), except the three the session needs, which Load checks.

	// Moves the cursor to `row`, `column` (0-based).
			std::string			MoveTo(int row, int column) const;
			const std::string&	ClearScreen() const { return fClearScreen; }
			const std::string&	ClearToEnd() const { return fClearToEnd; }
	// Styles: Plain() ends every style; the others add one.
			const std::string&	Plain() const { return fPlain; }
			const std::string&	Bold() const { return fBold; }
			const std::string&	Underline() const { return fUnderline; }
			const std::string&	Reverse() const { return fReverse; }
			const std::string&	HideCursor() const { return fHideCursor; }
			const std::string&	ShowCursor() const { return fShowCursor; }
	// The alternate screen, which keeps the user's scrollback as it was.
			const std::string&	EnterScreen() const { return fEnterScreen; }
			const std::string&	LeaveScreen() const { return fLeaveScreen; }
	// The keypad mode in which the keys send KeySequences().
			const std::string&	KeypadOn() const { return fKeypadOn; }
			const std::string&	KeypadOff() const { return fKeypadOff; }
	// Bracketed paste: pasted text arrives between ESC [ 200 ~ and
	// ESC [ 201 ~. The terminal's own strings when it names them, else the
	// common ones, which a terminal without the mode ignores.
			const std::string&	PasteOn() const { return fPasteOn; }
			const std::string&	PasteOff() const { return fPasteOff; }

	// Input: the escape sequences of the keys the terminal describes.
			const std::vector<KeySequence>& KeySequences() const
									{ return fKeys; }

private:
			std::string			fMove;
			std::string			fClearScreen;
			std::string			fClearToEnd;
			std::string			fPlain;
			std::string			fBold;
			std::string			fUnderline;
			std::string			fReverse;
			std::string			fHideCursor;
			std::string			fShowCursor;
			std::string			fEnterScreen;
			std::string			fLeaveScreen;
			std::string			fKeypadOn;
			std::string			fKeypadOff;
			std::string			fPasteOn;
			std::string			fPasteOff;
			std::vector<KeySequence> fKeys;
};

#endif	// TERMINAL_CAPABILITIES_H
