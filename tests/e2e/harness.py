"""The end-to-end harness: the program runs under Wine (tools/wine_env.sh)
on an X display, driven from outside with xdotool as a user would; probe.exe
tells what Windows sees, target.exe logs the input it gets. A run has one
Session; each test gets a Case with a fresh folder. Standard library only."""
import configparser
import fcntl
import os
import shutil
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
E2E_BUILD = ROOT / "build" / "e2e"
PROBE_EXE, TARGET_EXE = E2E_BUILD / "probe.exe", E2E_BUILD / "target.exe"
sys.path.insert(0, str(ROOT / "tools"))
import screenshot  # noqa: E402  (tools/screenshot.py)

MAIN_CLASS, BOX_CLASS, MENU_CLASS = "KestrovaClass", "#32770", "#32768"
TARGET_CLASS, TARGET_TITLE = "KestrovaE2ETarget", "Kestrova test target"
IDLE = "Kestrova"
OPEN, SAVE, RECORD, PLAY, COMPILE, OPTIONS = range(6)
BUTTON_LEFT, BUTTON_TOP, BUTTON_SIZE, BUTTON_PITCH = 5, 5, 16, 21
SHARD = os.environ.get("KESTROVA_E2E_SHARD", "")  # "K/N" when the run is one of N side by side
# The one deadline of every wait. Generous: the suite must hold on a busy two-core machine, and a wait ends as soon
# as its condition holds.
WAIT = 90.0
# How long a key or button is held once Windows shows it down, as a finger would: a recording samples the keys on a
# timer, and a press it is to record must last across a sample.
HELD = 0.1
# Virtual keys of the X keysyms the tests press, as the probe reports them down.
VK = {"shift": 16, "ctrl": 17, "alt": 18, "Return": 13, "Escape": 27, "End": 35, "Home": 36, "mouse": 1}
# X's buttons (2 the middle, 8 and 9 the side buttons) and their virtual keys.
BUTTON_VK = {1: 1, 2: 4, 8: 5, 9: 6}


class Failure(AssertionError):
    """A check that did not hold; the message says what was seen."""


class Crash(Failure):
    """A program under test crashed: the run ends at once."""


RUNNING = []  # the programs the test under way started and has not stopped


def check_crashes():
    """Fails when a program under test has crashed (Wine's "Unhandled" line begins the backtrace in its log)."""
    for program in RUNNING:
        if program.proc.poll() is not None and b"wine: Unhandled" in program.wine_log.read_bytes():
            log = program.wine_log.read_bytes().decode(errors="replace")
            raise Crash(f"{program.exe.name} crashed: {log[log.index('wine: Unhandled'):][:600]!r}")


def check(condition, message):
    if not condition:
        raise Failure(message)


def expect_equal(got, expected, what):
    check(got == expected, f"{what}: got {got!r}, expected {expected!r}")


def wait_until(what, fetch, accept, within=WAIT):
    """fetch() once accept(it) holds, within the seconds given; fails naming what and the last value."""
    deadline = time.monotonic() + within
    while True:
        check_crashes()
        value = fetch()
        if accept(value):
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {within:g} s waiting for {what}; last seen: {value!r}")
        time.sleep(0.05)


def shell(script, timeout=600):
    """The output of a bash script run with tools/wine_env.sh sourced."""
    return subprocess.run(["bash", "-c", f"source tools/wine_env.sh && {script}"], cwd=str(ROOT), check=True,
                          stdout=subprocess.PIPE, text=True, timeout=timeout).stdout


def wine_command(program, *args):
    # LC_ALL (code page 936) is tools/wine_run.sh's to give to Wine alone.
    return ["env", "-u", "LC_ALL", str(ROOT / "tools" / "wine_run.sh"), str(program), *map(str, args)]


