#include "NuvimEngine.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <ibus.h>

#include "DesktopKeys.h"
#include "MethodSession.h"
#include "NuvContract.h"


const char* const NuvimEngine::kModeProperty = "InputMode";
const char* const NuvimEngine::kHelpProperty = "Help";


namespace {

// How often a busy method is looked at, and how long each look may take
// of the main loop (well within the bound of a key).
const guint kPollMilliseconds = 10;
const int64_t kPollWait = 20000;
// Keys whose answer was given before the method passed them on are
// remembered this long (in keys) to be forwarded.
const uint64_t kKeysRemembered = 1024;
// How long after a commit a GTK client's reset is taken for its echo.
const gint64 kCommitEcho = 300000;
// How long what keys typed after a key handed back to a GTK client do is
// held at most, waiting for the client to have delivered that key. Where
// the widget tells when Enter reaches it, keys that come in a burst (each
// within kBurstGap of the one before: no person types so fast) count the
// bound afresh: the client is still busy with them.
const guint kHoldMilliseconds = 200;
const gint64 kBurstGap = 30000;
// How many input contexts that tell when Enter has reached them are
// remembered (see EngineState::enterTells); past that the engine learns
// them again.
const size_t kEnterTellsRemembered = 256;
// The candidate on offer in the preedit: white on blue.
const guint kHighlightForeground = 0xFFFFFF;
const guint kHighlightBackground = 0x3465A4;

// How the client of the focused input context treats the composed text
// when its focus moves or it resets (the daemon tells the client's name on
// focus in).
enum ClientKind {
	// GTK's IBus module (GTK programs, browsers): commits the composed
	// text itself on focus out when told to (IBUS_ENGINE_PREEDIT_COMMIT),
	// and on a reset leaves it to the engine.
	CLIENT_GTK,
	// Qt's IBus plugin: commits the composed text itself whenever its
	// focus moves, whatever it is told, then asks for a reset.
	CLIENT_QT,
	// XIM (ibus-x11): waits for each key's answer but handles the signals
	// sent before it only afterwards, so a key handed back would overtake
	// the text committed before it; the daemon commits the composed text
	// on focus out and on a reset when told to.
	CLIENT_XIM,
	// The rest (plain D-Bus clients): as XIM for the composed text; they
	// handle signals and answers in order.
	CLIENT_OTHER
};

struct EngineState {
	MethodSession*		session = NULL;
	// The engine that receives what the method does.
	IBusEngine*			current = NULL;
	ClientKind			client = CLIENT_OTHER;
	// The client was named on focus in (FocusInId). The daemon names it
	// only once it knows that the engine takes names, which it asks when
	// it first starts the engine: the first focus comes unnamed, and the
	// client's capabilities tell its kind then.
	bool				clientNamed = false;
	// A GTK program named as such, not a browser: a key handed back that
	// types a character is committed as that character, which is what
	// GTK's module would do with it, but in order with the text before.
	bool				typesKeys = false;
	// A browser (over GTK's module): a web page may want Enter itself, and
	// Chromium has been seen to drop a line feed committed as text.
	bool				browser = false;
	// The focused input context (its object path; empty if unnamed), and
	// those whose widget has told when Enter handed back reached it: its
	// caret went down a line (text views). An entry tells nothing.
	std::string			context;
	std::set<std::string>	enterTells;
	// The caret's top as the client last told it, and as it was when the
	// hold began (G_MININT: not known).
	gint				caretY = G_MININT;
	gint				holdCaretY = G_MININT;
	// The client puts its copy of the composed text into the document
	// whenever its focus moves, whatever it is told (Qt; Chromium, over
	// GTK's module), then asks for a reset.
	bool				commitsItself = false;
	// The client has put the text of the composition into the document
	// when it asks for a reset (Qt; Firefox, which does it while it
	// composes when told to commit: a click in the text or another field).
	bool				resetCommitted = false;
	uint32_t			engineNumber = 0;
	PaletteState		shown;
	// Romaji shown in the auxiliary text rather than in the preedit.
	std::string			romaji;
	bool				tableShown = false;
	IBusPropList*		properties = NULL;
	IBusProperty*		modeProperty = NULL;
	guint				pollSource = 0;
	// The keys handed to the session, by tag, to forward one it passes on
	// after its answer was given.
	struct Key {
		guint			keyval;
		guint			keycode;
		guint			state;
	};
	std::map<uint64_t, Key>	keys;
	uint64_t			lastTag = 0;
	// When text was last committed (monotonic microseconds).
	gint64				lastCommit = 0;
	// The preedit shows something.
	bool				preeditShown = false;
	// A key handed back to a GTK client reaches its widget only after the
	// client has handled what arrives in the meantime (GTK 3 puts the key
	// at the back of its queue, behind keys typed since; GTK 4 waits for
	// the answer in a loop that handles the next keys first): what the
	// method does with those keys is held until the widget has taken the
	// key (its reset) or kHoldMilliseconds have passed.
	guint				holdSource = 0;
	// The key whose delivery the hold waits for.
	guint				holdKey = 0;
	// When the last key came (monotonic microseconds).
	gint64				lastKey = 0;
	struct Held {
		IBusEngine*		engine;
		KeyOutcome		outcome;
	};
	std::vector<Held>	held;
	// NUVIM_IBUS_DEBUG set: each key and focus is told on standard error.
	bool				debug = g_getenv("NUVIM_IBUS_DEBUG") != NULL;
};

EngineState sState;


// With NUVIM_IBUS_DEBUG set: one line on standard error, stamped with the
// milliseconds since the engine started, so that a trace shows how keys,
// commits and the client's calls interleave.
void
Trace(const char* format, ...)
{
	if (!sState.debug)
		return;
	static const gint64 started = g_get_monotonic_time();
	va_list args;
	va_start(args, format);
	gchar* line = g_strdup_vprintf(format, args);
	va_end(args);
	g_printerr("ibus-engine-nuvim %8.1f: %s\n",
		(g_get_monotonic_time() - started) / 1000.0, line);
	g_free(line);
}


IBusText*
MakePreeditText(const Preedit& preedit)
{
	IBusText* text = ibus_text_new_from_string(preedit.text.c_str());
	const guint length = ibus_text_get_length(text);
	auto limit = [length](int32_t value) {
		return value < 0 ? 0u : static_cast<guint>(value) > length
			? length : static_cast<guint>(value);
	};
	if (preedit.clauseEnd > preedit.clauseStart) {
		ibus_text_append_attribute(text, IBUS_ATTR_TYPE_UNDERLINE,
			IBUS_ATTR_UNDERLINE_SINGLE, limit(preedit.clauseStart),
			limit(preedit.clauseEnd));
	}
	if (preedit.highlightEnd > preedit.highlightStart) {
		ibus_text_append_attribute(text, IBUS_ATTR_TYPE_FOREGROUND,
			kHighlightForeground, limit(preedit.highlightStart),
			limit(preedit.highlightEnd));
		ibus_text_append_attribute(text, IBUS_ATTR_TYPE_BACKGROUND,
			kHighlightBackground, limit(preedit.highlightStart),
			limit(preedit.highlightEnd));
	}
	return text;
}


// The auxiliary text: romaji left out of the preedit, then the prompts and
// the remaining count.
void
ShowAuxiliary(IBusEngine* engine)
{
	std::string line = sState.shown.AuxiliaryLine();
	if (!sState.romaji.empty())
		line = sState.romaji + (line.empty() ? "" : "  ") + line;
	if (!line.empty()) {
		ibus_engine_update_auxiliary_text(engine,
			ibus_text_new_from_string(line.c_str()), TRUE);
	} else
		ibus_engine_hide_auxiliary_text(engine);
}


void
ShowPalettes(IBusEngine* engine, const PaletteState& palettes, bool force)
{
	if (!force && palettes == sState.shown)
		return;

	if (sState.modeProperty != NULL && (force
			|| palettes.mode != sState.shown.mode)) {
		ibus_property_set_label(sState.modeProperty,
			ibus_text_new_from_string(palettes.mode.c_str()));
		ibus_property_set_symbol(sState.modeProperty,
			ibus_text_new_from_string(palettes.mode.c_str()));
		ibus_engine_update_property(engine, sState.modeProperty);
	}

	if (palettes.candidatesShown) {
		if (force || !sState.tableShown
			|| palettes.candidates != sState.shown.candidates) {
			IBusLookupTable* table = ibus_lookup_table_new(
				NuvContract::kPageSize, 0, FALSE, FALSE);
			ibus_lookup_table_set_orientation(table, IBUS_ORIENTATION_SYSTEM);
			for (size_t i = 0; i < palettes.candidates.size(); i++) {
				ibus_lookup_table_append_candidate(table,
					ibus_text_new_from_string(
						palettes.candidates[i].c_str()));
				const char label[2] = {NuvContract::kSelectionLabels[i],
					'\0'};
				ibus_lookup_table_append_label(table,
					ibus_text_new_from_string(label));
			}
			ibus_engine_update_lookup_table(engine, table, TRUE);
		}
	} else if (force || sState.tableShown)
		ibus_engine_hide_lookup_table(engine);
	sState.tableShown = palettes.candidatesShown;

	sState.shown = palettes;
	ShowAuxiliary(engine);
}


void WatchPending();


// Shows `plain`, the composition without the method's markers: whatever
// commits it as it stands when the focus moves (the client or the daemon,
// told so by the mode) then commits what the focus policy wants. A client
// that commits it anyway would do it twice, and is told to clear it. Romaji
// not yet kana must never reach the document: they stay in the preedit
// only when it would be dropped, and are shown above the candidates
// otherwise (▽かんj: かん in the preedit, j in the auxiliary text).
void
ShowPreedit(IBusEngine* engine, const Preedit& plain)
{
	const bool commit = !plain.committed.empty() && !sState.commitsItself;
	const Preedit shown = commit || sState.commitsItself
		? plain.WithoutRomaji() : plain;
	const std::string romaji = shown.romaji.empty() ? plain.romaji
		: std::string();
	if (romaji != sState.romaji) {
		sState.romaji = romaji;
		ShowAuxiliary(engine);
	}
	sState.preeditShown = plain.visible && !shown.text.empty();
	if (sState.preeditShown) {
		ibus_engine_update_preedit_text_with_mode(engine,
			MakePreeditText(shown), shown.cursor, TRUE,
			commit ? IBUS_ENGINE_PREEDIT_COMMIT : IBUS_ENGINE_PREEDIT_CLEAR);
	} else {
		ibus_engine_update_preedit_text_with_mode(engine,
			ibus_text_new_from_string(""), 0, FALSE,
			IBUS_ENGINE_PREEDIT_CLEAR);
	}
}


// Tags of the calls that end a composition. The text that ending one whose
// text the client or the daemon has put into the document already would
// commit is dropped, and only that text: keys finished in the same outcome
// keep theirs, and an end queued behind a busy method that comes out of
// Poll() later, when another engine may hold the focus, commits nothing
// twice. (Keys are tagged from 1 upwards.)
const uint64_t kEndCommitted = UINT64_MAX;
const uint64_t kEndToCommit = UINT64_MAX - 1;


// Shows what the method did, in its order, then the palettes as they are.
void
Show(IBusEngine* engine, const KeyOutcome& outcome)
{
	for (const SessionAction& action : outcome.actions) {
		if (action.kind == SessionAction::COMMIT
			&& action.tag == kEndCommitted)
			continue;
		switch (action.kind) {
			case SessionAction::FORWARD: {
				const auto key = sState.keys.find(action.tag);
				if (key != sState.keys.end()) {
					ibus_engine_forward_key_event(engine, key->second.keyval,
						key->second.keycode, key->second.state);
				}
				break;
			}
			case SessionAction::COMMIT:
				Trace("commit \"%s\"", action.text.c_str());
				ibus_engine_commit_text(engine,
					ibus_text_new_from_string(action.text.c_str()));
				sState.lastCommit = g_get_monotonic_time();
				break;
			case SessionAction::PREEDIT:
				ShowPreedit(engine, action.plain);
				break;
		}
	}
	ShowPalettes(engine, sState.session->Palettes(), false);
}


// Shows what was held, in its order, and holds nothing more.
void
Release()
{
	if (sState.holdSource != 0) {
		g_source_remove(sState.holdSource);
		sState.holdSource = 0;
	}
	std::vector<EngineState::Held> held;
	held.swap(sState.held);
	if (!held.empty())
		Trace("release %zu held", held.size());
	for (EngineState::Held& entry : held) {
		Show(entry.engine, entry.outcome);
		g_object_unref(entry.engine);
	}
}


gboolean
HoldExpired(gpointer)
{
	sState.holdSource = 0;
	// The widget did not tell in time: a later move of its caret is not
	// the key's.
	sState.holdCaretY = G_MININT;
	Release();
	return G_SOURCE_REMOVE;
}


// A GTK widget that tells when Enter has reached it: what later keys do is
// held until it does, however long a burst of keys keeps the client busy
// (GTK 4's module answers every key of a burst before Enter reaches the
// widget; GTK 3 under load takes its time), and a second Enter in that
// time goes in as a line feed after them.
bool
WaitsForBursts()
{
	return sState.client == CLIENT_GTK && !sState.browser
		&& sState.enterTells.count(sState.context) != 0;
}


bool
IsEnter(guint keyval)
{
	return keyval == IBUS_KEY_Return || keyval == IBUS_KEY_KP_Enter
		|| keyval == IBUS_KEY_ISO_Enter;
}


// The key held for has reached the widget: if it was Enter, the widget is
// one that tells.
void
EnterArrived()
{
	if (!IsEnter(sState.holdKey))
		return;
	if (sState.enterTells.size() >= kEnterTellsRemembered)
		sState.enterTells.clear();
	sState.enterTells.insert(sState.context);
}


// Holds what the next keys do until the client has delivered `keyval`, just
// handed back (see EngineState::holdSource). Not when something is
// composed: a preedit shown before the key was handed back stays as it is.
void
HoldAfterHandingBack(guint keyval)
{
	if (sState.client != CLIENT_GTK || sState.preeditShown)
		return;
	sState.holdKey = keyval;
	sState.holdCaretY = sState.caretY;
	sState.holdSource = g_timeout_add(kHoldMilliseconds, HoldExpired, NULL);
}


// While the client is still busy with a burst of keys, the key handed back
// before them may not have reached the widget: the hold lasts until the
// burst ends (or the widget tells).
void
ExtendHold()
{
	const gint64 now = g_get_monotonic_time();
	const bool burst = now - sState.lastKey < kBurstGap;
	sState.lastKey = now;
	if (sState.holdSource == 0 || !burst || !WaitsForBursts())
		return;
	g_source_remove(sState.holdSource);
	sState.holdSource = g_timeout_add(kHoldMilliseconds, HoldExpired, NULL);
}


// Shows what the method did, or holds it while a key handed back is on its
// way, and keeps looking at a method that is still busy.
void
Apply(IBusEngine* engine, const KeyOutcome& outcome)
{
	if (sState.holdSource != 0) {
		sState.held.push_back(EngineState::Held{
			IBUS_ENGINE(g_object_ref(engine)), outcome});
	} else
		Show(engine, outcome);
	WatchPending();
}


gboolean
PollPending(gpointer)
{
	if (sState.session == NULL || !sState.session->HasPendingWork()) {
		sState.pollSource = 0;
		return G_SOURCE_REMOVE;
	}
	const KeyOutcome outcome = sState.session->Poll(kPollWait);
	if (sState.current != NULL)
		Apply(sState.current, outcome);
	if (outcome.settled) {
		sState.pollSource = 0;
		return G_SOURCE_REMOVE;
	}
	return G_SOURCE_CONTINUE;
}


void
WatchPending()
{
	if (sState.session->HasPendingWork() && sState.pollSource == 0)
		sState.pollSource = g_timeout_add(kPollMilliseconds, PollPending, NULL);
}


// Makes `engine` the one that hears of the method; the composition of
// another engine ends first.
void
Follow(IBusEngine* engine)
{
	if (sState.current == engine)
		return;
	Release();
	if (sState.current != NULL) {
		// The daemon has moved the composition's text already (focus out).
		Apply(sState.current, sState.session->Stop(kEndCommitted));
		g_object_remove_weak_pointer(G_OBJECT(sState.current),
			reinterpret_cast<gpointer*>(&sState.current));
	}
	sState.current = engine;
	g_object_add_weak_pointer(G_OBJECT(engine),
		reinterpret_cast<gpointer*>(&sState.current));
}


void
EnsureProperties()
{
	if (sState.properties != NULL)
		return;
	sState.properties = ibus_prop_list_new();
	g_object_ref_sink(sState.properties);
	sState.modeProperty = ibus_property_new(NuvimEngine::kModeProperty,
		PROP_TYPE_NORMAL, ibus_text_new_from_string(""), NULL,
		ibus_text_new_from_string("Input mode"), TRUE, TRUE,
		PROP_STATE_UNCHECKED, NULL);
	g_object_ref_sink(sState.modeProperty);
	ibus_prop_list_append(sState.properties, sState.modeProperty);
	ibus_prop_list_append(sState.properties,
		ibus_property_new(NuvimEngine::kHelpProperty, PROP_TYPE_NORMAL,
			ibus_text_new_from_string("Help"), "help-browser",
			ibus_text_new_from_string("Opens the help page"), TRUE, TRUE,
			PROP_STATE_UNCHECKED, NULL));
}


// #pragma mark - The engine's class


struct NuvimEngineObject {
	IBusEngine		parent;
};

struct NuvimEngineObjectClass {
	IBusEngineClass	parent;
};

G_DEFINE_TYPE(NuvimEngineObject, nuvim_engine_object, IBUS_TYPE_ENGINE)


// Commits `text` for the key `tag`, in order with what is held.
void
CommitForKey(IBusEngine* engine, const char* text, uint64_t tag)
{
	KeyOutcome typing;
	typing.actions.resize(1);
	typing.actions[0].text = text;
	typing.actions[0].tag = tag;
	Apply(engine, typing);
}


// Modifiers that make a key a command rather than typing.
const guint kCommandModifiers = IBUS_CONTROL_MASK | IBUS_MOD1_MASK
	| IBUS_MOD4_MASK | IBUS_SUPER_MASK | IBUS_META_MASK;


gboolean
ProcessKeyEvent(IBusEngine* engine, guint keyval, guint keycode, guint state)
{
	KeyStep step;
	if (sState.session == NULL || !DesktopKeys::Translate(keyval, state, step))
		return FALSE;
	Follow(engine);
	ExtendHold();
	const uint64_t tag = ++sState.lastTag;
	sState.keys[tag] = EngineState::Key{keyval, keycode, state};
	if (tag > kKeysRemembered) {
		sState.keys.erase(sState.keys.begin(),
			sState.keys.lower_bound(tag - kKeysRemembered));
	}
	const gint64 started = g_get_monotonic_time();
	const KeyOutcome outcome = sState.session->HandleKey(step,
		MethodSession::kDefaultWait, tag);
	Apply(engine, outcome);
	Trace("key %#x in %lld us: %s%s%s", keyval,
		static_cast<long long>(g_get_monotonic_time() - started),
		outcome.settled ? "settled" : "not settled",
		outcome.handedBack ? ", handed back" : "",
		outcome.forward ? ", passed on after text" : "");
	if (outcome.handedBack && sState.client == CLIENT_GTK
		&& (sState.typesKeys || sState.holdSource != 0)) {
		// A key that types a character goes in as that character, which
		// is what GTK's module makes of it, in order with the text before
		// (a browser gets it so only while earlier text is held).
		const gunichar typed = ibus_keyval_to_unicode(keyval);
		if (typed != 0 && g_unichar_isprint(typed)
			&& (state & kCommandModifiers) == 0) {
			gchar text[8] = {};
			g_unichar_to_utf8(typed, text);
			CommitForKey(engine, text, tag);
			return TRUE;
		}
	}
	if ((outcome.handedBack || outcome.forward) && sState.holdSource != 0
		&& WaitsForBursts() && IsEnter(keyval)
		&& (state & kCommandModifiers) == 0) {
		// An earlier key is still on its way to the text view, and this
		// one would overtake the text held since: Enter goes in as a line
		// feed, which is what the text view makes of it.
		CommitForKey(engine, "\n", tag);
		return TRUE;
	}
	if (outcome.forward || outcome.handedBack) {
		// The client must have this key's text, and what keys held since
		// did, before the key itself.
		Release();
	}
	if (outcome.forward) {
		// Committed text and the same key. GTK's module handles the
		// signals sent before the answer first, while a key forwarded
		// never reaches a GTK 4 widget and makes GTK 3 warn: GTK gets the
		// key back. Other clients may let it overtake the text: it is sent
		// after the text.
		if (sState.client == CLIENT_GTK) {
			HoldAfterHandingBack(keyval);
			return FALSE;
		}
		ibus_engine_forward_key_event(engine, keyval, keycode, state);
		return TRUE;
	}
	if (outcome.handedBack && sState.client == CLIENT_XIM) {
		// Text committed by earlier keys may still wait in the client:
		// the key goes after it, the way the text went.
		ibus_engine_forward_key_event(engine, keyval, keycode, state);
		return TRUE;
	}
	if (outcome.handedBack)
		HoldAfterHandingBack(keyval);
	return outcome.handedBack ? FALSE : TRUE;
}


void
FocusIn(IBusEngine* engine)
{
	if (sState.session == NULL)
		return;
	Release();
	sState.client = CLIENT_OTHER;
	sState.clientNamed = false;
	sState.typesKeys = false;
	sState.browser = false;
	sState.context.clear();
	sState.caretY = sState.holdCaretY = G_MININT;
	sState.commitsItself = false;
	sState.resetCommitted = false;
	Follow(engine);
	EnsureProperties();
	ibus_engine_register_properties(engine, sState.properties);
	ShowPalettes(engine, sState.session->Palettes(), true);
}


// Engines made with a focus id hear the client's name on focus in.
void
FocusInId(IBusEngine* engine, const gchar* path, const gchar* client)
{
	FocusIn(engine);
	sState.context = path != NULL ? path : "";
	sState.clientNamed = true;
	const std::string name = client != NULL ? client : "";
	if (name.compare(0, 7, "gtk3-im") == 0
		|| name.compare(0, 7, "gtk4-im") == 0)
		sState.client = CLIENT_GTK;
	else if (name.find("QIBus") != std::string::npos
		|| name.compare(0, 2, "Qt") == 0)
		sState.client = CLIENT_QT;
	else if (name == "xim")
		sState.client = CLIENT_XIM;
	sState.commitsItself = sState.client == CLIENT_QT
		|| name.find(":chrom") != std::string::npos;
	sState.browser = name.find(":firefox") != std::string::npos
		|| name.find(":chrom") != std::string::npos;
	sState.typesKeys = sState.client == CLIENT_GTK && !sState.browser;
	sState.resetCommitted = sState.client == CLIENT_QT
		|| name.find(":firefox") != std::string::npos;
	Trace("focus in from \"%s\"", name.c_str());
}


// The client or the daemon has put the composed text into the document
// already, as the preedit's mode told it, or dropped it when the mode said
// so: the method only stops composing.
void
FocusOut(IBusEngine* engine)
{
	if (sState.session == NULL)
		return;
	Trace("focus out");
	// What was held never reached the client, which put into the document
	// only what it had: the engine commits the rest.
	const bool held = !sState.held.empty();
	Release();
	if (sState.current == engine)
		Apply(engine, sState.session->Stop(held ? kEndToCommit
			: kEndCommitted));
}


void
FocusOutId(IBusEngine* engine, const gchar*)
{
	FocusOut(engine);
}


// On a reset GTK's module leaves the composed text to the engine, which
// commits it; romaji not yet kana stay composed (Reset()). Qt and Firefox
// have committed their copy of the preedit already: the composition ends
// as on focus out, romaji included, which that copy left out (they may
// tell no focus out when another window takes the focus, and the romaji
// would open the next composition: かんじゃ for ▽かんj then あ). Chromium
// has committed its copy too, the daemon the text for other clients. GTK
// programs (Firefox, GTK 4 text views) also reset when the caret moves
// because of text just committed, which reaches them only after the next
// keys have opened a new composition: a reset that soon after a commit is
// that echo, and leaves the composition alone.
void
Reset(IBusEngine* engine)
{
	if (sState.session == NULL)
		return;
	if (sState.holdSource != 0) {
		// The widget has taken the key handed back (text views reset on
		// Enter, Backspace and moves): the keys typed since go on.
		Trace("reset (the key handed back arrived)");
		Release();
		return;
	}
	const bool echo = sState.client == CLIENT_GTK
		&& g_get_monotonic_time() - sState.lastCommit < kCommitEcho;
	Trace("reset%s", echo ? " (echo)" : "");
	if (echo)
		return;
	Follow(engine);
	if (sState.resetCommitted)
		Apply(engine, sState.session->Stop(kEndCommitted));
	else {
		Apply(engine, sState.session->Reset(
			sState.client == CLIENT_GTK && !sState.commitsItself
				? kEndToCommit : kEndCommitted));
	}
}


void
Enable(IBusEngine* engine)
{
	if (sState.session == NULL)
		return;
	Release();
	Follow(engine);
	Apply(engine, sState.session->Activate(true));
}


void
Disable(IBusEngine* engine)
{
	if (sState.session == NULL)
		return;
	Release();
	if (sState.current != engine)
		return;
	Apply(engine, sState.session->Activate(false));
}


// GTK's module (programs and browsers) asks for keys answered in order
// (IBUS_CAP_SYNC_PROCESS_KEY), which no other client does; XIM offers no
// surrounding text.
void
SetCapabilities(IBusEngine* engine, guint capabilities)
{
	Trace("capabilities %#x%s", capabilities,
		sState.clientNamed ? "" : " (unnamed client)");
	if (sState.clientNamed || sState.current != engine)
		return;
	if ((capabilities & IBUS_CAP_SYNC_PROCESS_KEY) != 0)
		sState.client = CLIENT_GTK;
	else if ((capabilities & ~IBUS_CAP_PREEDIT_TEXT) == IBUS_CAP_FOCUS)
		sState.client = CLIENT_XIM;
}


// The caret's top is at `y`. If it went down a line while Enter was on its
// way, Enter has reached the text view (GTK 4's reset may have said so
// already).
void
CaretAt(gint y)
{
	sState.caretY = y;
	if (IsEnter(sState.holdKey) && sState.holdCaretY != G_MININT
		&& y > sState.holdCaretY) {
		Trace("the caret went down (Enter arrived)");
		sState.holdCaretY = G_MININT;
		EnterArrived();
		Release();
	}
}


void
SetCursorLocation(IBusEngine*, gint x, gint y, gint width, gint height)
{
	Trace("cursor %d,%d %dx%d", x, y, width, height);
	// A rectangle off the screen (GTK 4 sends one now and then while it
	// lays the window out) tells nothing of the caret.
	if (x >= 0 && y >= 0)
		CaretAt(y);
	if (sState.session != NULL)
		sState.session->SetCursorLocation(x, y, width, height);
}


void
CandidateClicked(IBusEngine* engine, guint index, guint, guint)
{
	if (sState.session == NULL)
		return;
	Release();
	Follow(engine);
	Apply(engine, sState.session->PickCandidate(index));
}


// The candidate window's page buttons act as the conversion's own keys.
void
TypeKey(IBusEngine* engine, char c)
{
	KeyStep step;
	if (sState.session == NULL
		|| !DesktopKeys::Translate(static_cast<unsigned char>(c), 0, step))
		return;
	Follow(engine);
	Release();
	Apply(engine, sState.session->HandleKey(step));
}


void
PageDown(IBusEngine* engine)
{
	if (sState.tableShown)
		TypeKey(engine, ' ');
}


void
PageUp(IBusEngine* engine)
{
	if (sState.tableShown)
		TypeKey(engine, 'x');
}


void
PropertyActivate(IBusEngine*, const gchar* name, guint)
{
	if (sState.session == NULL)
		return;
	if (name == NULL || strcmp(name, NuvimEngine::kHelpProperty) != 0)
		return;
	const std::string page = sState.session->HelpPage();
	if (page.empty())
		return;
	const gchar* arguments[] = {"xdg-open", page.c_str(), NULL};
	GError* error = NULL;
	if (!g_spawn_async(NULL, const_cast<gchar**>(arguments), NULL,
			G_SPAWN_SEARCH_PATH, NULL, NULL, NULL, &error)) {
		g_printerr("ibus-engine-nuvim: cannot open %s: %s\n", page.c_str(),
			error->message);
		g_error_free(error);
	}
}


void
Destroy(IBusObject* object)
{
	Release();
	if (sState.current == IBUS_ENGINE(object)) {
		g_object_remove_weak_pointer(G_OBJECT(object),
			reinterpret_cast<gpointer*>(&sState.current));
		sState.current = NULL;
	}
	IBUS_OBJECT_CLASS(nuvim_engine_object_parent_class)->destroy(object);
}


void
nuvim_engine_object_class_init(NuvimEngineObjectClass* klass)
{
	IBusEngineClass* engine = IBUS_ENGINE_CLASS(klass);
	engine->process_key_event = ProcessKeyEvent;
	engine->focus_in = FocusIn;
	engine->focus_out = FocusOut;
	engine->focus_in_id = FocusInId;
	engine->focus_out_id = FocusOutId;
	engine->reset = Reset;
	engine->enable = Enable;
	engine->disable = Disable;
	engine->set_cursor_location = SetCursorLocation;
	engine->set_capabilities = SetCapabilities;
	engine->candidate_clicked = CandidateClicked;
	engine->page_up = PageUp;
	engine->page_down = PageDown;
	engine->property_activate = PropertyActivate;
	IBUS_OBJECT_CLASS(klass)->destroy = Destroy;
}


void
nuvim_engine_object_init(NuvimEngineObject*)
{
}

}	// namespace


GType
NuvimEngine::Type()
{
	return nuvim_engine_object_get_type();
}


IBusEngine*
NuvimEngine::Create(IBusFactory* factory, const gchar* name)
{
	gchar* path = g_strdup_printf("/org/freedesktop/IBus/Engine/nuvim/%u",
		++sState.engineNumber);
	IBusEngine* engine = IBUS_ENGINE(g_object_new(Type(),
		"engine-name", name,
		"object-path", path,
		"connection", ibus_service_get_connection(IBUS_SERVICE(factory)),
		"has-focus-id", TRUE,
		NULL));
	g_free(path);
	return engine;
}


void
NuvimEngine::SetSession(MethodSession* session)
{
	sState.session = session;
}
