// The yes/no question whether a candidate is to be removed from the user
// dictionary, shown with "★". The conversion state pushes it on X. The
// prompt itself is drawn by the controller's ShowPurge hook; this state shows
// it from its constructor and withdraws it from its destructor, so the prompt
// goes whichever way the state ends.
//
// Threads: used on its controller's thread only, like every state.
#ifndef NUV_PURGE_STATE_H
#define NUV_PURGE_STATE_H

#include <cstdint>
#include <string>

#include "NuvState.h"

class NuvPurgeState : public NuvState {
public:
	// Copies `record` (reading, okurigana, okuri and the word to purge) and
	// calls the controller's ShowPurge with the copy, before the state is
	// pushed. Takes the mode of the state now on top of `controler`.
								NuvPurgeState(NuvControler* controler,
									const nuv_candidate& record);
	// Calls the controller's HidePurge.
	virtual						~NuvPurgeState();

	// Always false.
	virtual	bool				IsEmpty();
	// "★" followed by the word and its okurigana.
	virtual	std::string			Pending();
	// y: removes the word from the user dictionary. n and cancel: keeps it.
	// Either answer ends the whole conversion (back to the bottom state) and
	// returns INPUT_CONSUMED; every other key returns INPUT_IGNORED and
	// leaves the prompt open.
	virtual	int32_t				Input(nuv_input input);
	// Ignored while the question is open; returns INPUT_CONSUMED.
	virtual	int32_t				Undo();
	// Ends the conversion without purging; returns INPUT_CONSUMED.
	virtual	int32_t				Cancel();

private:
			nuv_candidate		fRecord;
};

#endif	// NUV_PURGE_STATE_H
