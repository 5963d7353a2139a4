// The nested controller of a word registration. It keeps its own state
// stack, so that the new word is typed with the whole engine, and sends every
// outward request (key tests, mode display, palettes, automata, dictionaries)
// to the controller its owning registration is pushed on.
//
// Threads: used on the thread of the controller above it only.
#ifndef NUV_REGISTER_CONTROLER_H
#define NUV_REGISTER_CONTROLER_H

#include <vector>

#include "NuvControler.h"

class NuvRegisterState;

class NuvRegisterControler : public NuvControler {
public:
	// `owner` owns this controller and outlives it. The stack starts empty;
	// the first state is a hiragana direct input state.
								NuvRegisterControler(NuvRegisterState* owner);
	virtual						~NuvRegisterControler();

	// Hooks, all forwarded to the owner's controller
	virtual	bool				IsKey(nuv_input input, nuv_key key);
	virtual	void				SetMode(nuv_mode mode);
	virtual	void				ShowCandidates(const nuv_candidate* first,
									const nuv_candidate* last,
									int remaining);
	virtual	void				HideCandidates();
	// Passes the owner's record followed by [first, last) outwards, and marks
	// the owner as holding a nested registration.
	virtual	void				ShowRegisters(const nuv_candidate* first,
									const nuv_candidate* last);
	// Shows the owner's record alone again (the inner registration has
	// ended) and clears the owner's nested mark.
	virtual	void				HideRegisters();
	virtual	void				ShowPurge(const nuv_candidate& candidate);
	virtual	void				HidePurge();
	virtual	NuvInteractiveConverter*	Converter(nuv_mode mode);
	virtual	void				FindCandidates(const nuv_candidate& query,
									NuvCandidateList& out);
	virtual	void				InsertCandidate(
									const nuv_candidate& candidate);
	virtual	void				RemoveCandidate(
									const nuv_candidate& candidate);

private:
			NuvControler*		_Parent() const;

			NuvRegisterState*	fOwner;
};

#endif	// NUV_REGISTER_CONTROLER_H
