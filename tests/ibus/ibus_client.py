"""A client of ibus-daemon typing through the nuvim engine.

Run by ibus-session.sh inside a private session bus with a daemon of its
own; the first failure ends the run with status 1. Writes the word it
taught the method to argv[1], for the check of the user dictionary after
the daemon has gone.
"""
import sys
import time

import gi
gi.require_version("IBus", "1.0")
from gi.repository import GLib, IBus  # noqa: E402

MASK = IBus.ModifierType


class Client:
    def __init__(self):
        self.bus = IBus.Bus()
        if not self.bus.is_connected():
            sys.exit("cannot reach ibus-daemon")
        # The test plays the panel too, to click candidates as a person
        # would in the candidate window.
        self.bus.request_name(IBus.SERVICE_PANEL, 0)
        self.panel = IBus.PanelService.new(self.bus.get_connection())
        self.context = c = self.bus.create_input_context("nuvim-test")
        self.events = []
        self.properties = {}
        add = self.events.append
        c.connect("commit-text", lambda _c, t: add(("commit", t.get_text())))
        c.connect("update-preedit-text", self._preedit)
        c.connect("update-preedit-text-with-mode", self._preedit)
        c.connect("update-lookup-table", self._table)
        c.connect("hide-lookup-table", lambda _c: add(("table", None)))
        c.connect("update-auxiliary-text", lambda _c, t, v: add(
            ("aux", t.get_text() if v else None)))
        c.connect("hide-auxiliary-text", lambda _c: add(("aux", None)))
        c.connect("forward-key-event",
                  lambda _c, k, _kc, _s: add(("forward", k)))
        c.connect("register-properties", lambda _c, props: [
            self._property(props.get(i)) for i in range(64) if props.get(i)])
        c.connect("update-property", lambda _c, p: self._property(p))
        can = IBus.Capabilite
        c.set_capabilities(can.PREEDIT_TEXT | can.FOCUS | can.AUXILIARY_TEXT
                           | can.LOOKUP_TABLE | can.PROPERTY)
        c.focus_in()
        c.set_engine("nuvim")
        self.wait_for(lambda: self.properties.get("InputMode"),
                      "the engine registers its mode property")

    def _preedit(self, _c, text, cursor, visible, _mode=None):
        attrs = text.get_attributes()
        attributes = [(a.get_attr_type(), a.get_start_index(),
                       a.get_end_index()) for a in map(attrs.get, range(16))
                      if a is not None]
        self.events.append(("preedit", text.get_text() if visible else None,
                            cursor, attributes))

    def _table(self, _c, table, visible):
        n = range(table.get_number_of_candidates())
        self.events.append(("table", (
            [table.get_label(i).get_text() for i in n], table.get_page_size(),
            table.is_cursor_visible(), [table.get_candidate(i).get_text()
                                        for i in n]) if visible else None))

    def _property(self, p):
        self.properties[p.get_key()] = p.get_label().get_text()

    def pump(self):
        context = GLib.MainContext.default()
        end = time.monotonic() + 0.05
        while time.monotonic() < end:
            while context.pending():
                context.iteration(False)
            time.sleep(0.005)

    def wait_for(self, predicate, what):
        end = time.monotonic() + 10  # seconds: a loaded machine
        while time.monotonic() < end:
            self.pump()
            if predicate():
                return
        fail(what)

    def key(self, keyval, state=0):
        handled = self.context.process_key_event(keyval, 0, state)
        self.context.process_key_event(keyval, 0, state | MASK.RELEASE_MASK)
        self.pump()
        return handled

    def type(self, text):
        """Types `text`, each key taken; what it brought."""
        for ch in text:
            shifted = ch.isupper() or ch in '~!@#$%^&*()_+{}|:"<>?'
            if not self.key(ord(ch), MASK.SHIFT_MASK if shifted else 0):
                fail("the engine takes %r in kana mode" % ch)
        return self.take()

    def take(self):
        events = self.events[:]
        self.events.clear()
        return events

    def last(self, kind, events):
        found = [e for e in events if e[0] == kind]
        return found[-1] if found else None


def fail(what):
    sys.exit("FAILED: " + what)  # status 1


def check(condition, what, detail=None):
    if not condition:
        fail(what + ("" if detail is None else ": %r" % (detail,)))


