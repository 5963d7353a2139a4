#include "MethodSession.h"

#include <algorithm>
#include <exception>
#include <vector>

#include <HeadlessDisplay.h>
#include <Input.h>
#include <Message.h>
#include <OS.h>

#include "ApplicationModel.h"
#include "ComposedText.h"
#include "HostedMethod.h"
#include "MethodHost.h"
#include "NuvContract.h"
#include "Utf8.h"


namespace {

// The mode palette's labels of the kana modes, where letters typed are
// romaji.
const char* const kHiraganaMode = "\xE3\x81\x8B\xE3\x81\xAA";		// "かな"
const char* const kKatakanaMode = "\xE3\x82\xAB\xE3\x83\x8A";		// "カナ"


int64_t
Now()
{
	return system_time();
}


// The preedit of an unconfirmed CHANGED event; `plain` receives the same
// without the method's markers.
Preedit
DecodePreedit(const BMessage& message, Preedit& plain)
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

	// The application places the candidate window at the cursor. In a
	// registration the cursor is the registration's own (|); in a
	// conversion it stands before ▼, which does not move while candidates
	// of other lengths are shown, so neither does the window.
	const size_t marker = text.rfind(NuvContract::kConversionMarkerUtf8);
	if (text.compare(0, sizeof(NuvContract::kRegistrationMarkerUtf8) - 1,
			NuvContract::kRegistrationMarkerUtf8) == 0) {
		const size_t bar = text.rfind(NuvContract::kCursorMarker);
		if (bar != std::string::npos)
			preedit.cursor = Utf8::CharacterOffset(text,
				static_cast<int32_t>(bar));
	} else if (marker == 0)
		preedit.cursor = 0;

	// The candidate on offer follows the last conversion marker and runs
	// to the registration cursor, if one follows, or to the end.
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

