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
#include "NuvContract.h"


namespace {

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
// highlighted; fcitx5 counts the cursor in bytes. What ending the
// composition leaves in the document (Preedit::committed, a subsequence of
// the text) is all that may be committed from it: the rest (markers,
// romaji not yet kana) is marked not to be, for fcitx5 and clients that
// commit the composed text themselves when the focus leaves.
fcitx::Text
MakePreedit(const Preedit& preedit)
{
	fcitx::Text text;
	if (!preedit.visible)
		return text;
	const std::string& string = preedit.text;
	const std::string& committed = preedit.committed;
	size_t matched = 0;
	std::string run;
	fcitx::TextFormatFlags runFlags = fcitx::TextFormatFlag::NoFlag;
	int32_t index = 0;
	for (size_t at = 0; at < string.size(); index++) {
		size_t next = at + 1;
		while (next < string.size()
			&& (static_cast<unsigned char>(string[next]) & 0xC0) == 0x80)
			next++;
		const std::string character = string.substr(at, next - at);
		at = next;

		fcitx::TextFormatFlags flags = fcitx::TextFormatFlag::NoFlag;
		if (index >= preedit.clauseStart && index < preedit.clauseEnd)
			flags |= fcitx::TextFormatFlag::Underline;
		if (index >= preedit.highlightStart && index < preedit.highlightEnd)
			flags |= fcitx::TextFormatFlag::HighLight;
		if (committed.compare(matched, character.size(), character) == 0)
			matched += character.size();
		else
			flags |= fcitx::TextFormatFlag::DontCommit;
		if (flags != runFlags && !run.empty()) {
			text.append(run, runFlags);
			run.clear();
		}
		runFlags = flags;
		run += character;
	}
	if (!run.empty())
		text.append(run, runFlags);
	text.setCursor(static_cast<int>(ByteOffset(string,
		std::clamp(preedit.cursor, 0, index))));
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


// fcitx5 (or a client that does it itself) commits the composed text in
// the application when the focus leaves; text shown in fcitx5's panel
// instead is the engine's to commit.
bool
CommittedByFcitx(const fcitx::InputContextEvent& event)
{
	return event.type() == fcitx::EventType::InputContextFocusOut
		&& event.inputContext()->capabilityFlags().test(
			fcitx::CapabilityFlag::Preedit);
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
	fFailureTold(false),
	fHasCurrent(false),
	fLastTag(0),
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

	// The method's construction waits for its tables and dictionaries.
	fSession.StartInBackground(std::string());
	_WatchQueue();
}


NuvimEngine::~NuvimEngine()
{
	fPoll.reset();
	Guarded("unload", [&] {
		if (!fSession.Unload() && fSession.StartError().empty()) {
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
		if (event.isRelease() || !fSession.StartError().empty()
			|| !DesktopKeys::Translate(key.sym(),
				static_cast<uint32_t>(key.states()), step))
			return;
		fcitx::InputContext* context = event.inputContext();
		_Follow(context);
		const KeyOutcome outcome = fSession.HandleKey(step,
			MethodSession::kDefaultWait, _Tag(context, &key));
		_Apply(outcome);
		// A key the method passed on after committing text is sent after
		// the text, and taken here.
		if (outcome.forward)
			context->forwardKey(key);
		if (!outcome.handedBack)
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
		const KeyOutcome outcome = fSession.Activate(true, _Tag(context));
		_Apply(outcome);
		if (outcome.settled && fSession.IsLoaded())
			_ShowPalettes(context, true);
		_WatchQueue();
	});
}


// The focus leaves, or the user switches to another input method: the
// composition ends. When the focus leaves, fcitx5 (or the client) has
// committed the composed text already, less its parts marked not to be;
// otherwise it is committed from here.
void
NuvimEngine::deactivate(const fcitx::InputMethodEntry&,
	fcitx::InputContextEvent& event)
{
	Guarded("deactivate", [&] {
		fcitx::InputContext* context = event.inputContext();
		if (!fHasCurrent || fCurrent.get() != context)
			return;
		fHasCurrent = false;
		context->inputPanel().setCandidateList(nullptr);
		context->inputPanel().setAuxUp(fcitx::Text());
		_Apply(fSession.Activate(false, _Tag(context, nullptr,
			CommittedByFcitx(event))));
		_WatchQueue();
	});
}


// A reset the application asks for commits the composed text from here and
// keeps romaji not yet kana composing; one that comes with the focus
// leaving is a deactivation.
void
NuvimEngine::reset(const fcitx::InputMethodEntry& entry,
	fcitx::InputContextEvent& event)
{
	if (event.type() == fcitx::EventType::InputContextFocusOut) {
		deactivate(entry, event);
		return;
	}
	Guarded("reset", [&] {
		fcitx::InputContext* context = event.inputContext();
		if (!fHasCurrent || fCurrent.get() != context)
			return;
		_Apply(fSession.Reset(_Tag(context)));
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
		_Apply(fSession.PickCandidate(index, _Tag(context)));
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
		if (former != nullptr) {
			_Apply(fSession.Stop(_Tag(former)));
			former->inputPanel().setCandidateList(nullptr);
			former->inputPanel().setAuxUp(fcitx::Text());
			former->updateUserInterface(
				fcitx::UserInterfaceComponent::InputPanel);
		} else
			_Apply(fSession.Stop());
	}
	fCurrent = context->watch();
	fHasCurrent = true;
	fShown = PaletteState();
	fTableShown = false;
}


uint64_t
NuvimEngine::_Tag(fcitx::InputContext* context, const fcitx::Key* key,
	bool committed)
{
	Target& target = fTargets[++fLastTag];
	target.context = context->watch();
	if (key != nullptr) {
		target.key = *key;
		target.isKey = true;
	}
	target.committed = committed;
	return fLastTag;
}


void
NuvimEngine::_Apply(const KeyOutcome& outcome)
{
	for (const SessionAction& action : outcome.actions) {
		const auto found = fTargets.find(action.tag);
		if (found == fTargets.end())
			continue;
		// A context that has gone receives nothing.
		const Target& target = found->second;
		fcitx::InputContext* context = target.context.get();
		if (context == nullptr)
			continue;
		switch (action.kind) {
			case SessionAction::COMMIT:
				if (!target.committed)
					context->commitString(action.text);
				break;
			case SessionAction::PREEDIT:
				ShowPreedit(context, action.preedit);
				break;
			case SessionAction::FORWARD:
				if (target.isKey)
					context->forwardKey(target.key);
				break;
		}
	}
	if (!fFailureTold && !fSession.StartError().empty()) {
		FCITX_ERROR() << "nuvim: " << fSession.StartError()
			<< "; keys go to the application";
		fFailureTold = true;
	}
	if (fSession.HasPendingWork())
		return;
	fTargets.clear();
	if (fHasCurrent && fCurrent.get() != nullptr && fSession.IsLoaded())
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
			list->setPageSize(NuvContract::kPageSize);
			std::vector<std::string> labels;
			for (size_t i = 0; i < palettes.candidates.size(); i++) {
				labels.push_back(std::string(1,
					NuvContract::kSelectionLabels[i]) + ":");
				list->append<Candidate>(this, static_cast<uint32_t>(i),
					palettes.candidates[i]);
			}
			list->setLabels(labels);
			panel.setCandidateList(std::move(list));
		}
	} else if (force || fTableShown)
		panel.setCandidateList(nullptr);

	panel.setAuxUp(fcitx::Text(palettes.AuxiliaryLine()));

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
	if (!fSession.HasPendingWork())
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
				const KeyOutcome outcome = fSession.Poll(kPollWait);
				_Apply(outcome);
				settled = !fSession.HasPendingWork();
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
	if (!fSession.IsLoaded() || fSession.HasPendingWork())
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
