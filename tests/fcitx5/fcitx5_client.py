"""A D-Bus client of the fcitx5 daemon typing through the nuvim input method.

Run by fcitx5-session.sh on a private session bus with a daemon of its own.
One conversion and one commit, end to end: the composed text arrives as
formatted preedit, the confirmed text as a commit. Exit status 1 on the
first failure.
"""
import sys

import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

SERVICE = "org.fcitx.Fcitx5"
CAPABILITY_PREEDIT = 1 << 1
CAPABILITY_FORMATTED_PREEDIT = 1 << 4
SHIFT = 1 << 0
CONTROL = 1 << 2
WAIT = 20.0  # seconds; generous for a loaded machine


class Client:
    def __init__(self):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        reply = self.bus.call_sync(
            SERVICE, "/org/freedesktop/portal/inputmethod",
            "org.fcitx.Fcitx.InputMethod1",
            "CreateInputContext",
            GLib.Variant("(a(ss))", ([("program", "nuvim-test")],)),
            GLib.VariantType("(oay)"), Gio.DBusCallFlags.NONE, -1, None)
        self.path = reply.unpack()[0]
        self.events = []
        self.bus.signal_subscribe(
            SERVICE, "org.fcitx.Fcitx.InputContext1", None, self.path, None,
            Gio.DBusSignalFlags.NONE, self._signal)
        self.call("SetCapability", "(t)",
                  (CAPABILITY_PREEDIT | CAPABILITY_FORMATTED_PREEDIT,))
        self.call("FocusIn")

    def _signal(self, _bus, _sender, _path, _interface, name, parameters):
        values = parameters.unpack()
        if name == "CommitString":
            self.events.append(("commit", values[0]))
        elif name == "UpdateFormattedPreedit":
            self.events.append(("preedit", "".join(t for t, _f in values[0])))
        elif name == "ForwardKey":
            self.events.append(("forward", values[0]))

    def call(self, method, signature=None, values=None):
        return self.bus.call_sync(
            SERVICE, self.path, "org.fcitx.Fcitx.InputContext1", method,
            GLib.Variant(signature, values) if signature else None, None,
            Gio.DBusCallFlags.NONE, -1, None).unpack()

    def key(self, keyval, state=0):
        taken = self.call("ProcessKeyEvent", "(uuubu)",
                          (keyval, 0, state, False, 0))[0]
        self.call("ProcessKeyEvent", "(uuubu)", (keyval, 0, state, True, 0))
        return taken

    def type(self, text):
        for c in text:
            self.key(ord(c), SHIFT if c.isupper() else 0)

    def wait_for(self, event, what):
        context = GLib.MainContext.default()
        end = GLib.get_monotonic_time() + int(WAIT * 1e6)
        while event not in self.events:
            if GLib.get_monotonic_time() > end:
                sys.exit("FAILED: %s; received %r" % (what, self.events))
            context.iteration(False) or GLib.usleep(10000)
        print("ok: " + what)


def main():
    client = Client()
    client.type("Kanji")
    client.key(ord(" "))
    client.wait_for(("preedit", "▼漢字"), "the conversion is shown as preedit")
    client.key(ord("j"), CONTROL)
    client.wait_for(("commit", "漢字"), "control-J commits the conversion")
    client.type("nihongo")
    client.wait_for(("commit", "ご"), "kana are committed as typed")
    commits = "".join(v for k, v in client.events if k == "commit")
    if commits != "漢字にほんご":
        sys.exit("FAILED: committed %r" % commits)
    print("ok: committed %s" % commits)


if __name__ == "__main__":
    main()
