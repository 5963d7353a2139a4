#include "MethodSession.h"

#include <algorithm>

#include <sys/stat.h>

#include <HeadlessDisplay.h>
#include <Input.h>
#include <Message.h>

#include "ApplicationModel.h"
#include "HostPaths.h"
#include "MethodHost.h"


const char* const MethodSession::kLabels = "ASDFJKL";


namespace {

const char* const kModePaletteTitle = "NUV Mode Palette";
const char* const kCandidatesPaletteTitle = "NUV Candidates Palette";
const char* const kRegistrationPaletteTitle = "NUV Registration Palette";
const char* const kPurgePaletteTitle = "NUV Purge Palette";
const char* const kRemainingOpen = "[\xE6\xAE\x8B\xE3\x82\x8A ";	// "[残り "
const char* const kConversionMarker = "\xE2\x96\xBC";				// "▼"
const char* const kRegistrationCursor = "|";


bool
IsContinuationByte(char c)
{
	return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}


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
	preedit.clauseStart = MethodSession::CharacterOffset(text, clauseStart);
	preedit.clauseEnd = MethodSession::CharacterOffset(text, clauseEnd);
	preedit.cursor = MethodSession::CharacterOffset(text, clamp(selection));

	// The candidate on offer follows the last conversion marker and runs
	// to the registration cursor, if one follows, or to the end.
	const size_t marker = text.rfind(kConversionMarker);
	if (marker != std::string::npos) {
		const size_t start = marker + 3;
		size_t end = text.find(kRegistrationCursor, start);
		if (end == std::string::npos)
			end = text.size();
		preedit.highlightStart = MethodSession::CharacterOffset(text,
			static_cast<int32_t>(start));
		preedit.highlightEnd = MethodSession::CharacterOffset(text,
			static_cast<int32_t>(end));
	}
	return preedit;
}

}	// namespace


// The application as a desktop framework shows it: the method's text is
// drawn by the framework's client, so location requests are answered with
// the caret that the framework last reported, for every composed character.
class DesktopApplication : public ApplicationModel {
public:
	DesktopApplication()
		:
		ApplicationModel(0, 0, 1, [](const std::string&) { return 0.0f; }),
		fCaret{0, 0, 0}
	{
	}

	void SetCaret(float x, float y, float height)
	{
		fCaret = TextLocation{x, y, height};
	}

	virtual std::vector<TextLocation> ComposedLocations() const
	{
		size_t characters = 0;
		for (char c : Composing())
			characters += !IsContinuationByte(c);
		return std::vector<TextLocation>(characters > 0 ? characters : 1,
			fCaret);
	}

	// The preedit the client shows, against which changes are told apart.
	Preedit& Shown() { return fShown; }

private:
	TextLocation fCaret;
	Preedit fShown;
};


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
	fPending(false),
	fPalettesRead(false),
	fPaletteChanges(0),
	fRunning(0),
	fNextSerial(1),
	fDictionaryBefore()
{
}


MethodSession::~MethodSession()
{
	Unload();
}


