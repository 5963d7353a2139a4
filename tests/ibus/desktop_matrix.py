"""The desktop matrix: every toolkit typed through the nuvim engine.

Run by ibus-session.sh (matrix) with its own X server, session bus and
ibus-daemon (XIM and the panel). Types each check (docs/desktop-matrix.md)
into each toolkit with xdotool and compares the exact document; a toolkit
not installed is skipped. Prints the matrix, exits 1 when a check failed.
"""
import contextlib
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD, WORK = sys.argv[1], sys.argv[2]
ONLY = sys.argv[3].split(",") if len(sys.argv) > 3 and sys.argv[3] else []
PYTHON = "/usr/bin/python3"
SETTINGS = os.path.join(HERE, "..", "..", "settings")

# Keys: text typed with xdotool (a blank is the space bar, a line feed
# Enter); ("key", NAME) presses one named key. A blank converts; the next
# letter confirms the candidate shown.
CORE = ["nihongo\n", "Kanji \n", "OoKi\n", "Kyou haTenki gaYoIdesu.\n",
        "Kou     ", "s\n"]     # the fifth blank opens a page; s picks
FAST = ["Watashi haNihongo woBenkyou shimasu.\n",
        "Ashita haAme gaFuru kamoshiremasen.\n",
        "kono Hon hatotemo Kantan desu.\n",
        "Densha deGakkou niikimasu.\n",
        "Tomodachi toEiga womimashita.\n"]
FOCUS = [("reading", ["Kanji"], "かんじ"), ("romaji", ["Kanj"], "かん"),
         ("conversion", ["Kanji "], "漢字"), ("page", ["Kanji     "], ""),
         ("registration", ["Zuzuzu ", "Nihon ", ("key", "ctrl+j")], "日本")]


def log(*what):
    print(*what, flush=True)


def run(*args, **kw):
    return subprocess.run(args, capture_output=True, text=True, **kw)


def type_keys(keys, delay):
    # xdotool's `type` gives a line feed no Return key: Return is pressed.
    for piece in keys:
        if isinstance(piece, tuple):
            run("xdotool", "key", "--delay", str(delay), piece[1])
            continue
        for n, line in enumerate(piece.split("\n")):
            if n > 0:
                run("xdotool", "key", "--delay", str(delay), "Return")
            if line:
                run("xdotool", "type", "--delay", str(delay), line)


class Oracle:
    """The text core and fast expect: what nuvim in batch mode makes of
    every key sent so far (the engine learns as it goes), less what it made
    before the check."""
    history = before = ""

    def expect(self, keys):
        for piece in keys:
            self.history += {"ctrl+j": "<C-j>"}[piece[1]] \
                if isinstance(piece, tuple) else \
                piece.replace("<", "<lt>").replace("\n", "<enter>")
        with tempfile.TemporaryDirectory(dir=WORK) as settings:
            shutil.copytree(SETTINGS, settings + "/s")
            result = run(os.path.join(BUILD, "bin", "nuvim"), "--settings",
                         settings + "/s", "--keys", self.history)
        if result.returncode != 0:
            raise RuntimeError("nuvim: " + result.stderr)
        after = result.stdout[:-1]  # its own final line feed
        assert after.startswith(self.before), (self.before, after)
        after, self.before = after[len(self.before):], after
        return after


def wait(predicate, limit, process=None):
    """Whether `predicate` came true within `limit` seconds (and while
    `process` ran)."""
    end = time.monotonic() + limit
    while not predicate():
        if time.monotonic() > end or process and process.poll() is not None:
            return False
        time.sleep(0.05)
    return True


def wait_text(target, expected, limit=12.0):
    if wait(lambda: target.text() == expected, limit):
        time.sleep(0.4)  # nothing late may follow
    text = target.text()
    return text == expected, text


def window_origin(window):
    values = dict(line.strip().split(":", 1)
                  for line in run("xwininfo", "-id", window).stdout
                  .splitlines() if ":" in line)
    return (int(values["Absolute upper-left X"]),
            int(values["Absolute upper-left Y"]), values)


