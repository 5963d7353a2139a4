#include "NuvKanaState.h"

#include "NuvUtils.h"


NuvKanaState::NuvKanaState(bool hirakana)
	:
	fHirakana(hirakana)
{
}


NuvKanaState::~NuvKanaState()
{
}


void
NuvKanaState::SetKanaMode()
{
	SetMode(fHirakana ? MODE_HIRAKANA : MODE_KATAKANA);
}


void
NuvKanaState::ToggleKana()
{
	fHirakana = !fHirakana;
}


std::string
NuvKanaState::KanaFilter(const std::string& text) const
{
	if (fHirakana)
		return text;
	return NuvUtils::ConvertEucHirakanaToKatakana(text);
}
