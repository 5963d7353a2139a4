#include "NuvKanaInputState.h"

#include "NuvAsciiBufferState.h"
#include "NuvControler.h"
#include "NuvKanaBufferState.h"


NuvKanaInputState::NuvKanaInputState(NuvControler* controler)
	:
	NuvState(controler, MODE_HIRAKANA),
	NuvInputState(controler, MODE_HIRAKANA),
	NuvKanaState(true)
{
}


NuvKanaInputState::~NuvKanaInputState()
{
}


std::string
NuvKanaInputState::Pending()
{
	return KanaFilter(Converter()->Pending());
}


// The automaton is asked first, so a key the tables define never reaches the
// bindings below. Of those, in order: Backspace and cancel act on the
// pending letters; l, L (and the unbound TC and TUT keys) replace the stack
// by another direct input state; "/" pushes the abbreviation buffer; q swaps
// hiragana and katakana; an upper-case letter opens a reading; anything else
// is left to the application.
int32_t
NuvKanaInputState::Input(nuv_input input)
{
	NuvInteractiveConverter* automaton = Converter();
	if (automaton->Input(input) == INPUT_CONSUMED) {
		Confirm(KanaFilter(automaton->Confirmed()));
		return INPUT_CONSUMED;
	}

	NuvControler* controler = Controler();
	if (controler->IsKey(input, KEY_BACKSPACE))
		return Undo();
	if (controler->IsKey(input, KEY_CANCEL))
		return Cancel();

	static const struct {
		nuv_key		key;
		nuv_mode	mode;
	} kModeKeys[] = {
		{ KEY_LATIN, MODE_ASCII },
		{ KEY_ZENEI, MODE_ZENEI },
		{ KEY_TC, MODE_TC },
		{ KEY_TUT, MODE_TUT }
	};
	for (const auto& modeKey : kModeKeys) {
		if (controler->IsKey(input, modeKey.key)) {
			ForceConfirm();
			// Deletes this state; nothing of it may be touched afterwards.
			ClearState(new NuvInputState(controler, modeKey.mode));
			return INPUT_CONSUMED;
		}
	}

	if (controler->IsKey(input, KEY_ABBREV)) {
		ForceConfirm();
		PushState(new NuvAsciiBufferState(controler));
		return INPUT_CONSUMED;
	}
	if (controler->IsKey(input, KEY_TOGGLE_KANA)) {
		ForceConfirm();
		ToggleKana();
		SetKanaMode();
		return INPUT_CONSUMED;
	}

	ForceConfirm();
	if (input.character < 'A' || input.character > 'Z')
		return INPUT_IGNORED;

	// Answer INPUT_AGAIN so that the same letter starts the reading.
	PushState(new NuvKanaBufferState(controler, IsHirakana()));
	return INPUT_AGAIN;
}


void
NuvKanaInputState::ForceConfirm()
{
	NuvInteractiveConverter* automaton = Converter();
	automaton->ForceConfirm();
	Confirm(KanaFilter(automaton->Confirmed()));
}