bool
MethodSession::Start(const std::string& settingsOption, std::string& error)
{
	if (fHost != NULL) {
		error = "the method is already loaded";
		return false;
	}
	std::string settings = settingsOption;
	if (settings.empty()) {
		settings = HostPaths::DefaultSettingsDirectory();
		if (!HostPaths::SeedSettings(settings, HostPaths::FindSettingsBundle(),
				error))
			return false;
	}
	if (!HostPaths::PointSettingsDirectory(settings, fTemporary, fResolved,
			error))
		return false;
	if (!fTemporary.empty()) {
		fAliasFrom = fTemporary + "/nuvim_settings/";
		fAliasTo = fResolved + "/";
	}

	const std::string module = HostPaths::FindMethodModule();
	if (module.empty()) {
		error = "cannot find the method module nuvIM next to "
			+ HostPaths::ProgramDirectory();
		HostPaths::RemoveSettingsLink(fTemporary);
		fTemporary.clear();
		return false;
	}

	fDictionaryBefore.reset(new UserDictionaryFile(fResolved));
	fApplication.reset(new DesktopApplication);
	fHost.reset(new MethodHost(*fApplication, NULL));
	// The session reads what each key delivered, then clears it.
	fHost->RecordDelivered(true);
	if (!fTemporary.empty())
		fHost->SetPathAlias(fAliasFrom, fAliasTo);
	if (!fHost->Load(module, error)) {
		fHost.reset();
		fApplication.reset();
		HostPaths::RemoveSettingsLink(fTemporary);
		fTemporary.clear();
		return false;
	}
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
	fHost->Unload();
	fHost.reset();
	fApplication.reset();
	HostPaths::RemoveSettingsLink(fTemporary);
	fTemporary.clear();
	fPending = false;
	fRequests.clear();
	fRunning = 0;

	return fDictionaryBefore != NULL
		&& UserDictionaryFile(fResolved).ReplacedSince(*fDictionaryBefore);
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
		|| index >= 7)
		return KeyOutcome();
	KeyStep step;
	step.bytes.assign(1, static_cast<char>(kLabels[index] + ('a' - 'A')));
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
	_HideComposition(outcome, 0);
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
	const size_t before = HeadlessDisplay::Launches().size();
	if (!fHost->ChooseMenuItem("Help"))
		return std::string();
	fHost->Settle();
	fHost->ClearDelivered();
	const std::vector<headless_launch_info> launches
		= HeadlessDisplay::Launches();
	if (launches.size() <= before || launches.back().arguments.empty())
		return std::string();
	std::string path = launches.back().arguments.front();
	if (!fAliasFrom.empty()
		&& path.compare(0, fAliasFrom.size(), fAliasFrom) == 0)
		path.replace(0, fAliasFrom.size(), fAliasTo);
	return path;
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
		if (window.title == kModePaletteTitle) {
			if (!window.texts.empty())
				state.mode = window.texts.front();
		} else if (window.hidden)
			continue;
		else if (window.title == kCandidatesPaletteTitle) {
			state.candidatesShown = !window.texts.empty()
				&& ParseCandidateLine(window.texts.front(), state.candidates,
					state.remaining);
		} else if (window.title == kRegistrationPaletteTitle)
			registration = window.texts;
		else if (window.title == kPurgePaletteTitle)
			purge = window.texts;
	}
	state.prompts = registration;
	state.prompts.insert(state.prompts.end(), purge.begin(), purge.end());
	fPalettes = state;
	fPaletteChanges = changes;
	fPalettesRead = true;
	return state;
}


bool
MethodSession::ParseCandidateLine(const std::string& line,
	std::vector<std::string>& candidates, int32_t& remaining)
{
	candidates.clear();
	remaining = 0;
	const size_t bracket = line.rfind(kRemainingOpen);
	if (bracket == std::string::npos || line.empty() || line.back() != ']')
		return false;
	const size_t digits = bracket + std::string(kRemainingOpen).size();
	const std::string count = line.substr(digits, line.size() - 1 - digits);
	if (count.empty() || count.size() > 9
		|| count.find_first_not_of("0123456789") != std::string::npos)
		return false;
	remaining = std::stoi(count);

	// Every entry is "<label>:<candidate>" followed by two blanks; an entry
	// ends where the next label's "  X:" begins.
	const std::string entries = line.substr(0, bracket);
	size_t at = 0;
	for (size_t i = 0; at < entries.size() && i < 7; i++) {
		if (entries.size() - at < 4 || entries[at] != kLabels[i]
			|| entries[at + 1] != ':')
			return false;
		size_t end = std::string::npos;
		if (i + 1 < 7) {
			const std::string next = std::string("  ") + kLabels[i + 1] + ":";
			end = entries.find(next, at + 2);
		}
		if (end == std::string::npos) {
			if (entries.compare(entries.size() - 2, 2, "  ") != 0)
				return false;
			end = entries.size() - 2;
		}
		candidates.push_back(entries.substr(at + 2, end - at - 2));
		at = end + 2;
	}
	if (at < entries.size()) {
		candidates.clear();
		return false;
	}
	return true;
}


int32_t
MethodSession::CharacterOffset(const std::string& text, int32_t bytes)
{
	int32_t characters = 0;
	const size_t end = bytes < 0 ? 0
		: std::min(text.size(), static_cast<size_t>(bytes));
	for (size_t i = 0; i < end; i++)
		characters += !IsContinuationByte(text[i]);
	return characters;
}


// #pragma mark - Queued requests


