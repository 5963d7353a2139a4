#include "NuvAsciiBufferState.h"

#include "NuvControler.h"
#include "NuvInteractiveConverter.h"
#include "NuvUtils.h"


NuvAsciiBufferState::NuvAsciiBufferState(NuvControler* controler)
	:
	NuvState(controler, MODE_ABBREV),
	NuvBufferState()
{
}


NuvAsciiBufferState::~NuvAsciiBufferState()
{
}


std::string
NuvAsciiBufferState::Pending()
{
	return NuvContract::kReadingMarker + fBuffer.reading;
}


int32_t
NuvAsciiBufferState::Input(nuv_input input)
{
	NuvControler* controler = Controler();
	if (controler->IsKey(input, KEY_BACKSPACE))
		return Undo();
	if (controler->IsKey(input, KEY_CANCEL))
		return Cancel();
	if (controler->IsKey(input, KEY_NEXT)) {
		if (fBuffer.reading.empty())
			ClearState(1);
		else
			FindCandidates();
		return INPUT_CONSUMED;
	}
	if (controler->IsKey(input, KEY_ZENEI_CONFIRM)) {
		// The full-width automaton is shared with full-width input: start it
		// clean, then type the reading into it byte by byte.
		NuvInteractiveConverter* zenei = controler->Converter(MODE_ZENEI);
		zenei->Clear();
		for (char byte : fBuffer.reading)
			zenei->Input(nuv_input(static_cast<signed char>(byte), 0));
		Confirm(zenei->Confirmed());
		ClearState(1);
		return INPUT_CONSUMED;
	}
	if (controler->IsKey(input, KEY_CONFIRM)) {
		Confirm(fBuffer.reading);
		ClearState(1);
		return INPUT_CONSUMED;
	}
	if (controler->IsKey(input, KEY_ENTER)) {
		Confirm(fBuffer.reading);
		ClearState(1);
		// Enter then reaches the state left on top.
		return INPUT_AGAIN;
	}
	if (IsPrintable(input.character)) {
		fBuffer.reading += static_cast<char>(input.character);
		return INPUT_CONSUMED;
	}
	return INPUT_IGNORED;
}


int32_t
NuvAsciiBufferState::Undo()
{
	if (fBuffer.reading.empty()) {
		PopState();
		return INPUT_CONSUMED;
	}
	NuvUtils::PopBackEuc(fBuffer.reading);
	return INPUT_CONSUMED;
}


int32_t
NuvAsciiBufferState::Cancel()
{
	PopState();
	return INPUT_CONSUMED;
}
