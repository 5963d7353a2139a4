"""A small text editor in one toolkit, for typing through IBus.

    desktop_app.py gtk3|gtk4|qt5|qt6 WORKDIR

Shows the window "nuvIM main" with the text field under test and a second
field. Writes the main field's whole text to WORKDIR/text whenever it
changes, and WORKDIR/ready once it takes commands from the FIFO
WORKDIR/commands, one a line: clear (empties the main field and focuses
it), other (focuses the second field), main (focuses the main field, caret
at the end), caret (GTK: writes the main field's caret, "x y width height"
in root window pixels, to WORKDIR/caret).
"""
import contextlib
import importlib
import os
import sys

TOOLKIT, WORK = sys.argv[1], sys.argv[2]
path = os.path.join(WORK, "commands")
if not os.path.exists(path):
    os.mkfifo(path)
commands = os.open(path, os.O_RDWR | os.O_NONBLOCK)


def write(name, text):
    path = os.path.join(WORK, name)
    with open(path + ".new", "w", encoding="utf-8") as out:
        out.write(text)
    os.replace(path + ".new", path)


def poll(act):
    """Carries out the commands written so far (a toolkit timer's work)."""
    with contextlib.suppress(BlockingIOError):
        for line in os.read(commands, 4096).decode().split():
            act(line)
    return True


def run_gtk(major):
    import gi
    gi.require_version("Gtk", "%d.0" % major)
    from gi.repository import GLib, Gtk  # noqa: E402

    Gtk.Settings.get_default().set_property("gtk-font-name", "IPAGothic 14")
    box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
    view, second = Gtk.TextView(vexpand=True), Gtk.Entry()
    main = Gtk.Window(title="nuvIM main", default_width=520,
                      default_height=200)
    (main.add if major == 3 else main.set_child)(box)
    for child in (view, second):
        (box.add if major == 3 else box.append)(child)
    buffer = view.get_buffer()

    def caret():
        mark = buffer.get_iter_at_mark(buffer.get_insert())
        rect = view.get_iter_location(mark)
        x, y = view.buffer_to_window_coords(Gtk.TextWindowType.TEXT,
                                            rect.x, rect.y)
        if major == 3:
            _, ox, oy = view.get_window(Gtk.TextWindowType.TEXT).get_origin()
            return "%d %d %d %d" % (ox + x, oy + y, rect.width, rect.height)
        # GTK 4 has no root coordinates: the caret relative to the window's
        # X window (its surface, shadow included); the driver adds where
        # the X window stands.
        text_x, text_y = view.translate_coordinates(main, 0, 0)
        sx, sy = main.get_native().get_surface_transform()
        return "surface %d %d %d %d" % (sx + text_x + x, sy + text_y + y,
                                        rect.width, rect.height)

    def act(command):
        if command == "clear":
            buffer.set_text("")
        if command == "other":
            second.grab_focus()
        else:
            view.grab_focus()
        if command == "main":
            buffer.place_cursor(buffer.get_end_iter())
        elif command == "caret":
            write("caret", caret())

    def save(_b=None):
        write("text", buffer.get_text(buffer.get_start_iter(),
                                      buffer.get_end_iter(), False))

    buffer.connect("changed", save)
    GLib.timeout_add(20, poll, act)
    main.show_all() if major == 3 else main.present()
    view.grab_focus()
    save()
    write("ready", "")
    GLib.MainLoop().run()


def run_qt(major):
    QtCore, QtGui, QtWidgets = (importlib.import_module(
        "PyQt%d.Qt%s" % (major, name)) for name in ("Core", "Gui", "Widgets"))

    app = QtWidgets.QApplication([sys.argv[0]])
    app.setFont(QtGui.QFont("IPAGothic", 14))
    main = QtWidgets.QWidget(windowTitle="nuvIM main")
    main.resize(520, 200)
    layout = QtWidgets.QVBoxLayout(main)
    view, second = QtWidgets.QTextEdit(), QtWidgets.QLineEdit()
    view.setAcceptRichText(False)
    layout.addWidget(view)
    layout.addWidget(second)

    def act(command):
        if command == "clear":
            view.clear()
        (second if command == "other" else view).setFocus()
        if command == "main":
            view.moveCursor(QtGui.QTextCursor.MoveOperation.End if major == 6
                            else QtGui.QTextCursor.End)

    view.textChanged.connect(lambda: write("text", view.toPlainText()))
    timer = QtCore.QTimer()
    timer.timeout.connect(lambda: poll(act))
    timer.start(20)
    main.show()
    view.setFocus()
    write("text", "")
    write("ready", "")
    (app.exec_ if major == 5 else app.exec)()


if __name__ == "__main__":
    if TOOLKIT not in ("gtk3", "gtk4", "qt5", "qt6"):
        sys.exit("unknown toolkit " + TOOLKIT)
    (run_gtk if TOOLKIT.startswith("gtk") else run_qt)(int(TOOLKIT[-1]))
