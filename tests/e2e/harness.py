"""Helpers for the end-to-end tests: the program runs under Wine on an X
display and is driven from outside as a user would, with xdotool; what is
on the screen is read back with probe.exe (tests/e2e/probe.cpp) and xwd.

A run has one Session (display, Wine prefix, probe); each test gets a Case,
which starts the program in its own fresh folder and cleans up after it.
Standard library only.
"""
import fcntl
import os
import queue
import shutil
import subprocess
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
E2E_BUILD = ROOT / "build" / "e2e"
WORK = E2E_BUILD / "work"
SHOTS = E2E_BUILD / "shots"
PROBE_EXE = E2E_BUILD / "probe.exe"
WINE64 = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
# The project's one way to start a Windows program under Wine, 32-bit or
# 64-bit (tools/wine_env.sh tells the routes): wine_command() below.
WINE_RUN = ROOT / "tools" / "wine_run.sh"

sys.path.insert(0, str(ROOT / "tools"))
import screenshot  # noqa: E402  (tools/screenshot.py)

MAIN_CLASS = "KestrovaClass"
MESSAGE_BOX_CLASS = "#32770"

# Waits are generous: the tests must hold on a busy two-core machine, and a
# wait ends as soon as its condition holds.
WAIT = 15.0


class Failure(AssertionError):
    """A check that did not hold; the message says what was seen."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def expect_equal(got, expected, what):
    if got != expected:
        raise Failure(f"{what}: got {got!r}, expected {expected!r}")


def wait_until(what, fetch, accept, timeout=WAIT, interval=0.05):
    """Calls fetch() until accept(value) holds and returns that value; on
    timeout fails, naming the last value seen."""
    deadline = time.monotonic() + timeout
    while True:
        value = fetch()
        if accept(value):
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:g} s waiting for {what}; last seen: {value!r}")
        time.sleep(interval)


def wine_command(program, *args):
    """The command that starts a Windows program (32-bit or 64-bit) under
    Wine with these arguments. Run it with Session.wine_env(): the process
    started is the program itself (signals and the exit code are its)."""
    # LC_ALL (code page 936) is the runner's to give to Wine alone: bash
    # would only warn that the host lacks the locale.
    return ["env", "-u", "LC_ALL", str(WINE_RUN), str(program), *[str(a) for a in args]]


def wine_route(image):
    """How an image would run here: (True, "wine64" / "native" / "qemu"),
    or (False, the reason it cannot)."""
    run = subprocess.run([str(WINE_RUN), "--route", str(image)], capture_output=True, text=True, timeout=120)
    answer = (run.stdout.strip().splitlines() or [run.stderr.strip() or f"exit code {run.returncode}"])[-1]
    if run.returncode == 0:
        return True, answer
    return False, answer[len("none: "):] if answer.startswith("none: ") else answer


def decode_text(hex_text):
    """The bytes of a probe text field (hex, or "-" for none)."""
    return b"" if hex_text == "-" else bytes.fromhex(hex_text)


def gbk(data):
    return data.decode("gbk", errors="replace")


# --- what probe.exe reports ----------------------------------------------

def _fields(line):
    kind, _, rest = line.partition(" ")
    fields = {}
    for word in rest.split():
        key, _, value = word.partition("=")
        fields[key] = value
    return kind, fields


def _rect(text):
    return tuple(int(v) for v in text.split(","))


class Window:
    """A window as probe.exe saw it. Rectangles are (left, top, right,
    bottom) in screen coordinates; text is decoded from code page 936 and
    text_bytes holds the raw bytes."""

    def __init__(self, fields):
        self.hwnd = int(fields["hwnd"], 16)
        self.parent = int(fields.get("parent", "0"), 16)
        self.owner = int(fields.get("owner", "0"), 16)
        self.visible = fields["visible"] == "1"
        self.enabled = fields["enabled"] == "1"
        self.cls = gbk(decode_text(fields["class"]))
        self.text_bytes = decode_text(fields.get("caption", fields.get("text", "-")))
        self.text = gbk(self.text_bytes)
        self.rect = _rect(fields["rect"])
        self.client = _rect(fields["client"]) if "client" in fields else None
        self.style = int(fields["style"], 16)
        self.exstyle = int(fields["exstyle"], 16)
        self.id = int(fields.get("id", "0"))
        self.pid = int(fields.get("pid", "0"))
        self.exe = gbk(decode_text(fields.get("exe", "-")))

    @property
    def width(self):
        return self.rect[2] - self.rect[0]

    @property
    def height(self):
        return self.rect[3] - self.rect[1]

    def __repr__(self):
        return (f"<{self.cls} {self.hwnd:#x} {self.text!r} rect={self.rect} visible={self.visible} "
                f"owner={self.owner:#x}>")


class Probe:
    """probe.exe kept running in its "serve" mode: one command a line."""

    def __init__(self, env):
        self.env = env
        self.proc = None
        self.lines = None

    def _start(self):
        self.proc = subprocess.Popen(wine_command(PROBE_EXE, "serve"), stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=self.env,
                                     cwd=str(E2E_BUILD), text=True, encoding="ascii", errors="replace")
        self.lines = queue.Queue()
        threading.Thread(target=self._read, args=(self.proc, self.lines), daemon=True).start()

    @staticmethod
    def _read(proc, lines):
        for line in proc.stdout:
            lines.put(line.rstrip("\r\n"))
        lines.put(None)

    def ask(self, command, timeout=30.0):
        """The answer lines to a command (without the closing "end")."""
        if self.proc is None or self.proc.poll() is not None:
            self._start()
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        answer = []
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.1, deadline - time.monotonic()))
            except queue.Empty:
                self.close()
                raise Failure(f"probe.exe did not answer {command!r} within {timeout:g} s") from None
            if line is None:
                self.proc = None
                raise Failure(f"probe.exe ended while answering {command!r}")
            if line == "end":
                break
            answer.append(line)
        if answer and answer[0].startswith("error"):
            raise Failure(f"probe.exe: {answer[0]} ({command!r})")
        return answer

    def windows(self):
        return [Window(_fields(line)[1]) for line in self.ask("list") if line.startswith("window ")]

    def children(self, hwnd):
        return [Window(_fields(line)[1]) for line in self.ask(f"children {hwnd:x}") if line.startswith("child ")]

    def metrics(self):
        (line,) = self.ask("metrics")
        return {key: int(value) for key, value in _fields(line)[1].items()}

    def cursor(self):
        (line,) = self.ask("cursor")
        fields = _fields(line)[1]
        return int(fields["x"]), int(fields["y"])

    def focus(self):
        (line,) = self.ask("focus")
        return {key: int(value, 16) for key, value in _fields(line)[1].items()}

    def close(self):
        if self.proc is None:
            return
        try:
            self.proc.stdin.close()
            self.proc.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait()
        self.proc = None


# --- user input, from outside --------------------------------------------

def xdotool(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], check=True, timeout=30)


def move(x, y):
    xdotool("mousemove", x, y)


def click(x, y, button=1):
    """A click another Wine process notices: it sees a button only if it is
    held for a while, so the button stays down for 0.1 s."""
    move(x, y)
    xdotool("mousedown", button)
    time.sleep(0.1)
    xdotool("mouseup", button)


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def take_keyboard(probe, window, spot, control=None, click_first=True, alive=None, tries=3):
    """Gets the keyboard into the window (into its control, when given) as a
    user would: a click on the spot (where a click does nothing but take the
    focus: a file-name box, a box's text, a caption bar), then a wait until
    Wine's foreground window is the window (and its focus the control); when
    that does not come, clicks again. Wine hands keys to its foreground
    window's focus whichever of its X windows holds the X focus (a dialog
    opened under the topmost main window gets them while the X focus stays
    on that window), so the X focus is not waited for."""
    def seen():
        if alive:
            alive()
        focus = probe.focus()
        return focus["foreground"], focus["focus"]

    for attempt in range(tries):
        if attempt or click_first:
            click(*spot)
        try:
            return wait_until(f"the keyboard in {window}" + (f", in its control {control:#x}" if control else "")
                              + f" (Wine's foreground and focus windows; try {attempt + 1} of {tries}, clicking "
                              f"at {spot})", seen,
                              lambda s: s[0] == window.hwnd and control in (None, s[1]))
        except Failure:
            if attempt == tries - 1:
                raise


def key(name):
    """Presses and releases a key (an X keysym name such as Return) in the
    window with the keyboard (see take_keyboard)."""
    xdotool("keydown", name)
    time.sleep(0.1)
    xdotool("keyup", name)


# --- the run: display, prefix, probe -------------------------------------

def lock_checkout(timeout=1200.0):
    """Holds build/e2e/run.lock until it is closed: runs in the same
    checkout share the work folders and the shots, so they take turns."""
    E2E_BUILD.mkdir(parents=True, exist_ok=True)
    lock = open(E2E_BUILD / "run.lock", "w")
    deadline = time.monotonic() + timeout
    told = False
    while True:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return lock
        except BlockingIOError:
            if time.monotonic() > deadline:
                lock.close()
                raise Failure(f"another end-to-end run held {lock.name} for over {timeout:g} s") from None
            if not told:
                print("waiting for another end-to-end run in this checkout to finish...", file=sys.stderr)
                told = True
            time.sleep(0.5)


def _free_display():
    n = 90
    while os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
        n += 1
    return n


class Session:
    """The display, the Wine prefix and the probe, shared by all tests of a
    run. Starts a private Xvfb when no DISPLAY is given."""

    def __init__(self, image):
        self.image = Path(image)
        self.lock = None
        self.xvfb = None
        self.probe = None
        self._metrics = None
        self.programs = []

    def wine_env(self):
        env = dict(os.environ)
        env["LC_ALL"] = "zh_CN.UTF-8"
        env["WINEDEBUG"] = "-all"
        env.setdefault("WINEDLLOVERRIDES", "mscoree=;mshtml=")
        return env

    def end_wine(self, timeout):
        """Waits until this prefix's Wine server has ended (a few seconds
        after its last program), and ends it with whatever it still runs
        when that takes longer than the timeout (a program of a test that
        hangs, say): Wine left running on a display that goes would spoil
        the next run on the prefix."""
        try:
            subprocess.run([WINESERVER, "-w"], env=self.wine_env(), timeout=timeout)
        except subprocess.TimeoutExpired:
            subprocess.run([WINESERVER, "-k"], env=self.wine_env(), timeout=60)
            subprocess.run([WINESERVER, "-w"], env=self.wine_env(), timeout=60)

    def open(self):
        self.lock = lock_checkout()
        os.environ.setdefault("WINEPREFIX", os.environ.get("KESTROVA_WINEPREFIX", str(ROOT / "build" / "wine-prefix")))
        os.environ["KESTROVA_WINEPREFIX"] = os.environ["WINEPREFIX"]  # for tools/wine_run.sh
        if not os.environ.get("DISPLAY"):
            # A Wine server still running on the prefix would serve the new
            # display through its old desktop: let it end first.
            self.end_wine(20)
            self._start_display()
        # Made (or made anew, with its 32-bit half) unless it is ready; quick
        # when it is. This also finds the 32-bit route once for the run
        # (KESTROVA_ROUTE32_FOUND, passed on to every program started).
        found = subprocess.run(["bash", "-c", "source tools/wine_env.sh && kestrova_ensure_prefix >&2 && "
                                "echo \"$KESTROVA_ROUTE32_FOUND\""], cwd=str(ROOT), check=True, env=dict(os.environ),
                               stdout=subprocess.PIPE, text=True, timeout=600)
        os.environ["KESTROVA_ROUTE32_FOUND"] = found.stdout.strip()
        self._build_probe()
        for folder in (WORK, SHOTS):
            folder.mkdir(parents=True, exist_ok=True)
        self.probe = Probe(self.wine_env())
        self.probe.ask("cursor", timeout=120)  # the first start of Wine may be slow

    def _start_display(self):
        # Another run may take the same free number at the same moment; then
        # our Xvfb ends at once and the next number is tried.
        n = _free_display()
        for _ in range(20):
            self.xvfb = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wait_until(f"Xvfb on :{n}", lambda: self.xvfb.poll() is not None or os.path.exists(f"/tmp/.X11-unix/X{n}"),
                       bool, timeout=30)
            if self.xvfb.poll() is None:
                os.environ["DISPLAY"] = f":{n}"
                return
            n = max(n + 1, _free_display())
        raise Failure("could not start Xvfb")

    def _build_probe(self):
        run = subprocess.run(["make", "-s", str(PROBE_EXE.relative_to(ROOT))], cwd=str(ROOT), capture_output=True,
                             text=True, timeout=600)
        if run.returncode != 0:
            raise Failure(f"could not build {PROBE_EXE}: {run.stdout}{run.stderr}")

    def metrics(self):
        if self._metrics is None:
            self._metrics = self.probe.metrics()
        return self._metrics

    def close(self):
        for program in self.programs:
            program.stop()
        if self.probe:
            self.probe.close()
        if self.xvfb:
            # Our own display: let this prefix's Wine wind down before the
            # display goes (it ends a few seconds after its last program).
            self.end_wine(60)
            self.xvfb.kill()
            self.xvfb.wait()
            self.xvfb = None
        if self.lock:
            self.lock.close()
            self.lock = None


# --- one test ---------------------------------------------------------------

class Program:
    """One start of the image, in its own folder."""

    def __init__(self, case, exe):
        self.case = case
        self.exe = exe
        self.log = open(exe.parent / "wine.log", "wb")
        self.proc = subprocess.Popen(wine_command(exe), cwd=str(exe.parent), env=case.session.wine_env(),
                                     stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT)

    def _ours(self, window):
        return window.exe.replace("\\", "/").lower().endswith(str(self.exe).lower())

    def windows(self):
        """This program's top-level windows (those of other processes on
        the same Wine server are left out)."""
        return [w for w in self.case.probe.windows() if self._ours(w)]

    def running(self):
        return self.proc.poll() is None

    def _alive(self):
        if not self.running():
            raise Failure(f"the program ended early, exit code {self.proc.returncode}")

    def find(self, cls, owner=None):
        """Its visible windows of the class (and owner)."""
        self._alive()
        return [w for w in self.windows() if w.cls == cls and w.visible and (owner is None or w.owner == owner)]

    def wait_window(self, cls, owner=None, timeout=WAIT):
        """The one visible window of the class (and owner) once it is there."""
        found = wait_until(f"a visible {cls} window" + (f" owned by {owner:#x}" if owner else ""),
                           lambda: self.find(cls, owner), lambda ws: len(ws) > 0, timeout)
        check(len(found) == 1, f"expected one visible {cls} window, found {found}")
        return found[0]

    def wait_gone(self, hwnd, timeout=WAIT):
        def seen():
            self._alive()
            return [w for w in self.windows() if w.hwnd == hwnd and w.visible]
        wait_until(f"window {hwnd:#x} to go", seen, lambda ws: not ws, timeout)

    def main_window(self, timeout=WAIT):
        return self.wait_window(MAIN_CLASS, timeout=timeout)

    def window(self, hwnd):
        """The window as it is now (None when it is gone)."""
        for w in self.windows():
            if w.hwnd == hwnd:
                return w
        return None

    def wait_caption(self, hwnd, expected, timeout=WAIT):
        def caption():
            self._alive()
            w = self.window(hwnd)
            return w.text if w else None
        return wait_until(f"caption {expected!r}", caption, lambda text: text == expected, timeout)

    def take_keyboard(self, window, spot, control=None, click_first=False):
        """take_keyboard for one of this program's windows: by default a
        click only when the keyboard does not come by itself."""
        take_keyboard(self.case.probe, window, spot, control, click_first, self._alive)

    def wait_exit(self, timeout=WAIT):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not end within {timeout:g} s") from None

    def stop(self):
        if self.running():
            self.proc.kill()
        self.proc.wait()
        self.log.close()


class Case:
    """What a test function gets: the session and its own work folder."""

    def __init__(self, session, name):
        self.session = session
        self.name = name
        self.image = session.image
        self.probe = session.probe
        self.folder = WORK / name
        self.programs = []

    def metrics(self):
        return self.session.metrics()

    def start(self, settings=None):
        """Copies the image into a fresh folder as kestrova.exe, with a
        settings file kestrova.ini of the given text beside it, and starts
        it."""
        if self.folder.exists():
            shutil.rmtree(self.folder)
        self.folder.mkdir(parents=True)
        exe = self.folder / "kestrova.exe"
        shutil.copyfile(self.image, exe)
        if settings is not None:
            (self.folder / "kestrova.ini").write_bytes(settings.encode("ascii"))
        program = Program(self, exe)
        self.programs.append(program)
        self.session.programs.append(program)
        return program

    def shot(self, name, rect):
        """Saves the screen area of a rectangle as build/e2e/shots/NAME.png
        (suffixed with the build folder for builds other than win64) and
        returns its pixels as rows of (r, g, b)."""
        left, top, right, bottom = rect
        width, height, rows = screenshot.grab()
        left, top = max(0, left), max(0, top)
        right, bottom = min(width, right), min(height, bottom)
        rows = [row[3 * left:3 * right] for row in rows[top:bottom]]
        build = self.image.parent.name
        path = SHOTS / (f"{name}.png" if build == "win64" else f"{name}-{build}.png")
        screenshot.write_png(str(path), right - left, bottom - top, rows)
        return [[tuple(row[i:i + 3]) for i in range(0, len(row), 3)] for row in rows]

    def cleanup(self):
        for program in self.programs:
            program.stop()


# --- the tests' own target window (tests/e2e/target.cpp) --------------------

TARGET_EXE = E2E_BUILD / "target.exe"
TARGET_CLASS = "KestrovaE2ETarget"


def wine_path(path):
    """A Unix path as Wine's programs reach it (through drive Z:)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def hold_keys(*names, hold=0.1):
    """Presses the keys (X keysym names) in order, holds them all for the
    given time and releases them in reverse order: a chord such as
    hold_keys("ctrl", "shift", "alt", "r"). The hotkeys are polled every
    50 ms and post again on every poll that finds them down, so the chord
    is held 0.1 s only."""
    xdotool("keydown", "+".join(names))
    time.sleep(hold)
    xdotool("keyup", "+".join(reversed(names)))