uint64_t
MethodSession::SubmitKey(const KeyStep& step)
{
	if (step.kind != KeyStep::KEY)
		return 0;
	return _Submit(Request::KEY, step);
}


uint64_t
MethodSession::SubmitPick(uint32_t index)
{
	if (fHost == NULL || HasQueuedWork())
		return 0;
	const PaletteState palettes = Palettes();
	if (!palettes.candidatesShown || index >= palettes.candidates.size()
		|| index >= 7)
		return 0;
	KeyStep step;
	step.bytes.assign(1, static_cast<char>(kLabels[index] + ('a' - 'A')));
	bool shifted = false;
	KeyScript::UsKey(step.bytes[0], step.key, shifted);
	step.token = step.bytes;
	return _Submit(Request::PICK, step);
}


uint64_t
MethodSession::SubmitActivate(bool active)
{
	return _Submit(active ? Request::ACTIVATE : Request::DEACTIVATE);
}


uint64_t
MethodSession::SubmitStop()
{
	return _Submit(Request::STOP);
}


KeyOutcome
MethodSession::Advance(int64_t waitMicros)
{
	KeyOutcome outcome;
	if (fHost == NULL) {
		fRequests.clear();
		fRunning = 0;
		return outcome;
	}
	const bigtime_t deadline = system_time() + std::max<int64_t>(waitMicros,
		0);
	while (true) {
		if (fRunning != 0) {
			const bigtime_t left = std::max<bigtime_t>(deadline
				- system_time(), 0);
			// Deliveries may keep the method busy (location answers):
			// every wait counts against the same bound.
			const bool settled
				= HeadlessDisplay::WaitForIdle(left) == B_OK
					&& fHost->Settle(NULL, std::max<bigtime_t>(deadline
						- system_time(), 0));
			_Collect(outcome, &fRunningRequest);
			if (!settled) {
				outcome.settled = false;
				return outcome;
			}
			if (fRunningRequest.kind == Request::STOP
				|| fRunningRequest.kind == Request::DEACTIVATE)
				_HideComposition(outcome, fRunning);
			fRunning = 0;
		}
		if (fRequests.empty()) {
			outcome.settled = true;
			return outcome;
		}
		fRunningRequest = fRequests.front();
		fRequests.pop_front();
		fRunning = fRunningRequest.serial;
		_Dispatch(fRunningRequest);
	}
}


// #pragma mark - private


uint64_t
MethodSession::_Submit(Request::Kind kind, const KeyStep& step)
{
	if (fHost == NULL)
		return 0;
	Request request;
	request.kind = kind;
	request.serial = fNextSerial++;
	request.step = step;
	fRequests.push_back(request);
	return request.serial;
}


void
MethodSession::_Dispatch(const Request& request)
{
	switch (request.kind) {
		case Request::KEY:
		case Request::PICK:
			fHost->SendKey(MethodHost::MakeKeyMessage(request.step));
			break;
		case Request::ACTIVATE:
		case Request::DEACTIVATE:
			fHost->Activate(request.kind == Request::ACTIVATE);
			break;
		case Request::STOP:
			fHost->RequestStop();
			break;
	}
}


// The application has dropped its composed text already; a method that
// did not answer still leaves nothing shown.
void
MethodSession::_HideComposition(KeyOutcome& outcome, uint64_t request)
{
	if (!fApplication->Shown().visible)
		return;
	SessionAction hide;
	hide.kind = SessionAction::PREEDIT;
	hide.request = request;
	outcome.actions.push_back(hide);
	fApplication->Shown() = Preedit();
}


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
MethodSession::_Collect(KeyOutcome& outcome, const Request* request)
{
	bool committed = false;
	bool passed = false;
	const uint64_t tag = request != NULL ? request->serial : 0;
	Preedit& shown = fApplication->Shown();
	for (const BMessage& message : fHost->Delivered()) {
		if (message.what == B_KEY_DOWN) {
			passed = true;
			// A selection key is always the method's.
			if (request != NULL && request->kind != Request::PICK) {
				SessionAction action;
				action.kind = SessionAction::PASS;
				action.request = tag;
				outcome.actions.push_back(action);
			}
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
			action.request = tag;
			outcome.actions.push_back(action);
			shown = next;
		}
		if (confirmed && !text.empty()) {
			SessionAction action;
			action.kind = SessionAction::COMMIT;
			action.text = text;
			action.request = tag;
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