class Target:
    """One program under test, which writes its main field's text to
    DIR/text: its text, its focus and its commands."""
    other_field = True  # the same window has a second field
    by_pid = True  # its window is found by its process and title

    def __init__(self, name, programs=()):
        self.name = name
        self.dir = os.path.join(WORK, name)
        self.process = None
        self.programs = programs
        os.makedirs(self.dir, exist_ok=True)

    def available(self):
        self.program = next(filter(shutil.which, self.programs), None)
        return None if self.program else self.programs[0] + " is not " \
            "installed"

    def text(self):
        with contextlib.suppress(FileNotFoundError), \
                open(self.dir + "/text", encoding="utf-8") as f:
            return f.read()

    def launch(self, args, env, ready):
        """Starts the program in a process group of its own, ended whole (a
        browser's helpers, xterm's shell); once DIR/`ready` exists, gives
        its window the focus."""
        self.process = subprocess.Popen(
            args, env=dict(os.environ, **env), stdout=subprocess.DEVNULL,
            stderr=open(self.dir + "/log", "w"), start_new_session=True)
        ready = os.path.join(self.dir, ready)
        if not wait(lambda: os.path.exists(ready), 60, self.process):
            raise RuntimeError("did not start: " + open(self.dir + "/log")
                               .read())
        pid = ["--pid", str(self.process.pid)] if self.by_pid else []
        self.window = run("xdotool", "search", "--sync", "--all",
                          "--onlyvisible", *pid, "--name", "^nuvIM main"
                          ).stdout.split()[-1]
        self.focus_main()
        time.sleep(1.0)

    def stop(self):
        for signal in (15, 9) if self.process else ():
            with contextlib.suppress(ProcessLookupError):
                os.killpg(self.process.pid, signal)
            with contextlib.suppress(subprocess.TimeoutExpired):
                return self.process.wait(10)

    def focus_main(self):
        run("xdotool", "windowfocus", "--sync", self.window)
        self.command("main")

    def clear(self):
        self.command("clear")
        wait_text(self, "", 5)


class ToolkitApp(Target):
    """desktop_app.py in one toolkit, told what to do through a FIFO."""

    def available(self):
        probe = "import gi; gi.require_version('Gtk', '%s.0')" \
            if self.name.startswith("gtk") else "import PyQt%s.QtWidgets"
        return None if run(PYTHON, "-c", probe % self.name[-1]).returncode \
            == 0 else "the Python bindings are not installed"

    def start(self):
        self.launch([PYTHON, os.path.join(HERE, "desktop_app.py"),
                     self.name, self.dir],
                    {"GTK_IM_MODULE": "ibus", "QT_IM_MODULE": "ibus"}, "ready")

    def command(self, line):
        with open(self.dir + "/commands", "w") as commands:
            commands.write(line + "\n")
        time.sleep(0.15)

    def caret(self):
        path = self.dir + "/caret"
        if os.path.exists(path):
            os.unlink(path)
        self.command("caret")
        wait(lambda: os.path.exists(path), 5)
        values = open(path).read().split()
        if values[0] == "surface":  # relative to the X window (GTK 4)
            x, y, _ = window_origin(self.window)
            values = [int(values[1]) + x, int(values[2]) + y] + values[3:]
        return [int(v) for v in values]


class Xterm(Target):
    """xterm through XIM, appending what it gets to DIR/text."""
    other_field = False

    def start(self):
        self.clear()
        self.launch(["xterm", "-title", "nuvIM main", "-fa", "IPAGothic",
                     "-fs", "14", "-xrm", "XTerm*preeditType: Root", "-e",
                     "sh", "-c", 'stty -icanon -echo; exec cat >> "$0"',
                     self.dir + "/text"],
                    {"XMODIFIERS": "@im=ibus", "LC_ALL": "C.UTF-8"}, "text")

    def command(self, line):
        pass

    def clear(self):
        open(self.dir + "/text", "w").close()


# The page posts its text to the matrix's own local server (written to
# DIR/text) when it changes, and takes its commands from clicks: the field
# at its foot is the other field; a click in the text area's lower right
# puts the caret at the end of the text.
PAGE = """<!DOCTYPE html><html><head><meta charset="utf-8">
<title>nuvIM main</title></head><body>
<textarea id="m" style="position: fixed; top: 0; left: 0; width: 100%;
 bottom: 60px; font: 18px IPAGothic"></textarea>
<input style="position: fixed; left: 0; bottom: 0; height: 40px">
<script>
const m = document.getElementById('m');
let last = null;
setInterval(() => {
  if (m.value !== last)
    fetch('/text', {method: 'POST', body: last = m.value});
}, 50);
m.focus();
</script></body></html>"""


