// The engine's controller on the platform: the hooks through which the input
// states reach the palettes and the dictionaries, and the key tests that
// tell the platform's keys apart by their key codes.
//
// Threads: every call runs with the owning looper locked (on the looper's
// thread, or on the input server's thread inside MethodActivated()). The
// palettes are windows with threads of their own; the calls made on them
// take their window locks, always after the looper's lock.
#ifndef BE_NUV_CONTROLER_H
#define BE_NUV_CONTROLER_H

#include <vector>

#include <Rect.h>

#include "NuvControler.h"

class BeNuvLooper;
class BeNuvModePalette;
class BeNuvTextPalette;

class BeNuvControler : public NuvControler {
public:
	// Creates and runs the mode palette and the candidates, registration and
	// purge palettes (all hidden), then pushes the initial hiragana state.
	// Returns only after the looper's resources have loaded, since that
	// state asks for its automaton. `looper` owns this controller and
	// outlives it.
								BeNuvControler(BeNuvLooper* looper);
	// Closes the four palettes. States still on the stack (a conversion, a
	// registration, a purge prompt) are deleted afterwards by the base,
	// whose teardown keeps their hook calls away from this object.
	virtual						~BeNuvControler();

	// Shows the mode palette when `active`, hides it otherwise.
			void				MethodActivated(bool active);

	// Keys

	// Escape is also KEY_CANCEL; Enter and keypad Enter are KEY_ENTER;
	// KEY_CONFIRM and KEY_KANA are control-J typed on the J key only (Enter
	// produces the same character). Everything else as the base.
	virtual	bool				IsKey(nuv_input input, nuv_key key);

	// Hooks

	virtual	void				SetMode(nuv_mode mode);
	// The page as one line in the candidates palette (NuvContract.h).
	virtual	void				ShowCandidates(const nuv_candidate* first,
									const nuv_candidate* last,
									int remaining);
	virtual	void				HideCandidates();
	// One line `registering "reading*okuri"` per record, outermost first.
	virtual	void				ShowRegisters(const nuv_candidate* first,
									const nuv_candidate* last);
	virtual	void				HideRegisters();
	// The line `Really purge"reading okuri /word/"? (y/n)`.
	virtual	void				ShowPurge(const nuv_candidate& candidate);
	virtual	void				HidePurge();
	// The looper's resources' automaton for `mode`; waits for the load.
	virtual	NuvInteractiveConverter* Converter(nuv_mode mode);
	// The user dictionary's words first, then the large dictionary's words
	// that the user dictionary lacks.
	virtual	void				FindCandidates(const nuv_candidate& query,
									NuvCandidateList& out);
	// Learning and forgetting touch the user dictionary only.
	virtual	void				InsertCandidate(
									const nuv_candidate& candidate);
	virtual	void				RemoveCandidate(
									const nuv_candidate& candidate);

	// Palettes

	// Appends `palette` to the stacking order (not owned by the order).
			void				AddPalette(BeNuvTextPalette* palette);
			void				ShowPalette(BeNuvTextPalette* palette);
			void				HidePalette(BeNuvTextPalette* palette);
	// Shows or hides `palette`, then places every visible text palette
	// against the caret and the visible palettes before it in the stacking
	// order. The caret is the first character the application last
	// reported; when no location is stored (no answer yet, or an answer
	// for no characters), the last caret used, initially the screen's
	// top-left corner.
			void				RelocatePalettes(BeNuvTextPalette* palette,
									bool show);

private:
			BRect				_CaretRect();

			BeNuvLooper*		fLooper;
			BeNuvModePalette*	fModePalette;
			BeNuvTextPalette*	fCandidatesPalette;
			BeNuvTextPalette*	fRegistrationPalette;
			BeNuvTextPalette*	fPurgePalette;
			std::vector<BeNuvTextPalette*> fPalettes;
			BRect				fLastCaret;
};

#endif	// BE_NUV_CONTROLER_H
