// The kana reading buffer, shown as "▽" and the reading. A second upper-case
// letter inside the reading marks the okuri point ("*"); the letter and the
// kana after it are kept apart from the reading so that the look-up uses an
// okuri-ari key, and the look-up starts by itself once the first kana after
// the okuri point is complete.
//
// The record keeps the automaton's hiragana; katakana mode changes only what
// is shown and confirmed.
#ifndef NUV_KANA_BUFFER_STATE_H
#define NUV_KANA_BUFFER_STATE_H

#include "NuvBufferState.h"
#include "NuvKanaState.h"

class NuvKanaBufferState : public NuvBufferState, public NuvKanaState {
public:
	// An empty reading on `controler` (not owned), in the mode of the state
	// now on top; `hirakana` chooses what is shown and confirmed.
								NuvKanaBufferState(NuvControler* controler,
									bool hirakana);
	virtual						~NuvKanaBufferState();

	// Clears the automaton and merges any okurigana into the reading as
	// plain kana: a conversion started here and cancelled comes back as one
	// reading without okuri point.
	virtual	void				Activated();
	// "▽", the reading, "*" and the okurigana once the okuri point is set,
	// then the pending romaji; kana through KanaFilter().
	virtual	std::string			Pending();
	// Letters go to the reading (or the okurigana); space looks the reading
	// up; C-j, Enter (answered INPUT_AGAIN) and q (in the other kana)
	// confirm it. Keys of no meaning here are INPUT_IGNORED.
	virtual	int32_t				Input(nuv_input input);
	// Steps back over one romaji letter, else one kana; on an empty buffer
	// the state pops itself. Always INPUT_CONSUMED.
	virtual	int32_t				Undo();
	// Pops this state; the reading is dropped. INPUT_CONSUMED.
	virtual	int32_t				Cancel();

	// Flushes the automaton's pending romaji into the buffer: into the
	// okurigana once the okuri point is set, else into the reading.
			void				ForceConfirm();

private:
			int32_t				_ConfirmReading(bool otherKana,
									int32_t result);
};

#endif	// NUV_KANA_BUFFER_STATE_H