class Browser(Target):
    """A browser on PAGE, served by a local server that takes the text."""
    by_pid = False  # its window is found by its title alone
    server = None

    def serve(self):
        path = self.dir + "/text"

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.end_headers()
                self.wfile.write(PAGE.encode())

            def do_POST(self):
                # Replaced whole, so that a reader never sees half of it;
                # one request at a time keeps the last posted text last.
                data = self.rfile.read(int(self.headers["Content-Length"]))
                with open(path + ".new", "wb") as out:
                    out.write(data)
                os.replace(path + ".new", path)
                self.send_response(200)
                self.end_headers()

        self.server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=self.server.serve_forever,
                         daemon=True).start()
        return "http://127.0.0.1:%d/" % self.server.server_address[1]

    def start(self):
        profile = self.dir + "/profile"
        os.makedirs(profile, exist_ok=True)
        url = self.serve()
        env = {"GTK_IM_MODULE": "ibus"}
        if self.name == "firefox":
            prefs = dict.fromkeys((
                "browser.shell.checkDefaultBrowser", "app.update.enabled",
                "datareporting.policy.dataSubmissionEnabled",
                "browser.aboutwelcome.enabled",
                "toolkit.telemetry.reportingpolicy.firstRun"), "false")
            prefs["browser.startup.homepage_override.mstone"] = '"ignore"'
            with open(profile + "/user.js", "w") as f:
                f.writelines('user_pref("%s", %s);\n' % p
                             for p in prefs.items())
            args = ["--no-remote", "--new-instance", "--profile", profile,
                    "--width", "700", "--height", "400", url]
            env["MOZ_DISABLE_CONTENT_SANDBOX"] = "1"
        else:
            args = ["--no-sandbox", "--disable-gpu", "--no-first-run",
                    "--disable-background-networking", "--disable-sync",
                    "--disable-component-update", "--password-store=basic",
                    "--user-data-dir=" + profile, "--window-size=700,400",
                    "--app=" + url]
        # The page posts its first (empty) text once it has loaded.
        self.launch([self.program] + args, env, "text")

    def stop(self):
        if self.server:
            self.server.shutdown()
        super().stop()

    def command(self, line):
        # Clicks within the window: the other field at its foot; the text
        # area's lower right (caret at the end). Clear selects all and
        # deletes, keys the method hands back with nothing composed.
        height = int(window_origin(self.window)[2]["Height"])
        y = height - 20 if line == "other" else height - 90
        run("xdotool", "mousemove", "--window", self.window, "100" if
            line == "other" else "600", str(y), "click", "1")
        if line == "clear":
            run("xdotool", "key", "ctrl+a", "BackSpace")
        time.sleep(0.2)


def candidate_window():
    """The panel's candidate window: (x, y, width, height), or None."""
    shown = None
    for line in run("xwininfo", "-root", "-tree").stdout.splitlines():
        if '"ibus-ui-gtk3"' in line and "(has no name)" not in line:
            x, y, values = window_origin(line.split()[0])
            width, height = int(values["Width"]), int(values["Height"])
            if height >= 40 and width >= 60 and \
                    values["Map State"].strip() == "IsViewable":
                shown = (x, y, width, height)
    return shown


def check_typed(target, oracle, keys, delay):
    target.clear()
    expected = oracle.expect(keys)
    type_keys(keys, delay)
    ok, text = wait_text(target, expected)
    wrong = [i for i, (a, b) in enumerate(zip(
        (text or "").split("\n"), expected.split("\n"))) if a != b]
    return ok, "lines %s differ: %r, expected %r" % (wrong, text, expected)


def check_focus(target, oracle, index):
    failures = []
    root = run("xwininfo", "-root").stdout.split("Window id:")[1].split()
    for n, (what, keys, shown) in enumerate(FOCUS):
        target.clear()
        time.sleep(0.2)
        type_keys(keys, 60)
        time.sleep(0.5)
        # The same window's other field, or (every other case, and where
        # there is none) another window.
        if target.other_field and n % 2 == 0:
            target.command("other")
            how = "other field"
        else:
            run("xdotool", "windowfocus", "--sync", root[0])
            how = "other window"
        time.sleep(0.6)
        target.focus_main()
        time.sleep(1.0)
        type_keys(["a"], 30)  # typing goes on afresh
        ok, text = wait_text(target, shown + "あ", 6)
        if not ok:
            failures.append("%s (%s): %r, expected %r" % (
                what, how, text, shown + "あ"))
    return not failures, "; ".join(failures)


