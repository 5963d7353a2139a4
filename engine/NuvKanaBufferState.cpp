#include "NuvKanaBufferState.h"

#include "NuvControler.h"
#include "NuvInteractiveConverter.h"
#include "NuvUtils.h"


namespace {

inline bool
IsUpper(int32_t character)
{
	return character >= 'A' && character <= 'Z';
}


inline int32_t
ToLower(int32_t character)
{
	return IsUpper(character) ? character + ('a' - 'A') : character;
}

}	// namespace


NuvKanaBufferState::NuvKanaBufferState(NuvControler* controler,
	bool hirakana)
	:
	NuvState(controler, MODE_NONE),
	NuvBufferState(),
	NuvKanaState(hirakana)
{
}


NuvKanaBufferState::~NuvKanaBufferState()
{
}


void
NuvKanaBufferState::Activated()
{
	Converter()->Clear();
	fBuffer.reading += fBuffer.okurigana;
	fBuffer.okurigana.clear();
	fBuffer.okuri.clear();
}


std::string
NuvKanaBufferState::Pending()
{
	std::string text(NuvContract::kReadingMarker);
	text += fBuffer.reading;
	if (!fBuffer.okuri.empty()) {
		text += NuvContract::kOkuriMarker;
		text += fBuffer.okurigana;
	}
	text += Converter()->Pending();
	return KanaFilter(text);
}


int32_t
NuvKanaBufferState::Input(nuv_input input)
{
	NuvInteractiveConverter* automaton = Converter();

	int32_t result;
	if (IsUpper(input.character) && fBuffer.okuri.empty()
		&& !fBuffer.reading.empty()) {
		// A second upper-case letter starts the okurigana. Flush first so
		// that letters pending before it stay part of the reading.
		ForceConfirm();
		const nuv_input lower(ToLower(input.character), input.key_code);
		result = automaton->Input(lower);
		if (result == INPUT_CONSUMED)
			fBuffer.okuri.assign(1, static_cast<char>(lower.character));
	} else {
		// The letter that opened the buffer, lower-case letters and further
		// upper-case letters of the okurigana are all plain romaji.
		result = automaton->Input(
			nuv_input(ToLower(input.character), input.key_code));
	}

	if (result == INPUT_CONSUMED) {
		if (fBuffer.okuri.empty())
			fBuffer.reading += automaton->Confirmed();
		else {
			fBuffer.okurigana += automaton->Confirmed();
			// The first kana after the okuri point is complete: look the
			// word up at once, no space needed.
			if (automaton->IsEmpty())
				FindCandidates();
		}
		return INPUT_CONSUMED;
	}

	NuvControler* controler = Controler();
	if (controler->IsKey(input, KEY_BACKSPACE))
		return Undo();
	if (controler->IsKey(input, KEY_CANCEL))
		return Cancel();
	if (controler->IsKey(input, KEY_NEXT)) {
		ForceConfirm();
		if (fBuffer.reading.empty())
			ClearState(1);
		else
			FindCandidates();
		return INPUT_CONSUMED;
	}
	if (controler->IsKey(input, KEY_OTHER_KANA))
		return _ConfirmReading(true, INPUT_CONSUMED);
	if (controler->IsKey(input, KEY_CONFIRM))
		return _ConfirmReading(false, INPUT_CONSUMED);
	if (controler->IsKey(input, KEY_ENTER)) {
		// Enter then reaches the state below (and the application).
		return _ConfirmReading(false, INPUT_AGAIN);
	}
	return INPUT_IGNORED;
}


int32_t
NuvKanaBufferState::Undo()
{
	NuvInteractiveConverter* automaton = Converter();
	if (!automaton->IsEmpty())
		automaton->Undo();
	else if (!fBuffer.okurigana.empty())
		NuvUtils::PopBackEuc(fBuffer.okurigana);
	else if (!fBuffer.reading.empty())
		NuvUtils::PopBackEuc(fBuffer.reading);
	else {
		PopState();
		return INPUT_CONSUMED;
	}

	// The okuri point goes together with its last trace.
	if (automaton->IsEmpty() && fBuffer.okurigana.empty())
		fBuffer.okuri.clear();
	return INPUT_CONSUMED;
}


int32_t
NuvKanaBufferState::Cancel()
{
	PopState();
	return INPUT_CONSUMED;
}


void
NuvKanaBufferState::ForceConfirm()
{
	NuvInteractiveConverter* automaton = Converter();
	automaton->ForceConfirm();
	if (fBuffer.okuri.empty())
		fBuffer.reading += automaton->Confirmed();
	else
		fBuffer.okurigana += automaton->Confirmed();
}


// Confirms what the preedit shows of the reading, okurigana included, in
// the other kana when asked, and clears the stack down to the bottom state
// (which deletes this state).
int32_t
NuvKanaBufferState::_ConfirmReading(bool otherKana, int32_t result)
{
	ForceConfirm();
	if (otherKana)
		ToggleKana();
	Confirm(KanaFilter(fBuffer.reading + fBuffer.okurigana));
	if (otherKana)
		ToggleKana();
	ClearState(1);
	return result;
}
