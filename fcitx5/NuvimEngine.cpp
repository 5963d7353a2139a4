#include "NuvimEngine.h"

#include <algorithm>
#include <exception>
#include <vector>

#include <fcitx-utils/log.h>
#include <fcitx-utils/misc.h>
#include <fcitx-utils/textformatflags.h>
#include <fcitx/addonmanager.h>
#include <fcitx/candidatelist.h>
#include <fcitx/inputpanel.h>
#include <fcitx/statusarea.h>
#include <fcitx/text.h>
#include <fcitx/userinterfacemanager.h>

#include "DesktopKeys.h"


namespace {

const char* const kRemainingOpen = "[\xE6\xAE\x8B\xE3\x82\x8A ";	// "[残り "


// Runs `body`; nothing it throws may reach fcitx5's loop, which serves every
// application of the desktop.
template<typename Body>
void
Guarded(const char* what, Body&& body)
{
	try {
		body();
	} catch (const std::exception& exception) {
		FCITX_ERROR() << "nuvim: " << what << ": " << exception.what();
	} catch (...) {
		FCITX_ERROR() << "nuvim: " << what << ": unknown exception";
	}
}


// The byte offset of character `characters` of `text`.
size_t
ByteOffset(const std::string& text, int32_t characters)
{
	size_t at = 0;
	for (int32_t seen = 0; at < text.size(); at++) {
		if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
			continue;
		if (seen++ == characters)
			return at;
	}
	return text.size();
}


// The composed text with its clause underlined and the candidate on offer
// highlighted; fcitx5 counts the cursor in bytes.
fcitx::Text
MakePreedit(const Preedit& preedit)
{
	fcitx::Text text;
	if (!preedit.visible)
		return text;
	const std::string& string = preedit.text;
	const int32_t length = MethodSession::CharacterOffset(string,
		static_cast<int32_t>(string.size()));
	std::vector<int32_t> cuts = {0, length, preedit.clauseStart,
		preedit.clauseEnd, preedit.highlightStart, preedit.highlightEnd};
	for (int32_t& cut : cuts)
		cut = std::clamp(cut, 0, length);
	std::sort(cuts.begin(), cuts.end());
	cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
	for (size_t i = 0; i + 1 < cuts.size(); i++) {
		const int32_t start = cuts[i];
		const int32_t end = cuts[i + 1];
		fcitx::TextFormatFlags flags = fcitx::TextFormatFlag::NoFlag;
		if (start >= preedit.clauseStart && end <= preedit.clauseEnd)
			flags |= fcitx::TextFormatFlag::Underline;
		if (start >= preedit.highlightStart && end <= preedit.highlightEnd)
			flags |= fcitx::TextFormatFlag::HighLight;
		const size_t from = ByteOffset(string, start);
		text.append(string.substr(from, ByteOffset(string, end) - from),
			flags);
	}
	text.setCursor(static_cast<int>(ByteOffset(string,
		std::clamp(preedit.cursor, 0, length))));
	return text;
}


// In the application when it draws composed text, else in the panel.
void
ShowPreedit(fcitx::InputContext* context, const Preedit& preedit)
{
	fcitx::InputPanel& panel = context->inputPanel();
	const fcitx::Text text = MakePreedit(preedit);
	if (context->capabilityFlags().test(fcitx::CapabilityFlag::Preedit)) {
		panel.setClientPreedit(text);
		panel.setPreedit(fcitx::Text());
	} else {
		panel.setClientPreedit(fcitx::Text());
		panel.setPreedit(text);
	}
	context->updatePreedit();
	context->updateUserInterface(fcitx::UserInterfaceComponent::InputPanel);
}


// A candidate of the page: a click picks it as its selection key does.
class Candidate : public fcitx::CandidateWord {
public:
	Candidate(NuvimEngine* engine, uint32_t index, const std::string& text)
		:
		fcitx::CandidateWord(fcitx::Text(text)),
		fEngine(engine),
		fIndex(index)
	{
	}

	void select(fcitx::InputContext* context) const override
	{
		fEngine->Pick(context, fIndex);
	}

private:
	NuvimEngine*	fEngine;
	uint32_t		fIndex;
};

}	// namespace