def check_caret(target, oracle, index):
    target.clear()
    # A longer candidate list first, then a shorter reading at the same
    # caret: the window must follow the caret, not the size.
    type_keys(["niho\nnihongo "], 30)
    time.sleep(0.3)
    type_keys(["Kou     "], 60)
    wait(lambda: candidate_window() is not None, 8)
    window = candidate_window()
    caret = target.caret()
    if window and target.name == "gtk3" and shutil.which("import") and \
            os.environ.get("NUV_MATRIX_PICTURE"):
        time.sleep(1)  # the window's first drawing
        run("import", "-window", "root", "-crop", "600x300+%d+%d" % (
            max(0, caret[0] - 40), max(0, caret[1] - 100)), "+repage",
            os.environ["NUV_MATRIX_PICTURE"])
    run("xdotool", "key", "Escape", "Escape", "Escape", "Escape")
    if window is None:
        return False, "no candidate window shown"
    (x, y, w, h), (cx, cy, _, ch) = window, caret
    # Under the caret: its top at the caret's bottom (give or take the
    # panel's margin), its left edge near the caret's x.
    ok = abs(x - cx) <= 40 and 0 <= y - (cy + ch) <= 40
    return ok, "window at %d,%d (%dx%d), caret %d,%d h %d" % (
        x, y, w, h, cx, cy, ch)


# Cells that fail for reasons in the client, not in the engine: Chromium's
# late delivery lets a key handed back land after text typed later, Firefox
# drops one now and then, GTK 4 on X11 sends the window's height as the
# caret's (each explained in docs/desktop-matrix.md). Reported, not counted
# as failures. GTK 3 comes first: the engine meets it before the daemon
# names clients to it.
KNOWN = {("gtk4", "caret"), ("chromium", "fast"), ("firefox", "core"),
         ("firefox", "fast")}
# Core ends on a registration under a reading of its own in each toolkit,
# so that no toolkit finds the word an earlier one registered.
CHECKS = [("core", lambda target, oracle, index: check_typed(
              target, oracle, CORE + ["Nu" + "nu" * (index + 2) + " ",
                                      "Nihon ", ("key", "ctrl+j"), "\n"], 60)),
          ("fast", lambda target, oracle, index: check_typed(
              target, oracle, FAST, 1)),
          ("focus", check_focus), ("caret", check_caret)]


def main():
    targets = [ToolkitApp("gtk3"), ToolkitApp("gtk4"), ToolkitApp("qt5"),
               ToolkitApp("qt6"), Xterm("xterm", ["xterm"]),
               Browser("firefox", ["firefox-esr", "firefox"]),
               Browser("chromium", ["chromium", "chromium-browser"])]
    oracle, results, failed = Oracle(), {}, False
    for index, target in enumerate(targets):
        why = target.available()
        if why:
            log("SKIP %s: %s" % (target.name, why))
        if ONLY and target.name not in ONLY or why:
            continue
        started = time.monotonic()
        try:
            target.start()
            # The engine can be set once a client has the focus.
            if not wait(lambda: run("ibus", "engine", "nuvim") and run(
                    "ibus", "engine").stdout.strip() == "nuvim", 20):
                raise RuntimeError("the engine nuvim cannot be set")
        except Exception as error:  # noqa: BLE001 - reported as a failure
            log("FAILED %s: %s" % (target.name, error))
            target.stop()
            failed = True
            continue
        for name, check in CHECKS:
            if name == "caret" and target.name not in ("gtk3", "gtk4"):
                continue
            known = (target.name, name) in KNOWN
            # Typing under a loaded machine may miss a focus change: a
            # failed focus or caret check is tried once more, and both
            # tries are reported.
            for attempt in (1, 2):
                try:
                    ok, detail = check(target, oracle, index)
                except Exception as error:  # noqa: BLE001
                    ok, detail = False, "error: %r" % (error,)
                if ok or known or name in ("core", "fast") or attempt > 1:
                    break
                log("retry %s %s: %s" % (target.name, name, detail))
            results[(target.name, name)] = "ok" if ok else \
                "known" if known else "FAIL"
            log("ok %s %s%s" % (target.name, name, " (known to fail: passes"
                                " now)" if known else "") if ok else
                "%s %s %s: %s" % ("KNOWN" if known else "FAILED",
                                  target.name, name, detail))
            failed |= not ok and not known
        target.stop()
        log("   %s took %.1f s" % (target.name, time.monotonic() - started))

    log("\n%-9s" % "" + "".join("%-7s" % c for c, _ in CHECKS))
    for name in dict.fromkeys(k[0] for k in results):
        log("%-9s" % name + "".join("%-7s" % results.get((name, c), "-")
                                    for c, _ in CHECKS))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
