#include "NuvRegisterState.h"

#include "NuvContract.h"
#include "NuvControler.h"
#include "NuvRegisterControler.h"
#include "NuvUtils.h"


NuvRegisterState::NuvRegisterState(NuvControler* controler,
	const nuv_candidate& record)
	:
	NuvState(controler, MODE_NONE),
	fRecord(record),
	fNested(false),
	fClosing(false),
	fCursor(0),
	fSubControler(new NuvRegisterControler(this))
{
	controler->ShowRegisters(&fRecord, &fRecord + 1);
}


NuvRegisterState::~NuvRegisterState()
{
	// Every state of the nested engine leaves while this state, and so the
	// chain of controllers its hooks are forwarded through, is still whole.
	fClosing = true;
	fSubControler->ClearState(0);
	delete fSubControler;
	Controler()->HideRegisters();
}


bool
NuvRegisterState::IsEmpty()
{
	return false;
}


std::string
NuvRegisterState::Pending()
{
	if (fNested)
		return fSubControler->Pending();

	std::string text(NuvContract::kRegistrationMarker);
	_AppendWord(text, 0, fCursor);
	text += fSubControler->Pending();
	text += NuvContract::kCursorMarker;
	_AppendWord(text, fCursor, fWord.size());
	return text;
}


int32_t
NuvRegisterState::Input(nuv_input input)
{
	const int32_t result = fSubControler->Input(input);
	_TakeConfirmed();

	if (result == INPUT_CONSUMED)
		return INPUT_CONSUMED;

	NuvControler* controler = Controler();
	if (controler->IsKey(input, KEY_BACKSPACE))
		return Undo();
	if (controler->IsKey(input, KEY_CANCEL))
		return Cancel();
	if (controler->IsKey(input, KEY_DELETE)) {
		if (fCursor < fWord.size())
			fWord.erase(fWord.begin() + fCursor);
		return INPUT_CONSUMED;
	}
	if (controler->IsKey(input, KEY_BACKWARD)) {
		if (fCursor > 0)
			fCursor--;
		return INPUT_CONSUMED;
	}
	if (controler->IsKey(input, KEY_FORWARD)) {
		if (fCursor < fWord.size())
			fCursor++;
		return INPUT_CONSUMED;
	}
	if (controler->IsKey(input, KEY_HOME)) {
		fCursor = 0;
		return INPUT_CONSUMED;
	}
	if (controler->IsKey(input, KEY_END)) {
		fCursor = fWord.size();
		return INPUT_CONSUMED;
	}
	if (controler->IsKey(input, KEY_KILL)) {
		fWord.erase(fWord.begin() + fCursor, fWord.end());
		return INPUT_CONSUMED;
	}
	if (controler->IsKey(input, KEY_ENTER)) {
		if (fWord.empty())
			return Cancel();
		fRecord.candidate = NuvUtils::JoinEucString(fWord);
		// learned first, then entered with its okurigana
		Confirm(fRecord);
		ClearState(1);
		return INPUT_CONSUMED;
	}

	// A printable key that the nested engine has no use for (one its table
	// does not cover, or any key in Latin input) is typed as it is.
	if (result == INPUT_IGNORED && IsPrintable(input.character)
		&& fSubControler->IsEmpty())
		_InsertAtCursor(input.character);
	return result;
}


int32_t
NuvRegisterState::Undo()
{
	if (!fSubControler->IsEmpty()) {
		// a conversion there confirms its candidate on backspace
		fSubControler->Undo();
		_TakeConfirmed();
		return INPUT_CONSUMED;
	}
	if (fCursor > 0) {
		fCursor--;
		fWord.erase(fWord.begin() + fCursor);
	}
	return INPUT_CONSUMED;
}


int32_t
NuvRegisterState::Cancel()
{
	if (!fSubControler->IsEmpty()) {
		fSubControler->Cancel();
		_TakeConfirmed();
		return INPUT_CONSUMED;
	}
	PopState();
	return INPUT_CONSUMED;
}


void
NuvRegisterState::_TakeConfirmed()
{
	// Whatever the nested engine confirmed (kana, a converted word, the word
	// of an inner registration) lands in the word at the cursor.
	const std::vector<int32_t> confirmed
		= NuvUtils::SplitEucString(fSubControler->Confirmed());
	fWord.insert(fWord.begin() + fCursor, confirmed.begin(), confirmed.end());
	fCursor += confirmed.size();
}


void
NuvRegisterState::_InsertAtCursor(int32_t code)
{
	fWord.insert(fWord.begin() + fCursor, code);
	fCursor++;
}


void
NuvRegisterState::_AppendWord(std::string& text, size_t from, size_t to) const
{
	EucCombinator combinator(text);
	for (size_t i = from; i < to; i++)
		combinator.PutChar(fWord[i]);
}
