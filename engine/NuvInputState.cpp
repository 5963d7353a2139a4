#include "NuvInputState.h"

#include "NuvControler.h"


NuvInputState::NuvInputState(NuvControler* controler, nuv_mode mode)
	:
	NuvState(controler, mode)
{
}


NuvInputState::~NuvInputState()
{
}


void
NuvInputState::Activated()
{
	Converter()->Clear();
}


bool
NuvInputState::IsEmpty()
{
	return Converter()->IsEmpty();
}


std::string
NuvInputState::Pending()
{
	return Converter()->Pending();
}


int32_t
NuvInputState::Input(nuv_input input)
{
	NuvInteractiveConverter* automaton = Converter();
	if (automaton->Input(input) == INPUT_CONSUMED) {
		Confirm(automaton->Confirmed());
		return INPUT_CONSUMED;
	}

	NuvControler* controler = Controler();
	if (controler->IsKey(input, KEY_BACKSPACE))
		return Undo();
	if (controler->IsKey(input, KEY_CANCEL))
		return Cancel();
	if (controler->IsKey(input, KEY_KANA)) {
		// This state is deleted here; the controller's next State() makes
		// a fresh hiragana state.
		ClearState(0);
		return INPUT_CONSUMED;
	}
	return INPUT_IGNORED;
}


int32_t
NuvInputState::Undo()
{
	return Converter()->Undo();
}


int32_t
NuvInputState::Cancel()
{
	return Converter()->Cancel();
}
