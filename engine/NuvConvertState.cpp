#include "NuvConvertState.h"

#include <algorithm>
#include <utility>

#include "NuvControler.h"
#include "NuvPurgeState.h"
#include "NuvRegisterState.h"
#include "NuvUtils.h"


NuvConvertState::NuvConvertState(NuvControler* controler,
	NuvCandidateList candidates)
	:
	NuvState(controler, MODE_NONE),
	fCandidates(std::move(candidates)),
	fIndex(0)
{
}


NuvConvertState::~NuvConvertState()
{
}


void
NuvConvertState::Disabled()
{
	Controler()->HideCandidates();
}


bool
NuvConvertState::IsEmpty()
{
	return false;
}


std::string
NuvConvertState::Pending()
{
	std::string text(NuvContract::kConversionMarker);
	if (fCandidates.IsEmpty()) {
		Controler()->HideCandidates();
		return text;
	}

	const std::string& okurigana = fCandidates.Query().okurigana;
	if (fIndex < kPreeditCount) {
		text += fCandidates.WordAt(fIndex);
		text += okurigana;
		Controler()->HideCandidates();
		return text;
	}

	text += okurigana;
	const size_t length = _PageLength();
	fPage.clear();
	for (size_t i = 0; i < length; i++)
		fPage.push_back(fCandidates.ItemAt(fIndex + i));
	const size_t after = _Count() - fIndex - length;
	Controler()->ShowCandidates(fPage.data(), fPage.data() + length,
		int(after));
	return text;
}


int32_t
NuvConvertState::Input(nuv_input input)
{
	NuvControler* controler = Controler();

	if (controler->IsKey(input, KEY_BACKSPACE))
		return Undo();
	if (controler->IsKey(input, KEY_CANCEL))
		return Cancel();
	if (controler->IsKey(input, KEY_NEXT))
		return _Next();
	if (controler->IsKey(input, KEY_PREVIOUS))
		return _Previous();
	if (fCandidates.IsEmpty())
		return INPUT_IGNORED;

	if (fIndex < kPreeditCount && controler->IsKey(input, KEY_PURGE)) {
		PushState(new NuvPurgeState(controler, fCandidates.ItemAt(fIndex)));
		return INPUT_CONSUMED;
	}

	if (fIndex >= kPreeditCount) {
		// Only the keys of the candidates actually on the page select: on a
		// short last page the later labels mean nothing.
		const size_t length = _PageLength();
		for (size_t i = 0; i < length; i++) {
			if (controler->IsKey(input, nuv_key(KEY_SELECT_A + i))) {
				_ConfirmAndClear(fIndex + i);
				return INPUT_CONSUMED;
			}
		}
		return INPUT_IGNORED;
	}

	if (controler->IsKey(input, KEY_CONFIRM)) {
		_ConfirmAndClear(fIndex);
		return INPUT_CONSUMED;
	}
	if (IsPrintable(input.character) || controler->IsKey(input, KEY_ENTER)) {
		// the key then starts new input (or reaches the state below)
		_ConfirmAndClear(fIndex);
		return INPUT_AGAIN;
	}
	return INPUT_IGNORED;
}


int32_t
NuvConvertState::Undo()
{
	if (fIndex >= kPreeditCount || fCandidates.IsEmpty())
		return INPUT_CONSUMED;

	// The whole candidate is learned, but it is entered less its last
	// character. Only the candidate is shortened, never text that something
	// else confirmed before it.
	const nuv_candidate current = fCandidates.ItemAt(fIndex);
	Controler()->InsertCandidate(current);
	std::string text = current.candidate + current.okurigana;
	NuvUtils::PopBackEuc(text);
	Confirm(text);
	ClearState(1);
	return INPUT_CONSUMED;
}


int32_t
NuvConvertState::Cancel()
{
	PopState();
	return INPUT_CONSUMED;
}


int32_t
NuvConvertState::_Next()
{
	if (fCandidates.IsEmpty())
		return Cancel();

	const int32_t step = fIndex < kPreeditCount ? 1 : kPageSize;
	const int32_t next = fIndex + step;
	if (size_t(next) >= _Count()) {
		// Past the last candidate: register a new word for this reading. The
		// index stays, so a cancelled registration shows the same candidate
		// or page again.
		PushState(new NuvRegisterState(Controler(), fCandidates.ItemAt(0)));
		return INPUT_CONSUMED;
	}
	fIndex = next;
	return INPUT_CONSUMED;
}


int32_t
NuvConvertState::_Previous()
{
	const int32_t step = fIndex <= kPreeditCount ? 1 : kPageSize;
	const int32_t previous = fIndex - step;
	if (previous < 0)
		return Cancel();
	fIndex = previous;
	return INPUT_CONSUMED;
}


void
NuvConvertState::_ConfirmAndClear(size_t index)
{
	Confirm(fCandidates.ItemAt(index));
	ClearState(1);
}


size_t
NuvConvertState::_PageLength() const
{
	return std::min<size_t>(kPageSize, _Count() - fIndex);
}
