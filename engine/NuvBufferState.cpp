#include "NuvBufferState.h"

#include <utility>

#include "NuvControler.h"
#include "NuvConvertState.h"
#include "NuvRegisterState.h"


NuvBufferState::NuvBufferState()
{
}


NuvBufferState::~NuvBufferState()
{
}


bool
NuvBufferState::IsEmpty()
{
	return false;
}


void
NuvBufferState::FindCandidates()
{
	NuvControler* controler = Controler();
	NuvCandidateList candidates(fBuffer);
	controler->FindCandidates(fBuffer, candidates);
	if (!candidates.IsEmpty())
		PushState(new NuvConvertState(controler, std::move(candidates)));
	else
		PushState(new NuvRegisterState(controler, fBuffer));
}
