#include "NuvPurgeState.h"

#include "NuvContract.h"
#include "NuvControler.h"


NuvPurgeState::NuvPurgeState(NuvControler* controler,
	const nuv_candidate& record)
	:
	NuvState(controler, MODE_NONE),
	fRecord(record)
{
	controler->ShowPurge(fRecord);
}


NuvPurgeState::~NuvPurgeState()
{
	Controler()->HidePurge();
}


bool
NuvPurgeState::IsEmpty()
{
	return false;
}


std::string
NuvPurgeState::Pending()
{
	std::string text(NuvContract::kRegistrationMarker);
	text += fRecord.candidate;
	text += fRecord.okurigana;
	return text;
}


int32_t
NuvPurgeState::Input(nuv_input input)
{
	NuvControler* controler = Controler();
	if (controler->IsKey(input, KEY_CANCEL) || controler->IsKey(input, KEY_NO))
		return Cancel();
	if (controler->IsKey(input, KEY_YES)) {
		controler->RemoveCandidate(fRecord);
		ClearState(1);
		return INPUT_CONSUMED;
	}
	return INPUT_IGNORED;
}


int32_t
NuvPurgeState::Undo()
{
	return INPUT_CONSUMED;
}


int32_t
NuvPurgeState::Cancel()
{
	ClearState(1);
	return INPUT_CONSUMED;
}
