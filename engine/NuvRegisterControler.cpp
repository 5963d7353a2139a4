#include "NuvRegisterControler.h"

#include "NuvRegisterState.h"


NuvRegisterControler::NuvRegisterControler(NuvRegisterState* owner)
	:
	fOwner(owner)
{
}


NuvRegisterControler::~NuvRegisterControler()
{
	// The states still on the stack may call hooks as they leave; empty it
	// while this class's forwarding still works.
	ClearState(0);
}


bool
NuvRegisterControler::IsKey(nuv_input input, nuv_key key)
{
	return _Parent()->IsKey(input, key);
}


void
NuvRegisterControler::SetMode(nuv_mode mode)
{
	_Parent()->SetMode(mode);
}


void
NuvRegisterControler::ShowCandidates(const nuv_candidate* first,
	const nuv_candidate* last, int remaining)
{
	_Parent()->ShowCandidates(first, last, remaining);
}


void
NuvRegisterControler::HideCandidates()
{
	_Parent()->HideCandidates();
}


void
NuvRegisterControler::ShowRegisters(const nuv_candidate* first,
	const nuv_candidate* last)
{
	// The outer levels see the whole chain, outermost first.
	std::vector<nuv_candidate> chain;
	chain.reserve(1 + (last - first));
	chain.push_back(fOwner->Record());
	chain.insert(chain.end(), first, last);
	_Parent()->ShowRegisters(chain.data(), chain.data() + chain.size());
	fOwner->SetNested(true);
}


void
NuvRegisterControler::HideRegisters()
{
	// The inner registration has ended; this level is still open, so its
	// own line stays and it is shown in the preedit again. When this level
	// is closing too, its own HideRegisters follows at once: showing the
	// chain again would only be undone (and would cost the square of the
	// depth when deep nesting is torn down).
	fOwner->SetNested(false);
	if (fOwner->IsClosing())
		return;
	const nuv_candidate& record = fOwner->Record();
	_Parent()->ShowRegisters(&record, &record + 1);
}


void
NuvRegisterControler::ShowPurge(const nuv_candidate& candidate)
{
	_Parent()->ShowPurge(candidate);
}


void
NuvRegisterControler::HidePurge()
{
	_Parent()->HidePurge();
}


NuvInteractiveConverter*
NuvRegisterControler::Converter(nuv_mode mode)
{
	return _Parent()->Converter(mode);
}


void
NuvRegisterControler::FindCandidates(const nuv_candidate& query,
	NuvCandidateList& out)
{
	_Parent()->FindCandidates(query, out);
}


void
NuvRegisterControler::InsertCandidate(const nuv_candidate& candidate)
{
	_Parent()->InsertCandidate(candidate);
}


void
NuvRegisterControler::RemoveCandidate(const nuv_candidate& candidate)
{
	_Parent()->RemoveCandidate(candidate);
}


NuvControler*
NuvRegisterControler::_Parent() const
{
	return fOwner->ParentControler();
}
