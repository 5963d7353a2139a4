// The platform-independent controller: a stack of input states, the logical
// key table and the hooks through which states reach the display and the
// dictionaries.
//
// Threads: a controller, its states and its confirmed buffer are used by one
// thread only (the front end's message loop); nothing here is locked.
//
// Destruction: a state leaving the stack may call hooks (the top state's
// Disabled(), the destructors of the registration and purge states). While
// ~NuvControler runs, the subclass that implements the hooks is already gone,
// so the base never lets those calls reach `this`: before it deletes the
// states still on the stack, it points every one of them at a stand-in
// controller whose hooks do nothing (Converter() hands out a converter that
// takes no key). Subclasses therefore need no teardown code of their own. A
// subclass that wants its hooks to see the states leave (to hide a palette,
// say) calls ClearState(0) at the start of its own destructor. States reach
// their controller through NuvState::Controler() at the moment they need it
// and never keep the pointer elsewhere.
#ifndef NUV_CONTROLER_H
#define NUV_CONTROLER_H

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "NuvCandidateList.h"
#include "NuvInteractiveConverter.h"
#include "NuvTypes.h"

class NuvState;

class NuvControler : public NuvInteractiveConverter {
public:
	// An empty confirmed buffer and an empty stack. A subclass calls State()
	// at the end of its own construction so that the default state exists
	// and its mode is announced.
								NuvControler();
	// Deletes every state still on the stack (the top one after its
	// Disabled()); their hook calls reach a do-nothing stand-in, see above.
	virtual						~NuvControler();

	// Converter interface: each forwards to the top state (State(), which
	// creates the default state when the stack is empty) and returns its
	// result unchanged. Input() does not repeat a key answered INPUT_AGAIN;
	// that is the caller's task.
	virtual	bool				IsEmpty();
	virtual	int32_t				Input(nuv_input input);
	virtual	int32_t				Undo();
	virtual	int32_t				Cancel();
	// Replaces the whole stack by a fresh hiragana direct input state;
	// everything pending is dropped unconfirmed.
	virtual	void				Clear();
	virtual	std::string			Pending();

	// Keys

	// Whether `input` is the logical key `key`. The base tests `character`
	// only (key_code is ignored); keys outside the table are never true.
	// Subclasses may add physical keys.
	virtual	bool				IsKey(nuv_input input, nuv_key key);

	// Hooks. Called on the controller's thread by the states.

	// The mode now in force is to be displayed.
	virtual	void				SetMode(nuv_mode mode) = 0;
	// Show the page [first, last) (at most seven) with `remaining`
	// candidates after it. Called again on every key while the list is open.
	virtual	void				ShowCandidates(const nuv_candidate* first,
									const nuv_candidate* last,
									int remaining) = 0;
	// Hide the candidate list; harmless when none is shown.
	virtual	void				HideCandidates() = 0;
	// Show the readings under registration, outermost first.
	virtual	void				ShowRegisters(const nuv_candidate* first,
									const nuv_candidate* last) = 0;
	virtual	void				HideRegisters() = 0;
	// Show the yes/no question for purging `candidate`.
	virtual	void				ShowPurge(const nuv_candidate& candidate) = 0;
	virtual	void				HidePurge() = 0;
	// The automaton for `mode`; owned by the implementation and valid for
	// the controller's whole life. Modes sharing an automaton get the same
	// object. May block until the tables are loaded.
	virtual	NuvInteractiveConverter* Converter(nuv_mode mode) = 0;
	// Adds to `out`, which holds `query` and no word, every candidate word
	// for `query`, best first. Nothing added means no candidate.
	virtual	void				FindCandidates(const nuv_candidate& query,
									NuvCandidateList& out) = 0;
	// Learn `candidate` in the user dictionary (to the front).
	virtual	void				InsertCandidate(
									const nuv_candidate& candidate) = 0;
	// Remove `candidate` from the user dictionary.
	virtual	void				RemoveCandidate(
									const nuv_candidate& candidate) = 0;

	// Stack. The controller owns every state on its stack and deletes a
	// state when it leaves. A state may remove itself from inside its own
	// Input(), Undo() or Cancel(); it is deleted at once.

	// The top state; when the stack is empty, first pushes a new hiragana
	// direct input state (which announces its mode).
			NuvState*			State();
	// Disables the old top, pushes `state` (taking ownership), announces
	// its mode and activates it.
			void				PushState(NuvState* state);
	// Disables and deletes the top state, then announces and activates the
	// state below. Only states above the bottom one pop themselves; a pop
	// of the last state leaves the stack empty and announces nothing.
			void				PopState();
	// Disables the top state, deletes states until at most `depth` remain,
	// then announces and activates the new top (also when nothing was
	// removed). When the stack ends empty nothing is announced.
			void				ClearState(int depth);
	// ClearState(0), then PushState(state).
			void				ClearState(NuvState* state);
	// The number of states on the stack.
			int32_t				CountStates() const;

private:
			void				_DeleteTop();

			std::deque<NuvState*> fStack;
};

#endif	// NUV_CONTROLER_H