NuvimEngine::NuvimEngine(fcitx::Instance* instance)
	:
	fInstance(instance),
	fState(STARTING),
	fStartSucceeded(false),
	fStartDone(false),
	fHasCurrent(false),
	fTableShown(false)
{
	fModeAction.setLongText("Input mode");
	fModeAction.setIcon("nuvim");
	fInstance->userInterfaceManager().registerAction("nuvim-mode",
		&fModeAction);
	fHelpAction.setShortText("Help");
	fHelpAction.setLongText("Opens the help page");
	fHelpAction.setIcon("help-browser");
	fInstance->userInterfaceManager().registerAction("nuvim-help",
		&fHelpAction);
	fHelpAction.connect<fcitx::SimpleAction::Activated>(
		[this](fcitx::InputContext* context) {
			Guarded("help", [&] { _OpenHelp(context); });
		});

	// The settings directory is seeded and the method loaded on a thread:
	// the method's construction waits for its tables and dictionaries.
	try {
		fStarter = std::thread([this] {
			bool started = false;
			Guarded("start", [&] {
				started = fSession.Start(std::string(), fStartError);
			});
			if (!started && fStartError.empty())
				fStartError = "the method did not start";
			fStartSucceeded = started;
			fStartDone = true;
		});
	} catch (const std::exception& exception) {
		fStartError = exception.what();
		fState = FAILED;
		fStartDone = true;
	}
}


NuvimEngine::~NuvimEngine()
{
	fPoll.reset();
	if (fStarter.joinable())
		fStarter.join();
	Guarded("unload", [&] {
		if (fState == STARTED && !fSession.Unload()) {
			FCITX_INFO() << "nuvim: the user dictionary was not written to "
				<< fSession.SettingsDirectory() << "/.nuv-jisyo";
		}
	});
}


void
NuvimEngine::keyEvent(const fcitx::InputMethodEntry&, fcitx::KeyEvent& event)
{
	Guarded("key", [&] {
		const fcitx::Key& key = event.rawKey();
		KeyStep step;
		if (event.isRelease() || (_Started() && fState == FAILED)
			|| !DesktopKeys::Translate(key.sym(),
				static_cast<uint32_t>(key.states()), step))
			return;
		fcitx::InputContext* context = event.inputContext();
		_Follow(context);
		const uint64_t request = _Request(KEY, context, step, &key);
		if (request == 0)
			return;
		const KeyOutcome outcome = _Advance(kKeyWait);

		// The key goes back to the application unaccepted only when the
		// method passed it on and the client receives nothing else before
		// it but composed text; otherwise it is forwarded after the text,
		// in order, and accepted here.
		bool passed = false;
		bool other = false;
		for (const SessionAction& action : outcome.actions) {
			if (action.kind == SessionAction::PASS && action.request == request)
				passed = true;
			else if (action.kind != SessionAction::PREEDIT)
				other = true;
		}
		const bool handedBack = outcome.settled && passed && !other;
		_Apply(outcome, handedBack ? request : 0);
		if (!handedBack)
			event.filterAndAccept();
		_WatchQueue();
	});
}


void
NuvimEngine::activate(const fcitx::InputMethodEntry&,
	fcitx::InputContextEvent& event)
{
	Guarded("activate", [&] {
		fcitx::InputContext* context = event.inputContext();
		context->statusArea().addAction(fcitx::StatusGroup::InputMethod,
			&fModeAction);
		context->statusArea().addAction(fcitx::StatusGroup::InputMethod,
			&fHelpAction);
		_Follow(context);
		_Request(ACTIVATE, context);
		const KeyOutcome outcome = _Advance(kKeyWait);
		_Apply(outcome);
		if (outcome.settled && fState == STARTED)
			_ShowPalettes(context, true);
		_WatchQueue();
	});
}


void
NuvimEngine::deactivate(const fcitx::InputMethodEntry&,
	fcitx::InputContextEvent& event)
{
	Guarded("deactivate", [&] {
		fcitx::InputContext* context = event.inputContext();
		if (!fHasCurrent || fCurrent.get() != context)
			return;
		// Deactivation ends the composition and saves the user dictionary.
		_Request(DEACTIVATE, context);
		fHasCurrent = false;
		context->inputPanel().setCandidateList(nullptr);
		context->inputPanel().setAuxUp(fcitx::Text());
		_Apply(_Advance(kKeyWait));
		_WatchQueue();
	});
}


