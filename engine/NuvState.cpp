#include "NuvState.h"

#include "NuvControler.h"


NuvState::NuvState(NuvControler* controler, nuv_mode mode)
	:
	fControler(controler),
	fMode(mode != MODE_NONE ? mode : controler->State()->Mode())
{
}


NuvState::~NuvState()
{
}


void
NuvState::Activated()
{
}


void
NuvState::Disabled()
{
}


void
NuvState::SetMode(nuv_mode mode)
{
	fMode = mode;
	// CountStates() first: State() would create a default state on an empty
	// stack, and a state not yet pushed must not cause that.
	if (fControler->CountStates() > 0 && fControler->State() == this)
		fControler->SetMode(mode);
}


NuvInteractiveConverter*
NuvState::Converter()
{
	return fControler->Converter(fMode);
}


void
NuvState::Confirm(const std::string& text)
{
	fControler->Confirm(text);
}


void
NuvState::Confirm(const nuv_candidate& candidate)
{
	fControler->InsertCandidate(candidate);
	fControler->Confirm(candidate.candidate + candidate.okurigana);
}


void
NuvState::ClearState(int depth)
{
	fControler->ClearState(depth);
}


void
NuvState::ClearState(NuvState* state)
{
	fControler->ClearState(state);
}


void
NuvState::PushState(NuvState* state)
{
	fControler->PushState(state);
}


void
NuvState::PopState()
{
	fControler->PopState();
}
