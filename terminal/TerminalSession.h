// The interactive `nuvim`: a full-screen session on a terminal in which a
// person types with the input method. The session plays the input server
// and the focused application, as the batch mode does, and draws on the
// terminal what they would show: the document with the composed text
// inline (underlined, with the method's markers), the method's windows as
// framed boxes (TerminalLayout.h), and a status line with the input mode,
// the settings directory and the session's own keys.
//
// Keys typed on the terminal become the platform's key messages
// (TerminalKeys.h), except the two the session keeps, which the method
// binds to nothing:
//	control-C			quit: the method is unloaded, so that it writes the
//						user dictionary, and Run() hands back the document
//	F1 or control-T		the method's "Help" menu item: shows where the help
//						page is, and opens it with xdg-open on a desktop
// Pasted text (bracketed paste) goes into the document as it stands, not
// through the method; a composition in progress stays open after it. A
// paste whose bytes stop for a second, or that passes
// TerminalKeys::kMaxPasteBytes, has lost its end marker: it is ended there,
// the status line says so, and keys are typed again.
// A resized terminal resizes the screen the method sees, which places its
// palettes again. Capabilities and keys come from terminfo
// (TerminalCapabilities.h): a terminal that cannot address the cursor, or a
// locale that is not UTF-8, is refused. The ending signals
// (ExitSignals.h) end the session as the quit key does; a composition still open goes into the document as shown
// (ComposedText.h). While the method is still loading, nothing has been
// learned, so the quit key or a signal then ends the process at once.
//
// A terminal that stops reading never holds up the end: output waits for it
// only until an ending signal comes, and the last output (giving the
// terminal back) waits at most half a second; what it cannot take is
// dropped.
//
// Everything runs on the calling thread, except that the method is loaded
// on a second one while the first draws the start-up notice.
#ifndef TERMINAL_SESSION_H
#define TERMINAL_SESSION_H

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <termios.h>

#include "KeyScript.h"
#include "TerminalCanvas.h"
#include "TerminalCapabilities.h"
#include "TerminalKeys.h"
#include "TerminalLayout.h"

class ApplicationModel;
class MethodHost;

class TerminalSession {
public:
	// What the status line says of the session's keys.
	static	const char* const	kKeysLabel;

	// Draws on and reads from the terminal open (for reading and writing)
	// on the file descriptor `terminal`, which the caller keeps and closes.
	explicit					TerminalSession(int terminal);
	// Gives the terminal back as it was, if Run() has not already.
								~TerminalSession();

	// Runs the session over the settings directory `settings` (empty for
	// the per-user directory, seeded from the bundled settings) with the
	// method module found next to the program or in the installed prefix,
	// until the quit key. Returns 0 with the application's document in
	// `document`; else 1 (nothing could start) or 2 (a settings directory
	// that does not exist, a terminal that cannot show the session: TERM
	// unset, dumb or unknown, a locale that is not UTF-8) with a one-line
	// reason in `error`. A method that
	// stops responding ends the process: the terminal is restored, the
	// reason goes to standard error and the document to standard output,
	// and the process exits with status 1. The quit key or an ending signal
	// during the load ends the process too: the terminal restored, the
	// temporary directory removed, an empty document printed, exit status 0
	// for the key and ExitSignals::ExitStatus() for a signal.
			int					Run(const std::string& settings,
									std::string& document,
									std::string& error);

	// After Run(): the ending signal that ended the session, 0 when the
	// quit key did.
			int					EndingSignal() const { return fEndingSignal; }
	// After Run() returned 0: whether the save at the unload replaced the
	// user dictionary file, whose path goes to `path`.
			bool				DictionarySaved(std::string& path) const
									{ path = fDictionaryPath;
									  return fDictionarySaved; }

	// The keys the session keeps for itself.
	static	bool				IsQuitKey(const KeyStep& step);
	static	bool				IsHelpKey(const KeyStep& step);

private:
			bool				_EnterTerminal(std::string& error);
			void				_LeaveTerminal();
	// The terminal's size, 80 x 24 when it does not say.
			void				_ReadSize(int& rows, int& columns) const;
	// A layout for the terminal's size now, and the method's screen to
	// match.
			void				_FollowSize();
			void				_Draw();
			void				_Write(const std::string& bytes) const;
	// The method's "Help" item, then where its page is.
			void				_Help();
	// Starts the desktop's opener on `path`; false when there is none.
			bool				_Open(const std::string& path) const;
	// Restores the terminal, reports `reason`, prints the document and
	// exits: a method that never settles cannot be unloaded.
	[[noreturn]] void			_Abandon(const std::string& reason);
	// Waits for the thread `loader` to set `done`, drawing the start-up
	// notice and reading keys meanwhile (kept in `early` for after the
	// load); the quit key or an ending signal ends the process.
			void				_WaitForLoad(std::thread& loader,
									const std::atomic<bool>& done,
									std::vector<KeyStep>& early);

			int					fTerminal;
			TerminalCapabilities fCapabilities;
			int					fTerminalFlags;
			bool				fRaw;
			bool				fLeaving;
			int					fEndingSignal;
			std::string			fDictionaryPath;
			bool				fDictionarySaved;
			struct termios		fSaved;
			TerminalKeys		fKeys;
			TerminalLayout		fLayout;
			TerminalCanvas		fCanvas;
			TerminalCanvas		fShown;
			bool				fHasShown;
			ApplicationModel*	fApplication;
			MethodHost*			fHost;
			std::string			fSettingsShown;
			std::string			fTemporary;
			std::string			fAliasFrom;
			std::string			fAliasTo;
			std::string			fMessage;
};

#endif	// TERMINAL_SESSION_H
