#include "NuvBufferState.h"

#include <vector>

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
	std::vector<nuv_candidate> candidates;
	controler->FindCandidates(fBuffer, candidates);
	if (!candidates.empty())
		PushState(new NuvConvertState(controler, candidates));
	else
		PushState(new NuvRegisterState(controler, fBuffer));
}