def wine_path(path):
    """A Unix path as Wine's programs reach it (drive Z:)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def _fields(line):
    return dict(word.partition("=")[::2] for word in line.split()[1:])


def _text(hex_text):
    return "" if hex_text == "-" else bytes.fromhex(hex_text).decode("gbk", errors="replace")


class Window:
    """A window as probe.exe saw it; rectangles are (left, top, right, bottom) on the screen."""

    def __init__(self, line):
        f = _fields(line)
        self.hwnd, self.owner = int(f["hwnd"], 16), int(f["owner"], 16)
        self.visible, self.cls, self.text = f["visible"] == "1", _text(f["class"]), _text(f["text"])
        self.rect, self.client = (tuple(int(v) for v in f[k].split(",")) for k in ("rect", "client"))
        self.style, self.exstyle, self.id = int(f["style"], 16), int(f["exstyle"], 16), int(f["id"])
        self.exe = _text(f["exe"]).replace("\\", "/").lower()

    def __repr__(self):
        return f"<{self.cls} {self.hwnd:#x} {self.text!r} rect={self.rect} visible={self.visible}>"


class Probe:
    """probe.exe kept running: one command a line, answers closed by "end"."""

    def __init__(self, log):
        self.log = log  # Wine's errors
        self.proc = subprocess.Popen(wine_command(PROBE_EXE), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=open(log, "wb"), cwd=str(E2E_BUILD), text=True, errors="replace")

    def ask(self, command):
        # A probe that does not answer in time is ended, which ends the read.
        watchdog, answer = threading.Timer(WAIT, self.proc.kill), []
        watchdog.start()
        try:
            self.proc.stdin.write(command + "\n")
            self.proc.stdin.flush()
            while (line := self.proc.stdout.readline()) != "end\n":
                check(line, f"probe.exe gave no answer to {command!r} within {WAIT:g} s, or ended (exit code "
                            f"{self.proc.poll()}, its Wine log ends {self.log.read_bytes()[-400:]!r})")
                answer.append(line.rstrip())
        finally:
            watchdog.cancel()
        check(not answer[:1] or not answer[0].startswith("error"), f"probe.exe: {answer}")
        return answer

    def windows(self, command="list"):
        return [Window(line) for line in self.ask(command)]

    def fields(self, command):
        return _fields(self.ask(command)[0])

    def keys_down(self):
        """The virtual keys down as Windows sees them."""
        down = self.fields("keys")["down"]
        return set() if down == "-" else {int(vk) for vk in down.split(",")}


PROBE = None  # the session's, for the presses below


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, timeout=WAIT)


def move(x, y):
    xdotool("mousemove", x, y)


def hold(what, press, release, shown=True, held=HELD, vks=None):
    """Presses every key of `what`, holds them once Windows shows them down (unless not `shown`: a press that starts a
    command of the program may be let go by it at once), releases them, and waits until Windows shows them up.
    Released also when something fails, so that nothing stays down."""
    vks = vks or {VK.get(name) or ord(name.upper()) for name in what.split("+")}
    try:
        press()
        if shown:
            wait_until(f"{what} down as Windows sees it", PROBE.keys_down, vks.issubset)
        time.sleep(held)
    finally:
        release()
    wait_until(f"{what} released as Windows sees it", PROBE.keys_down, lambda down: not down & vks)


def click(x, y, shown=True, button=1):
    """A click of X's button (BUTTON_VK); not `shown` for one on the program's toolbar (see hold)."""
    move(x, y)
    hold(f"mouse button {button}", lambda: xdotool("mousedown", button), lambda: xdotool("mouseup", button), shown,
         vks={BUTTON_VK[button]})


def key(name):
    """Presses and releases a key or chord (X keysyms, e.g. shift+Home)."""
    hold(name, lambda: xdotool("keydown", name), lambda: xdotool("keyup", "+".join(reversed(name.split("+")))))


def type_keys(word, gap=0.0):
    for letter in word:
        key(letter)
        time.sleep(gap)  # spreads the recorded input out: a pace, not a wait


def hotkey(letter, taken=None):
    """Ctrl+Shift+Alt+letter as a person presses it: the modifiers until Windows shows them down (all four at once
    could be recorded letter first), then the letter until the program takes the chord (its input release lets go of
    the modifiers in Windows' view), or until taken() holds for a chord it lets pass."""
    modifiers = {16, 17, 18}

    def press():
        xdotool("keydown", "ctrl+shift+alt")
        wait_until("Ctrl, Shift and Alt down as Windows sees them", PROBE.keys_down, modifiers.issubset)
        xdotool("keydown", letter)
        wait_until(f"the program to take Ctrl+Shift+Alt+{letter.upper()}" + ("" if taken else " (its input release)"),
                   taken or (lambda: not modifiers.issubset(PROBE.keys_down())), bool)
    hold(f"ctrl+shift+alt+{letter}", press, lambda: xdotool("keyup", letter, "alt+shift+ctrl"), False, 0)


def release_all():
    """Lets go of every key and button the tests press (one a failed test left down would leak into the next), and
    waits until Windows shows none down."""
    xdotool("keyup", *[name for name in VK if name != "mouse"], *"abcdefghijklmnopqrstuvwxyz")
    for button in (1, 2, 3, 8, 9):
        xdotool("mouseup", button)
    wait_until("no key or button down as Windows sees it, before the test", PROBE.keys_down, lambda d: not d)


class Session:
    """The display (a private Xvfb unless DISPLAY is given), the prefix and the probe, shared by a run's tests."""

    def __init__(self, image):
        self.image, self.lock, self.xvfb, self.probe = Path(image), None, None, None

    def open(self):
        global PROBE
        # Runs of one build in one checkout share its folders under build/e2e, so they take turns.
        E2E_BUILD.mkdir(parents=True, exist_ok=True)
        self.lock = open(E2E_BUILD / f"run-{self.image.parent.name}{SHARD and '-' + SHARD.replace('/', 'of')}.lock", "w")
        try:
            fcntl.flock(self.lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            print(f"waiting for another end-to-end run in this checkout to end ({self.lock.name})", flush=True)
            fcntl.flock(self.lock, fcntl.LOCK_EX)
        if not os.environ.get("DISPLAY"):
            # A Wine server left on the prefix would serve the new display through its old desktop.
            os.environ["DISPLAY"], self.xvfb = shell('kestrova_stop_display && kestrova_start_display && '
                                                     'echo "$DISPLAY $KESTROVA_XVFB_PID"').split()
        # The prefix made unless ready, and the 32-bit route found once.
        os.environ["KESTROVA_ROUTE32_FOUND"] = shell(
            'kestrova_ensure_prefix >&2 && { kestrova_find_route32; echo "$KESTROVA_ROUTE32_FOUND"; }').strip()
        subprocess.run(["make", "-s", str(PROBE_EXE.relative_to(ROOT)), str(TARGET_EXE.relative_to(ROOT))],
                       cwd=str(ROOT), check=True, timeout=600)
        self.probe = PROBE = Probe(Path(self.lock.name).with_suffix(".probe.log"))
        self.metrics = {k: int(v) for k, v in self.probe.fields("metrics").items()}

    def close(self):
        """Leaves no process behind: the probe, the Wine server and whatever it still serves, the private display."""
        if self.probe:
            self.probe.proc.kill()
            self.probe.proc.wait()
        shell(f"KESTROVA_XVFB_PID={self.xvfb or ''} kestrova_stop_display", WAIT)
        if self.lock:
            self.lock.close()


class Program:
    """A Windows program started in the case's folder with arguments (each passed as one); stopped with the case."""

    def __init__(self, case, exe, *args):
        self.case, self.exe, self.probe = case, Path(exe), case.probe
        self.wine_log = case.folder / f"{self.exe.stem}.wine.log"
        self.log = open(self.wine_log, "ab")
        # A group of its own: whatever it starts (a browser, a copy) is stopped with it. Wine's errors go to its log.
        self.proc = subprocess.Popen(wine_command(exe, *args), cwd=str(case.folder), stdin=subprocess.DEVNULL,
                                     stdout=self.log, stderr=subprocess.STDOUT, start_new_session=True,
                                     env=dict(os.environ, WINEDEBUG="-all,err+all"))
        case.programs.append(self)
        RUNNING.append(self)
        self.main = None

    def alive(self):
        if self.proc.poll() is not None:
            tail = self.wine_log.read_bytes()[-600:].decode(errors="replace")
            raise Failure(f"{self.exe.name} ended early, exit code {self.proc.returncode}; its Wine log ends: {tail!r}")

    def windows(self):
        """Its top-level windows (not those of other programs)."""
        return [w for w in self.probe.windows() if w.exe.endswith(str(self.exe).lower())]

    def window(self, hwnd):
        return next((w for w in self.windows() if w.hwnd == hwnd), None)

    def shown(self, cls, owner=None):
        """Its visible windows of the class (owned by the owner, when given)."""
        self.alive()
        return [w for w in self.windows() if w.cls == cls and w.visible and owner in (None, w.owner)]

    def wait_window(self, cls, owner=None, caption=None):
        """Its one visible window of the class, once there; with the caption, when given."""
        (found,) = wait_until(f"one visible {cls} window" + (f" owned by {owner:#x}" if owner else ""),
                              lambda: self.shown(cls, owner), lambda ws: len(ws) == 1)
        check(caption in (None, found.text), f"caption of {found}: expected {caption!r}")
        return found

    def wait_gone(self, hwnd):
        wait_until(f"window {hwnd:#x} to go", lambda: self.proc.poll() is None and self.window(hwnd),
                   lambda w: not w or not w.visible)

    def wait_caption(self, expected, where=""):
        def caption():
            self.alive()
            w = self.window(self.main.hwnd)
            return w and w.text
        return wait_until(f"caption {expected!r}{where}", caption, lambda text: text == expected)

    def children(self, window, accept=lambda c: True):
        return [c for c in self.probe.windows(f"children {window.hwnd:x}") if accept(c)]

    def child(self, window, what, accept):
        return wait_until(what, lambda: self.children(window, accept), lambda cs: len(cs) == 1)[0]

    def take_keyboard(self, window, spot, control=None):
        """Gets the keyboard into the window (its control, when given) as a user would: with a click on the spot
        (where a click only takes the focus), again every few seconds until Wine shows the focus there."""
        click(*spot)
        clicked = [time.monotonic()]

        def seen():
            self.alive()
            focus = self.probe.fields("focus")
            got = int(focus["foreground"], 16), int(focus["focus"], 16)
            if (got[0] != window.hwnd or control not in (None, got[1])) and time.monotonic() - clicked[0] > 5:
                click(*spot)
                clicked[0] = time.monotonic()
            return got
        wait_until(f"the keyboard in {window}" + (f" and its control {control:#x}" if control else "") +
                   f" (Wine's foreground and focus windows, clicking at {spot})", seen,
                   lambda s: s[0] == window.hwnd and control in (None, s[1]))

    def type_into(self, box, edit, text, shown=None, then=None):
        """Types the text over the edit box's text, waits until it shows there (as shown, when given), then Enter, and
        then() before the box goes (to answer what Enter brings up)."""
        self.take_keyboard(box, centre(edit.rect), edit.hwnd)
        key("End")
        key("shift+Home")
        xdotool("type", "--delay", "20", text)
        wait_until(f"{shown or text!r} in {edit}", lambda: [c.text for c in self.children(box) if c.hwnd == edit.hwnd],
                   lambda v: v == [shown or text])
        key("Return")
        then and then()
        self.wait_gone(box.hwnd)

    def answer(self, box, name="Return"):
        """Answers a message box with a key, the keyboard got with a click on its text."""
        text = next(c for c in self.children(box) if c.cls == "Static" and c.text)
        self.take_keyboard(box, centre(text.rect))
        key(name)
        self.wait_gone(box.hwnd)

    def wait_exit(self):
        return wait_until(f"{self.exe.name} to end", self.proc.poll, lambda code: code is not None)

    def stop(self):
        """Ends it and what it started, and waits for it."""
        if self in RUNNING:
            RUNNING.remove(self)
        try:
            os.killpg(self.proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.proc.wait(timeout=WAIT)
        self.log.close()

    def button(self, i):
        """The screen point in the middle of button i's picture."""
        return (self.main.client[0] + BUTTON_LEFT + BUTTON_PITCH * i + BUTTON_SIZE // 2,
                self.main.client[1] + BUTTON_TOP + BUTTON_SIZE // 2)

    def push(self, i):
        """Clicks toolbar button i."""
        click(*self.button(i), shown=False)

    def box(self, caption):
        return self.wait_window(BOX_CLASS, self.main.hwnd, caption)

    def choose(self, letter):
        """Picks an options-menu entry: Enter on the main window (got with a click on its caption bar's left end,
        where no tip or command is), then the entry's letter."""
        self.take_keyboard(self.main, (self.main.rect[0] + 10, self.main.rect[1] + 3))
        key("Return")
        menu = self.wait_window(MENU_CLASS)
        key(letter)
        self.wait_gone(menu.hwnd)

    def set_repeat_count(self, count):
        self.choose("r")
        box = self.box("重复播放")
        self.type_into(box, self.child(box, "the repeat prompt's edit box", lambda c: c.cls == "Edit"), str(count))

    def close(self):
        """Clicks the close box at the right end of the small caption; the exit code."""
        m, (left, top, right, _) = self.case.session.metrics, self.main.rect
        click(right - m["cxdlgframe"] - m["cxsmsize"] // 2 - 1, top + m["cydlgframe"] + m["cysmcaption"] // 2)
        return self.wait_exit()


class Target(Program):
    """target.exe logging to NAME.log in the case's folder (the keys' scan codes too, when asked): a window of the class
    and title, at (left, top), opened after a delay (ms); once open, .window."""

    def __init__(self, case, name="target", cls=TARGET_CLASS, title=TARGET_TITLE, at=(40, 40), delay=0):
        self.log_path, self.cls = case.folder / f"{name}.log", cls
        super().__init__(case, TARGET_EXE, wine_path(self.log_path), cls, title, *at, delay)
        wait_until(f"{name}'s first log line", lambda: self.alive() or self.lines(), lambda l: l[:1] == ["ready"])
        self.window = self.wait_window(cls)

    def move_to(self, left, top):
        self.probe.ask(f"move {self.window.hwnd:x} {left} {top}")
        self.window = wait_until(f"{self.window} at {left}, {top}", lambda: self.wait_window(self.cls),
                                 lambda w: w.rect[:2] == (left, top))

    def lines(self, scans=False):
        lines = self.log_path.read_text("ascii").splitlines() if self.log_path.exists() else []
        return lines if scans else [line.split(" scan ")[0] for line in lines]

    def clear(self):
        self.log_path.write_bytes(b"")

    def focus(self):
        """The keyboard, with a click on the caption bar (which logs nothing), and an empty log."""
        left, top, right, _ = self.window.rect
        self.take_keyboard(self.window, (left + (right - left) // 3, top + 8))
        self.cleared()

    def point(self, x, y):
        """The screen point of a client position."""
        return self.window.client[0] + x, self.window.client[1] + y

    def settled(self, quiet=0.6):
        """The log once it has stayed unchanged for the quiet time, with no key or button down any more."""
        seen = {"lines": None, "since": 0.0}

        def fetch():
            lines = self.lines()
            if lines != seen["lines"]:
                seen.update(lines=lines, since=time.monotonic())
            return self.probe.keys_down(), lines

        wait_until(f"no key down and the target's log unchanged for {quiet:g} s", fetch,
                   lambda s: not s[0] and time.monotonic() - seen["since"] >= quiet)
        return seen["lines"]

    def cleared(self):
        self.settled()
        self.clear()


class Case:
    """What a test gets: the session, a fresh folder of its own, and no key or button down."""

    def __init__(self, session, name):
        self.session, self.name, self.image, self.probe = session, name, session.image, session.probe
        self.folder = E2E_BUILD / f"work-{self.image.parent.name}" / name
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder.mkdir(parents=True)
        self.programs = []
        release_all()

    def start(self, settings=None, *args, image=None):
        """The image (the run's, or the one given) started as kestrova.exe in the folder, beside kestrova.ini of the
        settings text (or none), the mouse away from where it opens; its main window is .main."""
        exe, ini = self.folder / "kestrova.exe", self.folder / "kestrova.ini"
        shutil.copyfile(image or self.image, exe)
        ini.unlink(missing_ok=True) if settings is None else ini.write_text(settings)
        move(1, 1)
        program = Program(self, exe, *args)
        program.main = program.wait_window(MAIN_CLASS)
        return program

    def shot(self, name, rect):
        """Saves the screen area as build/e2e/shots/NAME-BUILD.png; its pixels as rows of (r, g, b)."""
        width, height, rows = screenshot.grab()
        left, top, right, bottom = max(0, rect[0]), max(0, rect[1]), min(width, rect[2]), min(height, rect[3])
        rows = [row[3 * left:3 * right] for row in rows[top:bottom]]
        (E2E_BUILD / "shots").mkdir(exist_ok=True)
        screenshot.write_png(str(E2E_BUILD / "shots" / f"{name}-{self.image.parent.name}.png"), right - left,
                             bottom - top, rows)
        return [[tuple(row[i:i + 3]) for i in range(0, len(row), 3)] for row in rows]

    def pixels(self, name, rect, area, accept):
        """How many pixels of the area (screen coordinates, within a shot of the rectangle) accept((r, g, b))."""
        rows = self.shot(name, rect)[area[1] - rect[1]:area[3] - rect[1]]
        return sum(accept(p) for row in rows for p in row[area[0] - rect[0]:area[2] - rect[0]])

    def state(self):
        """Where each of the test's programs stands, for the report of a failure."""
        return "; ".join(f"{p.exe.name} {'running' if p.proc.poll() is None else f'ended ({p.proc.returncode})'}, "
                         f"its Wine log ends {p.wine_log.read_bytes()[-400:]!r}" for p in self.programs)

    def cleanup(self):
        """Stops the test's programs, and waits until their windows are gone (the next test's would be confused with
        them: the target is the same program in each)."""
        for program in self.programs:
            program.stop()
        wait_until("the windows of the test's programs to go", lambda: [
            w for w in self.probe.windows() if any(w.exe.endswith(str(p.exe).lower()) for p in self.programs)],
            lambda found: not found)


def settings_text(x, y, tips=1, speed=0):
    return f"[Kestrova]\r\nwindow_x={x}\r\nwindow_y={y}\r\ntips={tips}\r\nspeed={speed}\r\n"


def read_settings(path):
    """The [Kestrova] section (a key written twice fails)."""
    check(path.exists(), f"expected a settings file {path}, there is none")
    parser = configparser.ConfigParser(strict=True)
    parser.read_string(path.read_text("ascii"))
    return dict(parser["Kestrova"])


# Around the runs of the recorded input the target also gets the keys of the hotkey chords (Shift, Ctrl, Alt, P, R:
# pressed while it has the focus, and recorded) and a left-button up from the input release of every command.
CHORD_KEYS = {16, 17, 18, 80, 82}


def key_lines(keys):
    """The target's lines for keys typed (letters, or (VK, extended) pairs)."""
    pairs = [(ord(k.upper()), False) if isinstance(k, str) else k for k in keys]
    return [f"{kind} {vk}{' ext' * ext}" for vk, ext in pairs for kind in ("keydown", "keyup")]


def click_lines(x, y):
    return [f"lbuttondown {x} {y}", f"lbuttonup {x} {y}"]


def _key(line):
    """(kind, vk) of a key line, vk None for other lines."""
    words = line.split()
    return words[0], int(words[1]) if words[0] in ("keydown", "keyup", "syskeydown", "syskeyup") else None


def is_filler(line):
    kind, vk = _key(line)
    return kind == "lbuttonup" or vk in CHORD_KEYS


def _copy_end(lines, i, run):
    """The index after a copy of the run starting at lines[i], or None. Ups of the filler may lie within it: the hand
    letting go of the play chord or button can reach the target after the run has begun."""
    if lines[i:i + 1] != run[:1]:
        return None
    for want in run:
        while i < len(lines) and lines[i] != want and is_filler(lines[i]) and "down" not in lines[i].split()[0]:
            i += 1
        if i >= len(lines) or lines[i] != want:
            return None
        i += 1
    return i


def runs_in(lines, run):
    """(copies of the run, stray lines outside them that are no filler, index after the last copy)."""
    count, i, stray, end = 0, 0, [], 0
    while i < len(lines):
        after = _copy_end(lines, i, run)
        if after is not None:
            count, i, end = count + 1, after, after
            continue
        if not is_filler(lines[i]):
            stray.append((i, lines[i]))
        i += 1
    return count, stray, end


def keys_left_down(lines):
    """The keys whose last line in the log is a down."""
    last = {vk: kind for kind, vk in map(_key, lines) if vk is not None}
    return sorted(vk for vk, kind in last.items() if kind.endswith("down"))


def check_runs(lines, run, runs, what):
    """The log holds the run exactly `runs` times, nothing but filler around, and leaves no key down."""
    count, stray, _ = runs_in(lines, run)
    check(not stray, f"{what}: lines other than the recorded input and filler: {stray}; log: {lines}")
    expect_equal(count, runs, f"{what}: copies of the recorded input {run} in the log {lines}")
    expect_equal(keys_left_down(lines), [], f"{what}: keys last seen down by the target; log: {lines}")