def main():
    t = Client()

    # Commits and preedit: a reading, its conversion with the candidate
    # highlighted, and Enter that commits before the key goes on. The
    # preedit is without the method's marks, as it goes into the document
    # when the focus moves.
    preedit = t.last("preedit", t.type("Kanji"))
    check(preedit[1:3] == ("かんじ", 3),
          "the reading shows as preedit with the cursor at its end", preedit)
    preedit = t.last("preedit", t.type(" "))
    check(preedit[1:3] == ("漢字", 0)
          and (IBus.AttrType.UNDERLINE, 0, 2) in preedit[3]
          and (IBus.AttrType.BACKGROUND, 0, 2) in preedit[3],
          "space shows the first candidate, the cursor at its start, the"
          " clause underlined and the candidate highlighted", preedit)
    handled = t.key(IBus.KEY_Return)
    events = [e for e in t.take() if e[0] in ("preedit", "commit", "forward")]
    check(handled and events == [("preedit", None, 0, []), ("commit", "漢字"),
                                 ("forward", IBus.KEY_Return)],
          "Enter on a candidate hides the preedit, commits, then forwards"
          " Enter, and is taken", (handled, events))

    # Candidate pages in the lookup table, picked with the mouse.
    events = t.type("Kanji     ")
    table = t.last("table", events)[1]
    check(table is not None and table[:3] == (list("ASDFJKL"), 7, False),
          "after four candidates inline, space shows a page of seven"
          " labelled A-L", table)
    aux = t.last("aux", events)[1]
    check(aux is not None and aux.startswith("[残り ") and aux.endswith("]"),
          "the auxiliary text holds the remaining count", aux)
    picked = table[3][1]
    t.panel.candidate_clicked(1, 1, 0)
    t.wait_for(lambda: ("commit", picked) in t.events and ("table", None)
               in t.events, "a clicked candidate is committed, the table hid")
    t.take()
    # Learned: ibus-session.sh finds it in .nuv-jisyo once the bus exits.
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        out.write(picked)

    # Registration: a reading without candidates prompts in the auxiliary
    # text; cancelling it, then the conversion, leaves nothing behind.
    aux = t.last("aux", t.type("Nununu "))
    check(aux and (aux[1] or "").startswith("registering"),
          "a reading without candidates prompts for registration", aux)
    for _ in range(3):
        t.key(ord("g"), MASK.CONTROL_MASK)
    events = t.take()
    check(t.last("aux", events) == ("aux", None)
          and t.last("preedit", events)[1] is None,
          "cancelling the registration hides its prompt and the preedit",
          events)

    # Keys handed on: the engine gives back what it does not use (which
    # keys DesktopKeys leaves untranslated is DesktopKeysTest.cpp's).
    for keyval, state, what in (
            (IBus.KEY_Return, 0, "Enter with nothing composed"),
            (ord("x"), MASK.MOD1_MASK, "Alt-x"),
            (ord("a"), MASK.RELEASE_MASK, "a key release")):
        check(not t.context.process_key_event(keyval, 0, state),
              what + " goes to the application")
    t.pump()
    check(t.last("commit", t.take()) is None,
          "keys handed on commit nothing")

    # The mode property follows the mode; Latin mode hands keys on.
    t.type("l")
    t.wait_for(lambda: t.properties.get("InputMode") == "NUV",
               "l switches to Latin mode and the property says NUV")
    check(not t.context.process_key_event(ord("a"), 0, 0),
          "Latin mode hands letters to the application")
    t.key(ord("j"), MASK.CONTROL_MASK)
    t.wait_for(lambda: t.properties.get("InputMode") == "かな",
               "control-J returns to kana mode")
    # ibus-session.sh checks what it opened.
    t.context.property_activate("Help", IBus.PropState.UNCHECKED)

    # Romaji not yet kana stay out of the preedit, shown apart.
    events = t.type("Kanj")
    check(t.last("preedit", events)[1] == "かん"
          and t.last("aux", events)[1] == "j",
          "romaji pending after kana stay out of the preedit", events)

    # A GTK program (named so on focus in): a key handed back that types a
    # character is committed as that character, in order with the text
    # before it; GTK's module would queue the key behind later text.
    def gtk_context(name):
        context, got = t.bus.create_input_context(name), []
        context.connect("commit-text",
                        lambda _c, text: got.append(text.get_text()))
        context.set_capabilities(IBus.Capabilite.PREEDIT_TEXT
                                 | IBus.Capabilite.FOCUS | 1 << 7)
        context.focus_in()
        return context, got

    gtk, got = gtk_context("gtk3-im:nuvim-test")
    taken = [gtk.process_key_event(k, 0, 0) for k in (ord("a"), ord(" "))]
    t.wait_for(lambda: got == ["あ", " "] and taken == [True, True],
               "a blank after kana goes to a GTK program as text, in order")

    # A text view tells that Enter handed back has reached it (its caret
    # goes down a line); once it has, what keys do after Enter waits for
    # that however busy the client is (GTK 4 answers a whole burst before
    # Enter reaches the view), and a second Enter in that time goes in as a
    # line feed after their text. An entry tells nothing: its Enter goes
    # back as it came. (A stall of the machine ends the hold: three tries.)
    enter = IBus.KEY_Return
    for name, view in (("entry", False), ("view", True)):
        for attempt in range(3):
            gtk, got = gtk_context("gtk4-im:%s%d" % (name, attempt))
            gtk.set_cursor_location(0, 10, 1, 16)
            taken = [gtk.process_key_event(enter, 0, 0)]
            gtk.set_cursor_location(0, 10 + 20 * view, 1, 16)
            taken += [gtk.process_key_event(k, 0, 0)
                      for k in (enter, ord("a"), enter)]
            gtk.reset()
            t.pump()
            if taken == [False, False, True, view]:
                break
        t.wait_for(lambda: got == ["あ"] + ["\n"] * view
                   and taken == [False, False, True, view],
                   "%s: Enter at speed, then the text" % name)
    print("ok")


if __name__ == "__main__":
    main()
