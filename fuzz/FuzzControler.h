// A controller for the engine fuzz target: automata filled from the default
// tables of settings/, the large dictionary settings/NUV-JISYO.L, and a
// user dictionary of its own that starts empty. Like the tests' controller
// it merges look-ups the way the front end does (learned words first).
//
// Every hook checks what the states hand it and fails the run (FuzzCheck.h)
// when a state breaks the hook's contract: a mode that is not a real mode, a
// candidate page longer than seven or with a negative remainder, an empty
// registration chain, a second purge prompt while one is shown, a look-up
// that is not a query, learning an empty word, or text that is not
// well-formed EUC-JP.
//
// The tables and the large dictionary are loaded once per process and
// shared by every controller; the automata are cleared when a controller is
// made, so that each fuzz input starts from the same state.
//
// Threads: one thread at a time, like every controller.
#ifndef NUV_FUZZ_CONTROLER_H
#define NUV_FUZZ_CONTROLER_H

#include <vector>

#include "NuvAutomaton.h"
#include "NuvControler.h"
#include "FuzzUserDictionary.h"
#include "NuvStaticDictionary.h"

class FuzzControler : public NuvControler {
public:
	// Loads the shared tables and dictionary on first use; pushes the
	// default state.
								FuzzControler();
	virtual						~FuzzControler();

			FuzzUserDictionary& UserDictionary() { return fUserDictionary; }
			bool				PurgeShown() const { return fPurgeShown; }

	// Hooks
	virtual	void				SetMode(nuv_mode mode);
	virtual	void				ShowCandidates(const nuv_candidate* first,
									const nuv_candidate* last,
									int remaining);
	virtual	void				HideCandidates();
	virtual	void				ShowRegisters(const nuv_candidate* first,
									const nuv_candidate* last);
	virtual	void				HideRegisters();
	virtual	void				ShowPurge(const nuv_candidate& candidate);
	virtual	void				HidePurge();
	virtual	NuvInteractiveConverter* Converter(nuv_mode mode);
	virtual	void				FindCandidates(const nuv_candidate& query,
									NuvCandidateList& out);
	virtual	void				InsertCandidate(
									const nuv_candidate& candidate);
	virtual	void				RemoveCandidate(
									const nuv_candidate& candidate);

private:
			FuzzUserDictionary	fUserDictionary;
			bool				fPurgeShown;
};

#endif	// NUV_FUZZ_CONTROLER_H