void
NuvimEngine::reset(const fcitx::InputMethodEntry&,
	fcitx::InputContextEvent& event)
{
	Guarded("reset", [&] {
		fcitx::InputContext* context = event.inputContext();
		if (!fHasCurrent || fCurrent.get() != context)
			return;
		_Request(STOP, context);
		_Apply(_Advance(kKeyWait));
		_WatchQueue();
	});
}


std::string
NuvimEngine::subModeLabelImpl(const fcitx::InputMethodEntry&,
	fcitx::InputContext&)
{
	return fShown.mode;
}


void
NuvimEngine::Pick(fcitx::InputContext* context, uint32_t index)
{
	Guarded("pick", [&] {
		// Only the page shown in the context that composes can be clicked.
		if (!fHasCurrent || fCurrent.get() != context)
			return;
		if (_Request(PICK, context, KeyStep(), nullptr, index) == 0)
			return;
		_Apply(_Advance(kKeyWait));
		_WatchQueue();
	});
}


// #pragma mark - private


void
NuvimEngine::_Follow(fcitx::InputContext* context)
{
	if (fHasCurrent && fCurrent.get() == context)
		return;
	if (fHasCurrent) {
		// The composition of the former context ends there, before any
		// key of this one reaches the method.
		fcitx::InputContext* former = fCurrent.get();
		_Request(STOP, former);
		if (former != nullptr) {
			former->inputPanel().setCandidateList(nullptr);
			former->inputPanel().setAuxUp(fcitx::Text());
			former->updateUserInterface(
				fcitx::UserInterfaceComponent::InputPanel);
		}
	}
	fCurrent = context->watch();
	fHasCurrent = true;
	fShown = PaletteState();
	fTableShown = false;
}


uint64_t
NuvimEngine::_Request(Kind kind, fcitx::InputContext* context,
	const KeyStep& step, const fcitx::Key* key, uint32_t index)
{
	Target target;
	if (context != nullptr)
		target.context = context->watch();
	if (key != nullptr) {
		target.key = *key;
		target.isKey = true;
	}
	if (!_Started()) {
		// A click needs the page it was on: there is none before the start.
		if (kind == PICK)
			return 0;
		fEarly.push_back(Early{kind, step, index, target});
		return 1;
	}
	if (fState != STARTED)
		return 0;
	uint64_t request = 0;
	switch (kind) {
		case KEY:
			request = fSession.SubmitKey(step);
			break;
		case PICK:
			if (!fSession.HasQueuedWork())
				request = fSession.SubmitPick(index);
			break;
		case ACTIVATE:
		case DEACTIVATE:
			request = fSession.SubmitActivate(kind == ACTIVATE);
			break;
		case STOP:
			request = fSession.SubmitStop();
			break;
	}
	if (request != 0)
		fTargets[request] = target;
	return request;
}


bool
NuvimEngine::_Started()
{
	if (fState != STARTING || !fStartDone)
		return fState != STARTING;
	// fStartDone is set last: the thread is about to end.
	fStarter.join();
	fState = fStartSucceeded ? STARTED : FAILED;
	if (fState == FAILED) {
		FCITX_ERROR() << "nuvim: " << fStartError
			<< "; keys go to the application";
	}
	// What was asked meanwhile, in order: keys held go on to the
	// application when there is no method.
	std::vector<Early> early;
	early.swap(fEarly);
	for (const Early& request : early) {
		fcitx::InputContext* context = request.target.context.get();
		if (fState == FAILED) {
			if (context != nullptr && request.target.isKey)
				context->forwardKey(request.target.key);
			continue;
		}
		_Request(request.kind, context, request.step,
			request.target.isKey ? &request.target.key : nullptr,
			request.index);
	}
	return true;
}


KeyOutcome
NuvimEngine::_Advance(int64_t waitMicros)
{
	if (!_Started()) {
		KeyOutcome outcome;
		outcome.settled = false;
		return outcome;
	}
	return fSession.Advance(waitMicros);
}


