// Kana direct input, the default state of every controller: lower-case
// romaji become hiragana (or katakana) and are confirmed at once; upper-case
// letters open a reading, and a few keys switch modes.
#ifndef NUV_KANA_INPUT_STATE_H
#define NUV_KANA_INPUT_STATE_H

#include "NuvInputState.h"
#include "NuvKanaState.h"

class NuvKanaInputState : public NuvInputState, public NuvKanaState {
public:
	// A hiragana input state on `controler` (not owned).
								NuvKanaInputState(NuvControler* controler);
	virtual						~NuvKanaInputState();

	// The pending romaji through KanaFilter().
	virtual	std::string			Pending();
	// See NuvKanaInputState.cpp for the key table. Upper-case letters push a
	// kana reading buffer and answer INPUT_AGAIN so that the same letter
	// starts the reading; every hand-over first flushes the automaton.
	virtual	int32_t				Input(nuv_input input);

	// Flushes the automaton and confirms what it produced (a pending n as
	// its kana); pending letters with no output of their own vanish.
			void				ForceConfirm();
};

#endif	// NUV_KANA_INPUT_STATE_H
