#include "NuvControler.h"

#include "NuvContract.h"
#include "NuvKanaInputState.h"
#include "NuvState.h"


namespace {

// A converter that takes no key and holds nothing.
class QuietConverter : public NuvInteractiveConverter {
public:
	virtual	bool				IsEmpty() { return true; }
	virtual	int32_t				Input(nuv_input) { return INPUT_IGNORED; }
	virtual	int32_t				Undo() { return INPUT_IGNORED; }
	virtual	int32_t				Cancel() { return INPUT_IGNORED; }
	virtual	void				Clear() {}
	virtual	std::string			Pending() { return std::string(); }
};


// Stands in for a controller whose subclass is already destroyed: the states
// torn down by ~NuvControler reach these hooks, which do nothing.
class QuietControler : public NuvControler {
public:
	virtual	void				SetMode(nuv_mode) {}
	virtual	void				ShowCandidates(const nuv_candidate*,
									const nuv_candidate*, int) {}
	virtual	void				HideCandidates() {}
	virtual	void				ShowRegisters(const nuv_candidate*,
									const nuv_candidate*) {}
	virtual	void				HideRegisters() {}
	virtual	void				ShowPurge(const nuv_candidate&) {}
	virtual	void				HidePurge() {}
	virtual	NuvInteractiveConverter* Converter(nuv_mode)
									{ return &fConverter; }
	virtual	void				FindCandidates(const nuv_candidate&,
									NuvCandidateList&) {}
	virtual	void				InsertCandidate(const nuv_candidate&) {}
	virtual	void				RemoveCandidate(const nuv_candidate&) {}

private:
			QuietConverter		fConverter;
};

}	// namespace


NuvControler::NuvControler()
{
}


NuvControler::~NuvControler()
{
	if (fStack.empty())
		return;

	// Our own hooks are gone by now (the subclass part is destroyed and the
	// base's are abstract): let the leaving states talk to a stand-in.
	QuietControler quiet;
	for (NuvState* state : fStack)
		state->fControler = &quiet;

	fStack.back()->Disabled();
	while (!fStack.empty())
		_DeleteTop();
}


// #pragma mark - Converter interface


bool
NuvControler::IsEmpty()
{
	return State()->IsEmpty();
}


int32_t
NuvControler::Input(nuv_input input)
{
	return State()->Input(input);
}


int32_t
NuvControler::Undo()
{
	return State()->Undo();
}


int32_t
NuvControler::Cancel()
{
	return State()->Cancel();
}


void
NuvControler::Clear()
{
	ClearState(new NuvKanaInputState(this));
}


std::string
NuvControler::Pending()
{
	return State()->Pending();
}


// #pragma mark - Keys


bool
NuvControler::IsKey(nuv_input input, nuv_key key)
{
	const int32_t c = input.character;
	switch (key) {
		case KEY_YES:
			return c == 'y';
		case KEY_NO:
			return c == 'n';
		case KEY_BACKSPACE:
			return c == 0x08;
		case KEY_CANCEL:
			return c == 0x07;
		case KEY_CONFIRM:
		case KEY_KANA:
			return c == 0x0A;
		case KEY_ENTER:
			return c == 0x0D;
		case KEY_ABBREV:
			return c == '/';
		case KEY_LATIN:
			return c == 'l';
		case KEY_ZENEI:
			return c == 'L';
		case KEY_TC:
		case KEY_TUT:
			return false;
		case KEY_TOGGLE_KANA:
		case KEY_OTHER_KANA:
			return c == 'q';
		case KEY_ZENEI_CONFIRM:
			return c == 0x11;
		case KEY_NEXT:
			return c == ' ';
		case KEY_PREVIOUS:
			return c == 'x';
		case KEY_PURGE:
			return c == 'X';
		case KEY_SELECT_A:
		case KEY_SELECT_S:
		case KEY_SELECT_D:
		case KEY_SELECT_F:
		case KEY_SELECT_J:
		case KEY_SELECT_K:
		case KEY_SELECT_L:
		{
			static_assert(KEY_SELECT_L - KEY_SELECT_A + 1
				== NuvContract::kPageSize, "a selection key per place");
			const int32_t upper = c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
			return upper == NuvContract::kSelectionLabels[key - KEY_SELECT_A];
		}
		case KEY_FORWARD:
			return c == 0x06 || c == 0x1D;
		case KEY_BACKWARD:
			return c == 0x02 || c == 0x1C;
		case KEY_DELETE:
			return c == 0x04 || c == 0x7F;
		case KEY_HOME:
			return c == 0x01;
		case KEY_END:
			return c == 0x05;
		case KEY_KILL:
			return c == 0x0B;
	}
	return false;
}


// #pragma mark - Stack


NuvState*
NuvControler::State()
{
	if (fStack.empty())
		PushState(new NuvKanaInputState(this));
	return fStack.back();
}


void
NuvControler::PushState(NuvState* state)
{
	if (!fStack.empty())
		fStack.back()->Disabled();
	fStack.push_back(state);
	SetMode(state->Mode());
	state->Activated();
}


void
NuvControler::PopState()
{
	if (fStack.empty())
		return;

	fStack.back()->Disabled();
	_DeleteTop();
	if (fStack.empty())
		return;

	NuvState* top = fStack.back();
	SetMode(top->Mode());
	top->Activated();
}


void
NuvControler::ClearState(int depth)
{
	if (!fStack.empty())
		fStack.back()->Disabled();
	while (static_cast<int>(fStack.size()) > depth)
		_DeleteTop();
	if (fStack.empty())
		return;

	NuvState* top = fStack.back();
	SetMode(top->Mode());
	top->Activated();
}


void
NuvControler::ClearState(NuvState* state)
{
	ClearState(0);
	PushState(state);
}


int32_t
NuvControler::CountStates() const
{
	return static_cast<int32_t>(fStack.size());
}


void
NuvControler::_DeleteTop()
{
	// Off the stack before the destructor runs, so that a destructor calling
	// back into the controller never finds itself on top.
	NuvState* top = fStack.back();
	fStack.pop_back();
	delete top;
}