void
NuvimEngine::_Apply(const KeyOutcome& outcome, uint64_t handedBack)
{
	for (const SessionAction& action : outcome.actions) {
		const auto found = fTargets.find(action.request);
		if (found == fTargets.end())
			continue;
		// A context that has gone receives nothing.
		fcitx::InputContext* context = found->second.context.get();
		if (context == nullptr)
			continue;
		switch (action.kind) {
			case SessionAction::COMMIT:
				context->commitString(action.text);
				break;
			case SessionAction::PREEDIT:
				ShowPreedit(context, action.preedit);
				break;
			case SessionAction::PASS:
				if (action.request != handedBack && found->second.isKey)
					context->forwardKey(found->second.key);
				break;
		}
	}
	if (!outcome.settled || fState != STARTED)
		return;
	fTargets.clear();
	if (fHasCurrent && fCurrent.get() != nullptr)
		_ShowPalettes(fCurrent.get(), false);
}


void
NuvimEngine::_ShowPalettes(fcitx::InputContext* context, bool force)
{
	const PaletteState palettes = fSession.Palettes();
	if (!force && palettes == fShown)
		return;
	fcitx::InputPanel& panel = context->inputPanel();

	if (palettes.candidatesShown) {
		if (force || !fTableShown || palettes.candidates != fShown.candidates) {
			auto list = std::make_unique<fcitx::CommonCandidateList>();
			list->setPageSize(7);
			std::vector<std::string> labels;
			for (size_t i = 0; i < palettes.candidates.size(); i++) {
				labels.push_back(std::string(1, MethodSession::kLabels[i])
					+ ":");
				list->append<Candidate>(this, static_cast<uint32_t>(i),
					palettes.candidates[i]);
			}
			list->setLabels(labels);
			panel.setCandidateList(std::move(list));
		}
	} else if (force || fTableShown)
		panel.setCandidateList(nullptr);

	std::string auxiliary;
	for (const std::string& prompt : palettes.prompts)
		auxiliary += (auxiliary.empty() ? "" : "  ") + prompt;
	if (palettes.candidatesShown) {
		auxiliary += (auxiliary.empty() ? "" : "  ")
			+ std::string(kRemainingOpen)
			+ std::to_string(palettes.remaining) + "]";
	}
	panel.setAuxUp(fcitx::Text(auxiliary));

	const bool modeChanged = force || palettes.mode != fShown.mode;
	fShown = palettes;
	fTableShown = palettes.candidatesShown;
	if (modeChanged) {
		fModeAction.setShortText(palettes.mode);
		fModeAction.update(context);
		context->updateUserInterface(
			fcitx::UserInterfaceComponent::StatusArea);
	}
	context->updateUserInterface(fcitx::UserInterfaceComponent::InputPanel);
}


void
NuvimEngine::_WatchQueue()
{
	if (fState == FAILED || (fState == STARTED && !fSession.HasQueuedWork()))
		return;
	if (fPoll != nullptr) {
		if (!fPoll->isEnabled()) {
			fPoll->setNextInterval(kPollInterval);
			fPoll->setOneShot();
		}
		return;
	}
	fPoll = fInstance->eventLoop().addTimeEvent(CLOCK_MONOTONIC,
		fcitx::now(CLOCK_MONOTONIC) + kPollInterval, 0,
		[this](fcitx::EventSourceTime* source, uint64_t) {
			bool settled = true;
			Guarded("delivery", [&] {
				const KeyOutcome outcome = _Advance(kPollWait);
				_Apply(outcome);
				settled = outcome.settled;
			});
			if (!settled) {
				source->setNextInterval(kPollInterval);
				source->setOneShot();
			}
			return true;
		});
}


void
NuvimEngine::_OpenHelp(fcitx::InputContext*)
{
	if (fState != STARTED || fSession.HasQueuedWork())
		return;
	const std::string page = fSession.HelpPage();
	if (!page.empty())
		fcitx::startProcess({"xdg-open", page});
}


fcitx::AddonInstance*
NuvimEngineFactory::create(fcitx::AddonManager* manager)
{
	return new NuvimEngine(manager->instance());
}


FCITX_ADDON_FACTORY(NuvimEngineFactory);
