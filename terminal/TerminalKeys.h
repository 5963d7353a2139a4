// The bytes a terminal sends for the keys a person types, decoded into the
// key-down steps that a US keyboard gives the input server: the same records
// that key scripts make (KeyScript.h), with a token spelled as a script would
// spell the key where the script has a name for it.
//
//	terminal sends				the step
//	printable ASCII				the key that types it; Shift for the
//								shifted characters
//	a UTF-8 character			its bytes, key code 0 (four-byte characters
//								too: the method decides what they become)
//	CR (Enter)					0x0A on the Enter key 0x47
//	LF (control-J)				0x0A on the J key 0x42 with Control, so
//								that the method tells the two apart
//	DEL or BS (Backspace)		0x08 on the Backspace key 0x1E
//	TAB							the Tab key
//	ESC, then a pause			the Escape key 0x1B on 0x01
//	ESC and a key (Alt+key)		that key with the Command modifier
//	other control codes			control + the letter (or \ ] ^ _)
//	CSI and SS3 sequences		arrows, Home, End, Insert, Delete, Page Up,
//								Page Down, F1 to F12, keypad Enter, with
//								xterm's modifier parameter (Alt is
//								Command); the bytes of the platform's keys
//	the terminal's own key		the key that terminfo names for them
//	sequences (AddSequence)		(matched before the common ones above)
//	ESC [ 200 ~ text ESC [ 201 ~	one paste step (IsPaste) whose bytes
//								are the text as pasted, control bytes
//								included: a paste is not typed; one
//								that passes kMaxPasteBytes ends there,
//								and the caller ends one whose bytes
//								stop (EndPaste)
//	anything else				nothing: unknown sequences and bytes that
//								are not well-formed UTF-8 are dropped
//
// Control-M types the same CR as Enter, control-I the TAB of Tab and
// control-H the BS of Backspace: a terminal cannot tell them apart.
//
// A decoder belongs to one terminal and one thread.
#ifndef TERMINAL_KEYS_H
#define TERMINAL_KEYS_H

#include <string>
#include <utility>
#include <vector>

#include "KeyScript.h"

class TerminalKeys {
public:
	// How long to wait after an incomplete sequence (a lone ESC) before
	// taking it as typed: a terminal sends a whole sequence at once.
	static	const int			kEscapeDelayMilliseconds = 30;

	// The token of a paste step.
	static	const char* const	kPasteToken;
	// No paste is this long: a terminal that sent this much without the
	// end marker has lost it, and what follows is typed again.
	static constexpr size_t		kMaxPasteBytes = 10 << 20;

								TerminalKeys();

	// Decodes `bytes` (beginning with ESC) as the key named `name`, as the
	// key script spells it without brackets ("up", "f1", "kp-enter",
	// "S-tab"). Unknown names and other bytes are ignored.
			void				AddSequence(const std::string& bytes,
									const std::string& name);
	// Whether `step` is pasted text rather than a key.
	static	bool				IsPaste(const KeyStep& step);

	// Decodes `length` more bytes and appends each complete key to `keys`.
	// An incomplete sequence at the end is kept for the next call.
			void				Feed(const char* bytes, size_t length,
									std::vector<KeyStep>& keys);
	// True while the bytes fed end in an incomplete sequence, or in a
	// paste not yet handed out.
			bool				HasPending() const
									{ return fInPaste ? !fPaste.empty()
										: !fPending.empty(); }
	// The terminal sent nothing more for a while: takes what is pending as
	// typed. A lone ESC is the Escape key, ESC [ and ESC O are Alt+[ and
	// Alt+O; a cut sequence or character is dropped. Inside a paste, the
	// text pasted so far is handed out and the paste goes on.
			void				Flush(std::vector<KeyStep>& keys);

	// Whether the bytes fed are inside a paste (its end marker not yet
	// seen).
			bool				InPaste() const { return fInPaste; }
	// Ends the paste under way as if its end marker had come: the text
	// pasted so far is handed out, what follows is decoded as keys.
			void				EndPaste(std::vector<KeyStep>& keys);
	// True once after Feed() ended a paste at kMaxPasteBytes.
			bool				TakePasteCut();

private:
	// Decodes one key at fPending[at]; returns the bytes used, 0 when more
	// bytes are needed (never when `final`). A step with an empty token
	// means the bytes decode to no key.
			size_t				_DecodeOne(size_t at, bool final,
									KeyStep& step) const;
	// Inside a paste: takes the pasted bytes from fPending[at] on, up to
	// the end marker; returns where decoding goes on.
			size_t				_TakePaste(size_t at,
									std::vector<KeyStep>& keys);
			void				_EmitPaste(std::vector<KeyStep>& keys);

			std::string			fPending;
			std::vector<std::pair<std::string, KeyStep> > fSequences;
			bool				fInPaste;
			bool				fPasteCut;
			std::string			fPaste;
			// Bytes of the paste under way, handed out or not.
			size_t				fPasteLength;
};

#endif	// TERMINAL_KEYS_H
