// A controller for the engine fuzz target over the default tables and the
// large dictionary of settings/ (loaded once per process, the automata
// cleared for each controller) and a user dictionary of its own, merging
// look-ups as the front end does (learned words first). Every hook fails the
// run when a state breaks its contract: no real mode, a page longer than
// seven or a negative remainder, an empty registration chain, a second purge
// prompt, a look-up that is not a query, learning an empty word, or text
// that is not well-formed EUC-JP. One thread at a time.
#ifndef NUV_FUZZ_CONTROLER_H
#define NUV_FUZZ_CONTROLER_H

#include <vector>

#include "NuvAutomaton.h"
#include "NuvControler.h"
#include "FuzzUserDictionary.h"
#include "NuvStaticDictionary.h"

class FuzzControler : public NuvControler {
public:
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
