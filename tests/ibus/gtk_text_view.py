"""A GTK 3 window with one text view, for typing through IBus.

Writes the whole text of the view to argv[1] whenever it changes (and once
at start, to say it is ready).
"""
import sys

import gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402


def save(buffer, path):
    text = buffer.get_text(buffer.get_start_iter(), buffer.get_end_iter(),
                           False)
    with open(path + ".new", "w", encoding="utf-8") as out:
        out.write(text)
    import os
    os.replace(path + ".new", path)


def main():
    path = sys.argv[1]
    window = Gtk.Window(title="nuvIM test")
    window.set_default_size(560, 240)
    window.move(40, 40)
    view = Gtk.TextView()
    view.override_font(
        __import__("gi.repository.Pango", fromlist=["Pango"])
        .FontDescription("IPAGothic 18"))
    window.add(view)
    view.get_buffer().connect("changed", lambda b: save(b, path))
    window.connect("destroy", Gtk.main_quit)
    window.show_all()
    view.grab_focus()
    save(view.get_buffer(), path)
    Gtk.main()


if __name__ == "__main__":
    main()
