#include "MethodSession.h"

#include <HeadlessDisplay.h>
#include <Input.h>
#include <Message.h>

#include "ApplicationModel.h"
#include "HostedMethod.h"
#include "MethodHost.h"
#include "NuvContract.h"
#include "Utf8.h"


namespace {


// The preedit of an unconfirmed CHANGED event.
Preedit
DecodePreedit(const BMessage& message)
{
	Preedit preedit;
	preedit.visible = true;
	message.FindString("be:string", &preedit.text);
	const int32_t length = static_cast<int32_t>(preedit.text.size());
	int32 clauseStart = 0;
	int32 clauseEnd = length;
	int32 selection = length;
	message.FindInt32("be:clause_start", &clauseStart);
	message.FindInt32("be:clause_end", &clauseEnd);
	message.FindInt32("be:selection", 0, &selection);

	// Offsets outside the text or out of order are clamped, never trusted.
	auto clamp = [length](int32 value) {
		return value < 0 ? 0 : value > length ? length : value;
	};
	clauseStart = clamp(clauseStart);
	clauseEnd = clamp(clauseEnd);
	if (clauseEnd < clauseStart)
		clauseEnd = clauseStart;
	const std::string& text = preedit.text;
	preedit.clauseStart = Utf8::CharacterOffset(text, clauseStart);
	preedit.clauseEnd = Utf8::CharacterOffset(text, clauseEnd);
	preedit.cursor = Utf8::CharacterOffset(text, clamp(selection));

	// The candidate on offer follows the last conversion marker and runs
	// to the registration cursor, if one follows, or to the end.
	const size_t marker = text.rfind(NuvContract::kConversionMarkerUtf8);
	if (marker != std::string::npos) {
		const size_t start = marker
			+ sizeof(NuvContract::kConversionMarkerUtf8) - 1;
		size_t end = text.find(NuvContract::kCursorMarker, start);
		if (end == std::string::npos)
			end = text.size();
		preedit.highlightStart = Utf8::CharacterOffset(text,
			static_cast<int32_t>(start));
		preedit.highlightEnd = Utf8::CharacterOffset(text,
			static_cast<int32_t>(end));
	}
	return preedit;
}

}	// namespace


bool
Preedit::operator==(const Preedit& other) const
{
	if (visible != other.visible)
		return false;
	if (!visible)
		return true;
	return text == other.text && clauseStart == other.clauseStart
		&& clauseEnd == other.clauseEnd && cursor == other.cursor
		&& highlightStart == other.highlightStart
		&& highlightEnd == other.highlightEnd;
}


bool
PaletteState::operator==(const PaletteState& other) const
{
	return mode == other.mode && candidatesShown == other.candidatesShown
		&& candidates == other.candidates && remaining == other.remaining
		&& prompts == other.prompts;
}


MethodSession::MethodSession()
	:
	fHost(NULL),
	fPending(false),
	fPalettesRead(false),
	fPaletteChanges(0)
{
}


MethodSession::~MethodSession()
{
	Unload();
}


bool
MethodSession::Start(const std::string& settings, std::string& error)
{
	if (fHost != NULL) {
		error = "the method is already loaded";
		return false;
	}
	fApplication.reset(new CaretApplication);
	fHosted.reset(new HostedMethod(*fApplication, NULL));
	if (fHosted->Prepare(settings, error, fModule) != HostedMethod::OK
		|| !fHosted->Load(error)) {
		fHosted.reset();
		fApplication.reset();
		return false;
	}
	fResolved = fHosted->SettingsDirectory();
	fHost = &fHosted->Host();
	// The session reads what each key delivered, then clears it.
	fHost->RecordDelivered(true);
	// The method's start-up (the notice window) is over before the first
	// key; what it enqueued is of no interest.
	fHost->Settle();
	fHost->ClearDelivered();
	return true;
}


bool
MethodSession::Unload()
{
	if (fHost == NULL)
		return false;
	const bool saved = fHosted->Unload();
	fHost = NULL;
	fHosted.reset();
	fApplication.reset();
	fShown = Preedit();
	fPending = false;
	return saved;
}


bool
MethodSession::IsLoaded() const
{
	return fHost != NULL;
}


KeyOutcome
MethodSession::HandleKey(const KeyStep& step, int64_t waitMicros)
{
	if (fHost == NULL || step.kind != KeyStep::KEY) {
		KeyOutcome outcome;
		outcome.handedBack = true;
		return outcome;
	}
	// A key never overtakes the work of the one before it.
	KeyOutcome earlier;
	if (fPending)
		earlier = _Settle(waitMicros);
	fHost->SendKey(MethodHost::MakeKeyMessage(step));
	KeyOutcome outcome = _Settle(waitMicros);
	if (!earlier.actions.empty()) {
		outcome.actions.insert(outcome.actions.begin(),
			earlier.actions.begin(), earlier.actions.end());
	}
	return outcome;
}


