// Direct input: keys go through the automaton of the state's mode and are
// confirmed at once. Used by itself for the Latin, full-width, "TC" and "TUT"
// modes, and as the base of the kana direct input state.
#ifndef NUV_INPUT_STATE_H
#define NUV_INPUT_STATE_H

#include "NuvState.h"

class NuvInputState : public virtual NuvState {
public:
	// A direct input state of `mode` on `controler` (not owned).
								NuvInputState(NuvControler* controler,
									nuv_mode mode);
	virtual						~NuvInputState();

	// Clears the automaton, so that letters left pending by another state
	// that shares it are dropped whenever this state comes on top.
	virtual	void				Activated();
	// The automaton holds no pending letters.
	virtual	bool				IsEmpty();
	// The pending romaji letters.
	virtual	std::string			Pending();
	// Keys the automaton takes are confirmed as produced; Backspace and
	// cancel work on the pending letters; control-J empties the stack so
	// that the controller returns to hiragana input. Any other key is
	// INPUT_IGNORED.
	virtual	int32_t				Input(nuv_input input);
	// The automaton's Undo() and Cancel(): INPUT_IGNORED when nothing was
	// pending.
	virtual	int32_t				Undo();
	virtual	int32_t				Cancel();
};

#endif	// NUV_INPUT_STATE_H
