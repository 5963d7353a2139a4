// The mixin of the kana states: the hiragana/katakana choice and the filter
// that every piece of kana shown or confirmed passes through. Automata and
// buffers work in hiragana; katakana exists only at this filter.
#ifndef NUV_KANA_STATE_H
#define NUV_KANA_STATE_H

#include <string>

#include "NuvState.h"

class NuvKanaState : public virtual NuvState {
public:
	// `hirakana`: true for hiragana, false for katakana. The most derived
	// class constructs the NuvState part.
								NuvKanaState(bool hirakana);
	virtual						~NuvKanaState();

	// Announces MODE_HIRAKANA or MODE_KATAKANA through SetMode().
			void				SetKanaMode();
	// Swaps hiragana and katakana without announcing it; callers follow it
	// with SetKanaMode() when the mode display is to change.
			void				ToggleKana();
			bool				IsHirakana() const { return fHirakana; }
	// `text` unchanged in hiragana; with its hiragana turned to katakana
	// otherwise.
			std::string			KanaFilter(const std::string& text) const;

private:
			bool				fHirakana;
};

#endif	// NUV_KANA_STATE_H