KeyOutcome
MethodSession::PickCandidate(uint32_t index)
{
	const PaletteState palettes = Palettes();
	if (!palettes.candidatesShown || index >= palettes.candidates.size()
		|| index >= NuvContract::kPageSize)
		return KeyOutcome();
	KeyStep step;
	step.bytes.assign(1, static_cast<char>(
		NuvContract::kSelectionLabels[index] + ('a' - 'A')));
	bool shifted = false;
	KeyScript::UsKey(step.bytes[0], step.key, shifted);
	step.token = step.bytes;
	KeyOutcome outcome = HandleKey(step);
	// A selection key is always the method's; nothing goes to the client.
	outcome.handedBack = false;
	outcome.forward = false;
	return outcome;
}


KeyOutcome
MethodSession::Activate(bool active)
{
	if (fHost == NULL)
		return KeyOutcome();
	fHost->Activate(active);
	return _Settle(kDefaultWait);
}


KeyOutcome
MethodSession::Stop()
{
	if (fHost == NULL)
		return KeyOutcome();
	fHost->RequestStop();
	KeyOutcome outcome = _Settle(kDefaultWait);
	// The application has dropped its composed text already; a method that
	// did not answer still leaves nothing shown.
	if (fShown.visible) {
		SessionAction hide;
		hide.kind = SessionAction::PREEDIT;
		outcome.actions.push_back(hide);
		fShown = Preedit();
	}
	return outcome;
}


KeyOutcome
MethodSession::Poll()
{
	if (fHost == NULL || !fPending)
		return KeyOutcome();
	return _Settle(0);
}


void
MethodSession::SetCursorLocation(int32_t x, int32_t y, int32_t,
	int32_t height)
{
	if (fApplication != NULL)
		fApplication->SetCaret(x, y, height);
}


std::string
MethodSession::HelpPage()
{
	if (fHost == NULL)
		return std::string();
	std::string page;
	std::string reason;
	fHosted->HelpPage(page, reason);
	fHost->ClearDelivered();
	return page;
}


PaletteState
MethodSession::Palettes()
{
	// Reading every window takes each window's lock; most keys change
	// none of them.
	const uint64 changes = HeadlessDisplay::ChangeCount();
	if (fPalettesRead && changes == fPaletteChanges)
		return fPalettes;
	PaletteState state;
	std::vector<std::string> registration;
	std::vector<std::string> purge;
	for (const headless_window_info& window : HeadlessDisplay::Windows()) {
		if (window.title == NuvContract::kModePaletteTitle) {
			if (!window.texts.empty())
				state.mode = window.texts.front();
		} else if (window.hidden)
			continue;
		else if (window.title == NuvContract::kCandidatesPaletteTitle) {
			state.candidatesShown = !window.texts.empty()
				&& NuvCandidatePage::Parse(window.texts.front(),
					NuvCandidatePage::UTF_8, state.candidates,
					state.remaining);
		} else if (window.title == NuvContract::kRegistrationPaletteTitle)
			registration = window.texts;
		else if (window.title == NuvContract::kPurgePaletteTitle)
			purge = window.texts;
	}
	state.prompts = registration;
	state.prompts.insert(state.prompts.end(), purge.begin(), purge.end());
	fPalettes = state;
	fPaletteChanges = changes;
	fPalettesRead = true;
	return state;
}


// #pragma mark - private


KeyOutcome
MethodSession::_Settle(int64_t waitMicros)
{
	KeyOutcome outcome;
	if (HeadlessDisplay::WaitForIdle(waitMicros) != B_OK) {
		fPending = true;
		outcome.settled = false;
		return outcome;
	}
	fPending = false;
	// Delivering may post location answers; Settle repeats until the
	// method is idle again with nothing left to deliver.
	outcome.settled = fHost->Settle();
	fPending = !outcome.settled;
	_Collect(outcome);
	return outcome;
}


void
MethodSession::_Collect(KeyOutcome& outcome)
{
	bool committed = false;
	bool passed = false;
	Preedit& shown = fShown;
	for (const BMessage& message : fHost->Delivered()) {
		if (message.what == B_KEY_DOWN) {
			passed = true;
			continue;
		}
		if (message.what != B_INPUT_METHOD_EVENT)
			continue;
		int32 opcode = -1;
		message.FindInt32("be:opcode", &opcode);

		Preedit next = shown;
		std::string text;
		bool confirmed = false;
		if (opcode == B_INPUT_METHOD_STOPPED)
			next = Preedit();
		else if (opcode == B_INPUT_METHOD_CHANGED) {
			message.FindString("be:string", &text);
			message.FindBool("be:confirmed", &confirmed);
			next = confirmed ? Preedit() : DecodePreedit(message);
		} else
			continue;

		// Composed text goes away before the confirmed text arrives, so
		// that the client never shows both.
		if (next != shown) {
			SessionAction action;
			action.kind = SessionAction::PREEDIT;
			action.preedit = next;
			outcome.actions.push_back(action);
			shown = next;
		}
		if (confirmed && !text.empty()) {
			SessionAction action;
			action.kind = SessionAction::COMMIT;
			action.text = text;
			outcome.actions.push_back(action);
			committed = true;
		}
	}
	fHost->ClearDelivered();

	if (passed) {
		outcome.forward = committed;
		outcome.handedBack = !committed;
	}
}
