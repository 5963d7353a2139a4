#include "NuvimEngine.h"

#include <cstring>
#include <string>

#include <ibus.h>

#include "DesktopKeys.h"
#include "MethodSession.h"
#include "NuvContract.h"


const char* const NuvimEngine::kModeProperty = "InputMode";
const char* const NuvimEngine::kHelpProperty = "Help";


namespace {

// How often a method that had not settled within a key's wait is looked at.
const guint kPollMilliseconds = 20;
// The candidate on offer in the preedit: white on blue.
const guint kHighlightForeground = 0xFFFFFF;
const guint kHighlightBackground = 0x3465A4;

struct EngineState {
	MethodSession*		session = NULL;
	// The engine that receives what the method does.
	IBusEngine*			current = NULL;
	PaletteState		shown;
	bool				tableShown = false;
	IBusPropList*		properties = NULL;
	IBusProperty*		modeProperty = NULL;
	guint				pollSource = 0;
};

EngineState sState;


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

	std::string auxiliary;
	for (const std::string& prompt : palettes.prompts)
		auxiliary += (auxiliary.empty() ? "" : "  ") + prompt;
	if (palettes.candidatesShown) {
		// The remaining count as the page shows it: a page of nothing.
		auxiliary += (auxiliary.empty() ? "" : "  ")
			+ NuvCandidatePage::Format(std::vector<std::string>(),
				palettes.remaining, NuvCandidatePage::UTF_8);
	}
	if (!auxiliary.empty()) {
		ibus_engine_update_auxiliary_text(engine,
			ibus_text_new_from_string(auxiliary.c_str()), TRUE);
	} else
		ibus_engine_hide_auxiliary_text(engine);

	sState.shown = palettes;
}


// Shows what the method did, in its order, then the palettes as they are.
void
Apply(IBusEngine* engine, const KeyOutcome& outcome)
{
	for (const SessionAction& action : outcome.actions) {
		switch (action.kind) {
			case SessionAction::COMMIT:
				ibus_engine_commit_text(engine,
					ibus_text_new_from_string(action.text.c_str()));
				break;
			case SessionAction::PREEDIT:
				if (action.preedit.visible) {
					ibus_engine_update_preedit_text_with_mode(engine,
						MakePreeditText(action.preedit),
						action.preedit.cursor, TRUE,
						IBUS_ENGINE_PREEDIT_CLEAR);
				} else {
					ibus_engine_update_preedit_text_with_mode(engine,
						ibus_text_new_from_string(""), 0, FALSE,
						IBUS_ENGINE_PREEDIT_CLEAR);
				}
				break;
		}
	}
	ShowPalettes(engine, sState.session->Palettes(), false);
}


gboolean
PollPending(gpointer)
{
	if (sState.session == NULL || !sState.session->HasPendingWork()) {
		sState.pollSource = 0;
		return G_SOURCE_REMOVE;
	}
	const KeyOutcome outcome = sState.session->Poll();
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
	if (sState.current != NULL) {
		Apply(sState.current, sState.session->Stop());
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


gboolean
ProcessKeyEvent(IBusEngine* engine, guint keyval, guint keycode, guint state)
{
	KeyStep step;
	if (sState.session == NULL || !DesktopKeys::Translate(keyval, state, step))
		return FALSE;
	Follow(engine);
	const KeyOutcome outcome = sState.session->HandleKey(step);
	Apply(engine, outcome);
	WatchPending();
	if (outcome.forward) {
		// Committed text and the same key: the key is sent after the text
		// so that it cannot overtake it.
		ibus_engine_forward_key_event(engine, keyval, keycode, state);
		return TRUE;
	}
	return outcome.handedBack ? FALSE : TRUE;
}


void
FocusIn(IBusEngine* engine)
{
	if (sState.session == NULL)
		return;
	Follow(engine);
	EnsureProperties();
	ibus_engine_register_properties(engine, sState.properties);
	ShowPalettes(engine, sState.session->Palettes(), true);
}


void
FocusOut(IBusEngine* engine)
{
	if (sState.session == NULL)
		return;
	if (sState.current == engine)
		Apply(engine, sState.session->Stop());
}


void
Reset(IBusEngine* engine)
{
	if (sState.session == NULL)
		return;
	Follow(engine);
	Apply(engine, sState.session->Stop());
}


void
Enable(IBusEngine* engine)
{
	if (sState.session == NULL)
		return;
	Follow(engine);
	Apply(engine, sState.session->Activate(true));
}


void
Disable(IBusEngine* engine)
{
	if (sState.session == NULL)
		return;
	if (sState.current != engine)
		return;
	Apply(engine, sState.session->Activate(false));
}


void
SetCursorLocation(IBusEngine*, gint x, gint y, gint width, gint height)
{
	if (sState.session != NULL)
		sState.session->SetCursorLocation(x, y, width, height);
}


void
CandidateClicked(IBusEngine* engine, guint index, guint, guint)
{
	if (sState.session == NULL)
		return;
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
	engine->reset = Reset;
	engine->enable = Enable;
	engine->disable = Disable;
	engine->set_cursor_location = SetCursorLocation;
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


void
NuvimEngine::SetSession(MethodSession* session)
{
	sState.session = session;
}
