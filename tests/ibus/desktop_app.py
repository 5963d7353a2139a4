"""A small text editor in one toolkit, for typing through IBus.

    desktop_app.py gtk3|gtk4|qt5|qt6 WORKDIR

Shows the window "nuvIM main" with the text field under test and a second
field, and the window "nuvIM other" with a field of its own (somewhere for
the focus to go). Writes the main field's whole text to WORKDIR/text
whenever it changes, and WORKDIR/ready once it takes commands. Reads one
command a line from the FIFO WORKDIR/commands:

    clear   empties the main field and gives it the focus
    other   gives the focus to the second field of the same window
    main    gives the focus back to the main field, caret at the end
    caret   writes the main field's caret rectangle, "x y width height" in
            root window pixels, to WORKDIR/caret
"""
import os
import sys

TOOLKIT = sys.argv[1]
WORK = sys.argv[2]
FONT = "IPAGothic"


def write(name, text):
    path = os.path.join(WORK, name)
    with open(path + ".new", "w", encoding="utf-8") as out:
        out.write(text)
    os.replace(path + ".new", path)


class Commands:
    """Non-blocking reads of the command FIFO, polled by a toolkit timer."""

    def __init__(self):
        path = os.path.join(WORK, "commands")
        if not os.path.exists(path):
            os.mkfifo(path)
        self.fd = os.open(path, os.O_RDWR | os.O_NONBLOCK)
        self.pending = b""

    def take(self):
        try:
            self.pending += os.read(self.fd, 4096)
        except BlockingIOError:
            pass
        lines = self.pending.split(b"\n")
        self.pending = lines.pop()
        return [line.decode().strip() for line in lines if line.strip()]


def run_gtk(major):
    import gi
    gi.require_version("Gtk", "%d.0" % major)
    gi.require_version("Pango", "1.0")
    from gi.repository import GLib, Gtk, Pango  # noqa: E402

    css = Gtk.CssProvider()
    data = b"textview, entry { font: 18px %s; }" % FONT.encode()
    if major == 3:
        css.load_from_data(data)
        from gi.repository import Gdk
        Gtk.StyleContext.add_provider_for_screen(
            Gdk.Screen.get_default(), css, 800)
    else:
        css.load_from_data(data)
        from gi.repository import Gdk
        Gtk.StyleContext.add_provider_for_display(
            Gdk.Display.get_default(), css, 800)

    def window(title, child):
        w = Gtk.Window(title=title)
        w.set_default_size(520, 200)
        if major == 3:
            w.add(child)
            w.connect("destroy", Gtk.main_quit)
        else:
            w.set_child(child)
        return w

    box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
    view = Gtk.TextView()
    view.set_vexpand(True)
    second = Gtk.Entry()
    if major == 3:
        box.pack_start(view, True, True, 0)
        box.pack_start(second, False, False, 0)
    else:
        box.append(view)
        box.append(second)
    main = window("nuvIM main", box)
    other = window("nuvIM other", Gtk.Entry())
    buffer = view.get_buffer()

    def save(_b=None):
        write("text", buffer.get_text(buffer.get_start_iter(),
                                      buffer.get_end_iter(), False))

    def caret():
        mark = buffer.get_iter_at_mark(buffer.get_insert())
        rect = view.get_iter_location(mark)
        x, y = view.buffer_to_window_coords(Gtk.TextWindowType.TEXT,
                                            rect.x, rect.y)
        if major == 3:
            _, ox, oy = view.get_window(Gtk.TextWindowType.TEXT).get_origin()
            return (ox + x, oy + y, rect.width, rect.height)
        # GTK 4 has no root coordinates: the caret relative to the window's
        # X window (its surface, shadow included); the driver adds where
        # the X window stands.
        text_x, text_y = view.translate_coordinates(main, 0, 0)
        sx, sy = main.get_native().get_surface_transform()
        return ("surface", int(sx + text_x + x), int(sy + text_y + y),
                rect.width, rect.height)

    commands = Commands()

    def poll():
        for command in commands.take():
            if command == "clear":
                buffer.set_text("")
                view.grab_focus()
            elif command == "other":
                second.grab_focus()
            elif command == "main":
                view.grab_focus()
                buffer.place_cursor(buffer.get_end_iter())
            elif command == "caret":
                write("caret", " ".join(str(int(v)) if not isinstance(v, str)
                                        else v for v in caret()) + "\n")
        return True

    buffer.connect("changed", save)
    GLib.timeout_add(20, poll)
    if major == 3:
        other.show_all()
        main.show_all()
    else:
        other.present()
        main.present()
    view.grab_focus()
    save()
    write("ready", "")
    if major == 3:
        Gtk.main()
    else:
        loop = GLib.MainLoop()
        main.connect("close-request", lambda _w: loop.quit() or False)
        loop.run()


def run_qt(major):
    if major == 5:
        from PyQt5 import QtCore, QtGui, QtWidgets
    else:
        from PyQt6 import QtCore, QtGui, QtWidgets

    app = QtWidgets.QApplication([sys.argv[0]])
    app.setFont(QtGui.QFont(FONT, 14))
    main = QtWidgets.QWidget()
    main.setWindowTitle("nuvIM main")
    main.resize(520, 200)
    layout = QtWidgets.QVBoxLayout(main)
    view = QtWidgets.QTextEdit()
    view.setAcceptRichText(False)
    second = QtWidgets.QLineEdit()
    layout.addWidget(view)
    layout.addWidget(second)
    other = QtWidgets.QLineEdit()
    other.setWindowTitle("nuvIM other")
    other.resize(300, 40)

    def save():
        write("text", view.toPlainText())

    commands = Commands()

    def poll():
        for command in commands.take():
            if command == "clear":
                view.clear()
                view.setFocus()
            elif command == "other":
                second.setFocus()
            elif command == "main":
                view.setFocus()
                view.moveCursor(QtGui.QTextCursor.MoveOperation.End
                                if major == 6 else QtGui.QTextCursor.End)
            elif command == "caret":
                rect = view.cursorRect()
                origin = view.viewport().mapToGlobal(rect.topLeft())
                write("caret", "%d %d %d %d\n" % (origin.x(), origin.y(),
                                                  rect.width(), rect.height()))

    view.textChanged.connect(save)
    timer = QtCore.QTimer()
    timer.timeout.connect(poll)
    timer.start(20)
    other.show()
    main.show()
    view.setFocus()
    save()
    write("ready", "")
    app.exec() if major == 6 else app.exec_()


if __name__ == "__main__":
    if TOOLKIT in ("gtk3", "gtk4"):
        run_gtk(int(TOOLKIT[3]))
    elif TOOLKIT in ("qt5", "qt6"):
        run_qt(int(TOOLKIT[2]))
    else:
        sys.exit("unknown toolkit " + TOOLKIT)