def type_keys(names, hold=0.06, gap=0.0):
    """Types keys one after the other (X keysym names, e.g. list("kestrel")),
    each held for the given time (another Wine process sees a key only if
    it is down for about 50 ms), with a pause after each."""
    for name in names:
        xdotool("keydown", name)
        time.sleep(hold)
        xdotool("keyup", name)
        if gap:
            time.sleep(gap)


def keys_down(probe):
    """The virtual keys (and mouse buttons) down now, as a sorted list."""
    (line,) = probe.ask("keys")
    down = _fields(line)[1]["down"]
    return [] if down == "-" else sorted(int(vk) for vk in down.split(","))


def wait_keys_up(probe, timeout=WAIT):
    """Waits until no key and no mouse button is down."""
    wait_until("no key or mouse button down (GetAsyncKeyState)", lambda: keys_down(probe), lambda down: not down,
               timeout)


class Target:
    """target.exe started for a test, with its log in a folder of its own
    (build/e2e/work/CASE.target/target.log). Stopped with the test."""

    def __init__(self, case, rect=(40, 40, 360, 240)):
        self.case = case
        folder = WORK / f"{case.name}.target"
        if folder.exists():
            shutil.rmtree(folder)
        folder.mkdir(parents=True)
        self.log_path = folder / "target.log"
        self.output = open(folder / "wine.log", "wb")
        self.proc = subprocess.Popen(wine_command(TARGET_EXE, wine_path(self.log_path), *rect),
                                     cwd=str(folder), env=case.session.wine_env(), stdin=subprocess.DEVNULL,
                                     stdout=self.output, stderr=subprocess.STDOUT)
        case.programs.append(self)
        case.session.programs.append(self)
        wait_until("the target window's first log line", self.lines, lambda lines: lines[:1] == ["ready"])
        self.window = wait_until("the target window", self._windows, lambda ws: len(ws) == 1)[0]

    def _windows(self):
        if self.proc.poll() is not None:
            raise Failure(f"target.exe ended early, exit code {self.proc.returncode}")
        return [w for w in self.case.probe.windows() if w.cls == TARGET_CLASS and w.visible]

    def lines(self):
        """The log's lines, without their times."""
        if not self.log_path.exists():
            return []
        text = self.log_path.read_bytes().decode("ascii")
        return [line.split(" t=")[0] for line in text.splitlines() if line]

    def clear(self):
        self.log_path.write_bytes(b"")

    def focus(self):
        """Gives the target the keyboard with a click on its caption bar;
        the click leaves no line."""
        left, top, right, _ = self.window.rect
        take_keyboard(self.case.probe, self.window, (left + (right - left) // 3, top + 8), alive=self._windows)

    def client_point(self, x, y):
        """The screen point of a client position."""
        return self.window.client[0] + x, self.window.client[1] + y

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()
        self.output.close()
