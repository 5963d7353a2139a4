// The abbreviation buffer, shown as "▽" and the reading: printable ASCII is
// typed into the reading as it is and looked up like a kana reading, or
// confirmed in full-width letters. Runs in MODE_ABBREV.
#ifndef NUV_ASCII_BUFFER_STATE_H
#define NUV_ASCII_BUFFER_STATE_H

#include "NuvBufferState.h"

class NuvAsciiBufferState : public NuvBufferState {
public:
	// An empty reading on `controler` (not owned).
								NuvAsciiBufferState(NuvControler* controler);
	virtual						~NuvAsciiBufferState();

	// "▽" followed by the reading.
	virtual	std::string			Pending();
	// Printable characters (0x20 to 0x7E) join the reading; space looks it
	// up; C-q confirms it in full-width letters; C-j and Enter (answered
	// INPUT_AGAIN) confirm it as typed. Other keys are INPUT_IGNORED.
	virtual	int32_t				Input(nuv_input input);
	// Removes the last character; on an empty reading pops this state.
	// INPUT_CONSUMED.
	virtual	int32_t				Undo();
	// Pops this state; the reading is dropped. INPUT_CONSUMED.
	virtual	int32_t				Cancel();
};

#endif	// NUV_ASCII_BUFFER_STATE_H