	// The same offsets in the text without markers: characters of the
	// marked text map to the plain text's through byte offsets.
	std::vector<int32_t> offsets;
	plain = Preedit();
	plain.visible = true;
	plain.text = ComposedText::WithoutMarkers(text, &offsets);
	auto map = [&text, &offsets, &plain](int32_t characters) {
		size_t byte = 0;
		for (int32_t seen = 0; byte < text.size(); byte++) {
			if (!Utf8::IsContinuationByte(text[byte])
				&& seen++ == characters)
				break;
		}
		return Utf8::CharacterOffset(plain.text,
			offsets[std::min(byte, text.size())]);
	};
	plain.clauseStart = map(preedit.clauseStart);
	plain.clauseEnd = map(preedit.clauseEnd);
	plain.cursor = map(preedit.cursor);
	plain.highlightStart = map(preedit.highlightStart);
	plain.highlightEnd = map(preedit.highlightEnd);
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


Preedit
Preedit::WithoutRomaji() const
{
	Preedit result = *this;
	if (romaji.empty())
		return result;
	// Romaji are ASCII: as many characters as bytes.
	const int32_t count = static_cast<int32_t>(romaji.size());
	size_t start = 0;
	for (int32_t seen = 0; start < text.size(); start++) {
		if (!Utf8::IsContinuationByte(text[start]) && seen++ == romajiStart)
			break;
	}
	result.text.erase(start, romaji.size());
	auto move = [this, count](int32_t offset) {
		return offset <= romajiStart ? offset
			: std::max(romajiStart, offset - count);
	};
	result.clauseStart = move(clauseStart);
	result.clauseEnd = move(clauseEnd);
	result.cursor = move(cursor);
	result.highlightStart = move(highlightStart);
	result.highlightEnd = move(highlightEnd);
	result.romaji.clear();
	result.romajiStart = 0;
	return result;
}


std::string
PaletteState::AuxiliaryLine() const
{
	std::string line;
	for (const std::string& prompt : prompts)
		line += (line.empty() ? "" : "  ") + prompt;
	if (candidatesShown) {
		// The remaining count as the page shows it: a page of nothing.
		line += (line.empty() ? "" : "  ")
			+ NuvCandidatePage::Format(std::vector<std::string>(), remaining,
				NuvCandidatePage::UTF_8);
	}
	return line;
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
	fStarting(false),
	fStartDone(false),
	fPending(false),
	fTag(0),
	fKeyAnswered(false),
	fKeyPassed(false),
	fPalettesRead(false),
	fPaletteChanges(0)
{
}


MethodSession::~MethodSession()
{
	Unload();
}


void
MethodSession::StartInBackground(const std::string& settings)
{
	if (fStarting || fHost != NULL)
		return;
	fStartError.clear();
	fStartDone = false;
	try {
		fStarter = std::thread([this, settings] {
			std::string error;
			bool started = false;
			try {
				started = Start(settings, error);
			} catch (const std::exception& exception) {
				error = exception.what();
			} catch (...) {
				error = "unknown exception";
			}
			if (!started && error.empty())
				error = "the method did not start";
			fStartError = started ? std::string() : error;
			fStartDone = true;
		});
		fStarting = true;
	} catch (const std::exception& exception) {
		fStartError = exception.what();
	}
}


const std::string&
MethodSession::StartError() const
{
	static const std::string kNone;
	return fStarting ? kNone : fStartError;
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
	if (fHosted->Prepare(settings, error) != HostedMethod::OK
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
	if (fStarting) {
		fStarter.join();
		fStarting = false;
		fQueue.clear();
	}
	if (fHost == NULL)
		return false;
	const bool saved = fHosted->Unload();
	fHost = NULL;
	fHosted.reset();
	fApplication.reset();
	fShown = Preedit();
	fPending = false;
	fQueue.clear();
	return saved;
}


bool
MethodSession::IsLoaded() const
{
	return !fStarting && fHost != NULL;
}


KeyOutcome
MethodSession::HandleKey(const KeyStep& step, int64_t waitMicros,
	uint64_t tag)
{
	KeyOutcome outcome;
	if (step.kind != KeyStep::KEY) {
		outcome.handedBack = true;
		return outcome;
	}
	const Request request{Request::KEY, step, tag};
	if (!_Started(outcome)) {
		fQueue.push_back(request);
		outcome.settled = false;
		return outcome;
	}
	if (fHost == NULL) {
		outcome.handedBack = true;
		return outcome;
	}
	const int64_t deadline = Now() + waitMicros;
	// A key never overtakes the work of the calls before it: while the
	// method is still busy with them, it waits its turn.
	if (!_Submit(request, outcome, deadline))
		return outcome;
	if (!_Settle(outcome, deadline)) {
		fKeyAnswered = true;
		return outcome;
	}
	if (fKeyPassed) {
		// Text committed by this key or an earlier one must reach the
		// application before the key does.
		bool committed = false;
		for (const SessionAction& action : outcome.actions)
			committed |= action.kind == SessionAction::COMMIT;
		outcome.forward = committed;
		outcome.handedBack = !committed;
	}
	return outcome;
}


KeyOutcome
MethodSession::PickCandidate(uint32_t index, uint64_t tag)
{
	if (HasPendingWork())
		return KeyOutcome();
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
	KeyOutcome outcome = HandleKey(step, kDefaultWait, tag);
	// A selection key is always the method's; nothing goes to the client.
	outcome.handedBack = false;
	outcome.forward = false;
	return outcome;
}


KeyOutcome
MethodSession::Activate(bool active, uint64_t tag)
{
	return _Call(Request{active ? Request::ACTIVATE : Request::DEACTIVATE,
		KeyStep(), tag});
}


KeyOutcome
MethodSession::Stop(uint64_t tag)
{
	return _Call(Request{Request::STOP, KeyStep(), tag});
}


KeyOutcome
MethodSession::Reset(uint64_t tag)
{
	return _Call(Request{Request::RESET, KeyStep(), tag});
}


KeyOutcome
MethodSession::Poll(int64_t waitMicros)
{
	KeyOutcome outcome;
	if (!_Started(outcome)) {
		outcome.settled = false;
		return outcome;
	}
	if (fHost == NULL)
		return outcome;
	outcome.settled = _Drain(outcome, Now() + waitMicros);
	return outcome;
}


void
MethodSession::SetCursorLocation(int32_t x, int32_t y, int32_t,
	int32_t height)
{
	if (!fStarting && fApplication != NULL)
		fApplication->SetCaret(x, y, height);
}


std::string
MethodSession::HelpPage()
{
	if (fStarting || fHost == NULL)
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
	if (fStarting)
		return fPalettes;
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


bool
MethodSession::_Started(KeyOutcome& outcome)
{
	if (!fStarting)
		return true;
	if (!fStartDone)
		return false;
	fStarter.join();
	fStarting = false;
	if (fHost == NULL) {
		// Keys answered while the method started go on to the application.
		for (const Request& request : fQueue) {
			if (request.kind == Request::KEY) {
				SessionAction forward;
				forward.kind = SessionAction::FORWARD;
				forward.tag = request.tag;
				outcome.actions.push_back(forward);
			}
		}
		fQueue.clear();
	}
	return true;
}


bool
MethodSession::_Submit(const Request& request, KeyOutcome& outcome,
	int64_t deadline)
{
	if (_Started(outcome) && fHost == NULL)
		return false;
	if (fStarting || !_Drain(outcome, deadline)) {
		fQueue.push_back(request);
		outcome.settled = false;
		return false;
	}
	_Carry(request, outcome, deadline, false);
	// What the call left to do (an activation's windows, romaji typed
	// again after a reset) within the same bound.
	if (request.kind != Request::KEY)
		_Drain(outcome, deadline);
	return true;
}


KeyOutcome
MethodSession::_Call(const Request& request)
{
	KeyOutcome outcome;
	if (_Submit(request, outcome, Now() + kDefaultWait) && HasPendingWork())
		outcome.settled = false;
	return outcome;
}


// Hands `request` to the idle method; `answered`: the framework's answer
// for the key was given already (it was queued).
void
MethodSession::_Carry(const Request& request, KeyOutcome& outcome,
	int64_t deadline, bool answered)
{
	switch (request.kind) {
		case Request::KEY:
			_Send(request.step, request.tag, answered);
			return;
		case Request::STOP:
		case Request::RESET:
			_End(request, outcome, deadline);
			return;
		case Request::ACTIVATE:
		case Request::DEACTIVATE:
			if (request.kind == Request::DEACTIVATE)
				_End(request, outcome, deadline);
			fTag = request.tag;
			fKeyAnswered = true;
			fKeyPassed = false;
			fHost->Activate(request.kind == Request::ACTIVATE);
			fPending = true;
			return;
	}
}


void
MethodSession::_Send(const KeyStep& step, uint64_t tag, bool answered)
{
	fTag = tag;
	fKeyAnswered = answered;
	fKeyPassed = false;
	fPending = true;
	fHost->SendKey(MethodHost::MakeKeyMessage(step));
}


// Waits for the method until `deadline` at most and adds what it did to
// `outcome`; false while it is still busy.
bool
MethodSession::_Settle(KeyOutcome& outcome, int64_t deadline)
{
	const int64_t wait = std::max<int64_t>(0, deadline - Now());
	if (HeadlessDisplay::WaitForIdle(wait) != B_OK) {
		fPending = true;
		outcome.settled = false;
		return false;
	}
	// Delivering may post location answers, which keep the method busy a
	// little longer.
	fPending = !fHost->Settle(NULL,
		std::max<int64_t>(0, deadline - Now()));
	_Collect(outcome);
	if (fPending)
		outcome.settled = false;
	return !fPending;
}


// Lets the method finish its work and carries out the queued calls, one
// after the other, until `deadline`; true when nothing is left to do.
bool
MethodSession::_Drain(KeyOutcome& outcome, int64_t deadline)
{
	while (true) {
		if (fPending && !_Settle(outcome, deadline))
			return false;
		if (fQueue.empty())
			return true;
		const Request next = fQueue.front();
		fQueue.pop_front();
		_Carry(next, outcome, deadline, true);
	}
}


// Ends the composition of the idle method (Stop(), Reset()).
void
MethodSession::_End(const Request& request, KeyOutcome& outcome,
	int64_t deadline)
{
	Preedit& shown = fShown;
	std::string romaji;
	const std::string text = shown.visible ? _Committed(shown.text, &romaji)
		: std::string();

	fTag = request.tag;
	fKeyAnswered = true;
	fKeyPassed = false;
	fHost->RequestStop();
	fPending = true;
	_Settle(outcome, deadline);
	// A method that did not answer in time still leaves nothing shown.
	if (shown.visible) {
		SessionAction hide;
		hide.kind = SessionAction::PREEDIT;
		hide.tag = request.tag;
		outcome.actions.push_back(hide);
		shown = Preedit();
	}
	if (!text.empty()) {
		SessionAction commit;
		commit.kind = SessionAction::COMMIT;
		commit.text = text;
		commit.tag = request.tag;
		outcome.actions.push_back(commit);
	}

	// The romaji are typed again next, ahead of anything queued.
	if (request.kind == Request::RESET) {
		for (auto c = romaji.rbegin(); c != romaji.rend(); c++) {
			Request key{Request::KEY, KeyStep(), request.tag};
			key.step.kind = KeyStep::KEY;
			key.step.bytes.assign(1, *c);
			bool shifted = false;
			KeyScript::UsKey(*c, key.step.key, shifted);
			key.step.token = key.step.bytes;
			fQueue.push_front(key);
		}
	}
}


// What the composed text `composed` leaves in the document when the
// composition ends from outside; `romaji` (may be NULL) receives the romaji
// not yet turned into kana, which are left out.
std::string
MethodSession::_Committed(const std::string& composed, std::string* romaji)
{
	std::string text = composed;
	const std::string mode = Palettes().mode;
	if (mode == kHiraganaMode || mode == kKatakanaMode) {
		if (romaji != NULL)
			*romaji = ComposedText::PendingRomaji(text);
		text = ComposedText::WithoutPendingRomaji(text);
	}
	return ComposedText::WithoutMarkers(text);
}


// Sets `plain`'s romaji: what its text has that `committed` has not. The
// two differ only by the romaji, so they stand where the texts part.
void
MethodSession::_FindRomaji(Preedit& plain)
{
	const std::string& text = plain.text;
	const std::string& committed = plain.committed;
	if (text.size() <= committed.size())
		return;
	const size_t start = std::mismatch(committed.begin(), committed.end(),
		text.begin()).second - text.begin();
	plain.romaji = text.substr(start, text.size() - committed.size());
	plain.romajiStart = Utf8::CharacterOffset(text,
		static_cast<int32_t>(start));
}


void
MethodSession::_Collect(KeyOutcome& outcome)
{
	Preedit& shown = fShown;
	for (const BMessage& message : fHost->Delivered()) {
		if (message.what == B_KEY_DOWN) {
			// The method passed the key on. Once its answer is given, the
			// framework sends it on itself, in its place among the actions.
			if (fKeyAnswered) {
				SessionAction forward;
				forward.kind = SessionAction::FORWARD;
				forward.tag = fTag;
				outcome.actions.push_back(forward);
			} else
				fKeyPassed = true;
			continue;
		}
		if (message.what != B_INPUT_METHOD_EVENT)
			continue;
		int32 opcode = -1;
		message.FindInt32("be:opcode", &opcode);

		Preedit next = shown;
		Preedit plain;
		std::string text;
		bool confirmed = false;
		if (opcode == B_INPUT_METHOD_STOPPED)
			next = Preedit();
		else if (opcode == B_INPUT_METHOD_CHANGED) {
			message.FindString("be:string", &text);
			message.FindBool("be:confirmed", &confirmed);
			if (confirmed)
				next = Preedit();
			else {
				next = DecodePreedit(message, plain);
				next.committed = _Committed(next.text, NULL);
				plain.committed = next.committed;
				_FindRomaji(plain);
			}
		} else
			continue;

		// Composed text goes away before the confirmed text arrives, so
		// that the client never shows both.
		if (next != shown) {
			SessionAction action;
			action.kind = SessionAction::PREEDIT;
			action.preedit = next;
			action.plain = plain;
			action.tag = fTag;
			outcome.actions.push_back(action);
			shown = next;
		}
		if (confirmed && !text.empty()) {
			SessionAction action;
			action.kind = SessionAction::COMMIT;
			action.text = text;
			action.tag = fTag;
			outcome.actions.push_back(action);
		}
	}
	fHost->ClearDelivered();
}
