"""Recording and playing back, seen from outside: the hotkeys start and stop
a recording while the tests' own target window (tests/e2e/target.cpp) has
the focus, and the playback sends the same keys and click to it again, at
normal and fast speed, three times, or continuously until stopped.

What the target receives besides the recorded input, as observed:
- the hotkey chords themselves, since they are pressed while it has the
  focus (Ctrl 17, Shift 16, Alt 18 with R 82 or P 80);
- a left-button up at every record and play command and after every run
  (the input release, which lifts the left button whatever its state);
- at the end of every run the keys of the chord that stopped the recording:
  the capture takes Shift, Ctrl and Alt (and R when it comes in time) going
  down before the poll sees the chord, so a run ends by pressing them. The
  release after the run lifts them again.
The tests allow exactly these between the runs of the recorded input, and
require every key to be up again afterwards. The chords are pressed
modifiers first (see hotkey()).
"""
import re
import time

from harness import (Failure, Target, check, click, expect_equal, key, keys_down, type_keys, wait_keys_up, wait_until,
                     xdotool)
from test_options import box_with_caption, child_with, choose
from test_shell import start_idle

SHIFT, CTRL, ALT, KEY_P, KEY_R = 16, 17, 18, 80, 82
# What the target may receive around the runs of the recorded input: keys of
# the hotkey chords, and the input release's left-button ups.
CHORD_KEYS = {SHIFT, CTRL, ALT, KEY_P, KEY_R}

RECORDING = re.compile(r"录制 (\d\d):(\d\d)$")
PLAYING = re.compile(r"播放 \d\d:\d\d \((\d+)/(\d+)(\*?)\)$")
IDLE = "Kestrova"

# The record button: its picture at client (47..62, 5..20) turns red while
# recording.
RECORD_PICTURE = (47, 5, 63, 21)

# Where the recorded click goes, in the target's client area.
CLICK_AT = (100, 120)


def hotkey(letter):
    """Ctrl+Shift+Alt+letter as a person presses it: the three modifiers
    first, then the letter for 0.1 s (the hotkey poll posts on every tick
    that finds the chord down; the command's input release lifts it).

    Why not all four at once: the capture takes one key per 10 ms step,
    lowest key number first, and Ctrl and Alt also go down as their left-hand
    keys 162 and 164. With all four going down together it can record R (82)
    before 162 and 164; a run then plays Ctrl+Shift+Alt+R with records still
    to come, the program's own hotkey poll takes the played chord for the
    record command, and a repeated or continuous playback ends after its
    first run. With the modifiers down first, R is the last
    record when it is recorded at all, and the run ends right after it."""
    xdotool("keydown", "ctrl+shift+alt")
    time.sleep(0.25)
    xdotool("keydown", letter)
    time.sleep(0.1)
    xdotool("keyup", letter)
    xdotool("keyup", "alt+shift+ctrl")


def record_hotkey():
    hotkey("r")


def play_hotkey():
    hotkey("p")


# --- reading the target's log -----------------------------------------------

def key_lines(word):
    """What the target receives when the word's letters are typed."""
    lines = []
    for letter in word:
        vk = ord(letter.upper())
        lines += [f"keydown {vk}", f"keyup {vk}"]
    return lines


def click_lines(x, y):
    return [f"lbuttondown {x} {y}", f"lbuttonup {x} {y}"]


def parse_line(line):
    """(kind, vk or None) of a log line."""
    kind, _, rest = line.partition(" ")
    if kind in ("keydown", "keyup", "syskeydown", "syskeyup"):
        return kind, int(rest)
    return kind, None


def is_filler(line):
    """A line the target may get between the runs of the recorded input."""
    kind, vk = parse_line(line)
    return kind == "lbuttonup" or (vk is not None and vk in CHORD_KEYS)


def is_late_release(line, run):
    """A key-up of a chord key that is not one of the run's own lines: the
    user's hand letting go of the play chord can reach the target after the
    run has begun (on a busy machine it does)."""
    kind, vk = parse_line(line)
    return kind in ("keyup", "syskeyup") and vk in CHORD_KEYS and line not in run


def copy_end(lines, i, run):
    """The index after a copy of the run's lines that starts at lines[i]
    (passing over late releases of chord keys within it), or None."""
    if lines[i:i + 1] != run[:1]:
        return None
    k = i
    for want in run:
        while k < len(lines) and lines[k] != want and is_late_release(lines[k], run):
            k += 1
        if k >= len(lines) or lines[k] != want:
            return None
        k += 1
    return k


def runs_in(lines, run):
    """Splits the log into the complete copies of the run's lines and what
    lies around them. Returns (count, stray, end): stray lists the lines
    outside the copies that are not chord keys or release button ups, end is
    the index after the last copy (0 when there is none)."""
    count, i, stray, end = 0, 0, [], 0
    while i < len(lines):
        after = copy_end(lines, i, run)
        if after is not None:
            count += 1
            i = end = after
            continue
        if not is_filler(lines[i]):
            stray.append((i, lines[i]))
        i += 1
    return count, stray, end


def keys_left_down(lines):
    """The keys whose last line in the log is a down: the target's own view
    of keys left pressed."""
    last = {}
    for line in lines:
        kind, vk = parse_line(line)
        if vk is not None:
            last[vk] = kind
    return sorted(vk for vk, kind in last.items() if kind.endswith("down"))


def settled(target, quiet=0.6, timeout=30.0):
    """The log once it has not changed for the quiet time."""
    state = {"lines": None, "since": time.monotonic()}

    def fetch():
        lines = target.lines()
        if lines != state["lines"]:
            state["lines"], state["since"] = lines, time.monotonic()
        return lines

    wait_until(f"the target's log to stay unchanged for {quiet:g} s", fetch,
               lambda _: time.monotonic() - state["since"] >= quiet, timeout)
    return state["lines"]


def check_runs(lines, run, runs, what):
    """The log holds the run's lines exactly `runs` times, nothing but chord
    keys and release button ups around them, and leaves no key down."""
    count, stray, _ = runs_in(lines, run)
    check(not stray, f"{what}: lines other than the recorded input, chord keys and release button ups: {stray}; "
                     f"log: {lines}")
    expect_equal(count, runs, f"{what}: complete copies of the recorded input {run} in the log {lines}")
    expect_equal(keys_left_down(lines), [], f"{what}: keys whose last message in the target was a down; log: {lines}")


def check_prefix(lines, run, what):
    """Nothing of the chord that started the recording is played: no R
    reaches the target before the first copy of the recorded input (the play
    chord pressed there has P; check_runs allows only chord keys and release
    button ups around the copies)."""
    first = next((i for i in range(len(lines)) if copy_end(lines, i, run) is not None), len(lines))
    before = [line for line in lines[:first] if parse_line(line)[1] == KEY_R]
    check(not before, f"{what}: R of the record chord played before the recorded input: {lines[:first]}")


# --- driving the program ------------------------------------------------------

class Caption:
    """Polls the main window's caption and keeps every distinct one seen."""

    def __init__(self, program, main):
        self.program, self.main, self.seen = program, main, []

    def __call__(self):
        window = self.program.window(self.main.hwnd)
        if window is None:
            raise Failure("the main window is gone")
        if not self.seen or self.seen[-1] != window.text:
            self.seen.append(window.text)
        return window.text

    def wait(self, what, accept, timeout=30.0):
        return wait_until(what, self, accept, timeout)


def record_picture_red(t, main, name):
    """The count of red pixels in the record button's picture, from a shot
    of the main window saved as build/e2e/shots/NAME.png."""
    pixels = t.shot(name, main.rect)
    ox, oy = main.client[0] - main.rect[0], main.client[1] - main.rect[1]
    left, top, right, bottom = RECORD_PICTURE
    return sum(1 for y in range(oy + top, oy + bottom) for x in range(ox + left, ox + right)
               if pixels[y][x][0] >= 120 and pixels[y][x][1] < 90 and pixels[y][x][2] < 90)


def set_up(t):
    """The program and the target, the target with the keyboard focus."""
    program, main = start_idle(t)
    target = Target(t)
    return program, main, target, Caption(program, main)


def focus_main(program, main):
    """Gives the main window the keyboard focus with a click on the left of
    its caption bar (no command there)."""
    program.take_keyboard(main, (main.rect[0] + 10, main.rect[1] + 3), click_first=True)


def set_repeat_count(t, program, main, count):
    focus_main(program, main)
    choose(program, main, "r")
    box = box_with_caption(program, main, "重复播放")
    edit = child_with(t, box, lambda c: c.cls == "Edit", "the edit box in the repeat prompt")
    wait_until("the focus in the edit box", lambda: t.probe.focus()["focus"], lambda f: f == edit.hwnd)
    key(str(count))
    wait_until(f"{count} typed over the selected text",
               lambda: [c.text for c in t.probe.children(box.hwnd) if c.hwnd == edit.hwnd], lambda v: v == [str(count)])
    key("Return")
    program.wait_gone(box.hwnd)


def choose_option(program, main, letter):
    focus_main(program, main)
    choose(program, main, letter)


def settle_keys(t, target):
    """Waits until no key is down and the target has taken every message,
    then empties its log."""
    wait_keys_up(t.probe)
    settled(target)
    target.clear()


def record(t, target, caption, word, gap=0.0, click_at=CLICK_AT, check_button=None, stop=record_hotkey):
    """Records the word typed into the target (and a click at a client
    point, unless click_at is None) between two record chords (the second
    one pressed by stop()). Returns what the target received of that input,
    which a playback must repeat."""
    target.focus()
    settle_keys(t, target)
    record_hotkey()
    caption.wait("the recording clock in the caption", lambda c: RECORDING.match(c))
    if check_button:
        check_button()
    wait_keys_up(t.probe)
    settle_keys(t, target)
    type_keys(list(word), hold=0.1, gap=gap)
    expected = key_lines(word)
    if click_at:
        click(*target.client_point(*click_at))
        expected += click_lines(*click_at)
    text = caption()
    check(RECORDING.match(text), f"caption while recording: got {text!r}, expected 录制 mm:ss")
    stop()
    caption.wait("the caption back to idle after the record chord", lambda c: c == IDLE)
    wait_keys_up(t.probe)
    typed = settled(target)
    expect_equal(typed[:len(expected)], expected, "what the target received while recording (xdotool's input)")
    target.clear()
    return expected


def play(t, target, caption, run, runs, what, timeout=60.0):
    """Presses the play chord and waits until the playback is over: the
    caption idle again after a playing one, or (should the playing captions
    pass unseen) the target has the recorded input `runs` times and the
    caption is idle. Returns the log once it has settled."""
    mark = len(caption.seen)
    play_hotkey()

    def progress():
        now = caption()
        lines = target.lines()
        return {"caption": now, "copies": runs_in(lines, run)[0], "captions since the chord": caption.seen[mark:],
                "log": lines}

    def over(p):
        played = p["copies"] >= runs or any(PLAYING.match(c) for c in p["captions since the chord"])
        return p["caption"] == IDLE and played

    wait_until(f"{what}: the playback over (a playing caption, then idle) or {runs} copies of the recorded input {run} "
               f"in the target and the caption idle", progress, over, timeout)
    wait_keys_up(t.probe)
    return settled(target)


# --- the tests ----------------------------------------------------------------

def test_record_and_play_back(t):
    program, main, target, caption = set_up(t)
    idle_red = record_picture_red(t, main, "record_button_idle")
    expect_equal(idle_red, 0, "red pixels in the record button while idle")

    def button_red():
        wait_until("the record button red (see build/e2e/shots/recording.png)",
                   lambda: record_picture_red(t, main, "recording"), lambda red: red >= 100)

    run = record(t, target, caption, "kestrel", check_button=button_red)
    recorded = [c for c in caption.seen if RECORDING.match(c)]
    check(recorded and all(re.match(r"录制 00:0\d$", c) for c in recorded),
          f"captions while recording: {caption.seen}, expected 录制 00:0x")
    wait_until("the record button no longer red (see build/e2e/shots/record_button_stopped.png)",
               lambda: record_picture_red(t, main, "record_button_stopped"), lambda red: red == 0)

    lines = play(t, target, caption, run, 1, "normal speed")
    check_runs(lines, run, 1, "normal speed")
    check_prefix(lines, run, "normal speed")
    check(any(PLAYING.match(c) and PLAYING.match(c).groups() == ("1", "1", "") for c in caption.seen),
          f"captions seen: {caption.seen}, expected one 播放 mm:ss (1/1)")

    # A second playback of the same recording gives the same.
    target.clear()
    lines = play(t, target, caption, run, 1, "second playback")
    check_runs(lines, run, 1, "second playback")


def test_fast_speed_plays_the_same_keys(t):
    program, main, target, caption = set_up(t)
    choose_option(program, main, "f")
    run = record(t, target, caption, "kestrel")
    lines = play(t, target, caption, run, 1, "fast speed")
    check_runs(lines, run, 1, "fast speed")
    check_prefix(lines, run, "fast speed")


def test_repeat_count_three_plays_three_runs(t):
    program, main, target, caption = set_up(t)
    set_repeat_count(t, program, main, 3)
    # Pauses between the keys make each run last about two seconds, so that
    # the caption's run counter can be seen.
    run = record(t, target, caption, "hawk", gap=0.4, click_at=None)
    caption.seen.clear()
    lines = play(t, target, caption, run, 3, "repeat count 3", timeout=90.0)
    check_runs(lines, run, 3, "repeat count 3")
    counters = [PLAYING.match(c).groups() for c in caption.seen if PLAYING.match(c)]
    check(all(total == "3" and star == "" for _, total, star in counters),
          f"playing captions {caption.seen}: expected (n/3)")
    numbers = [int(n) for n, _, _ in counters]
    check(numbers == sorted(numbers) and set(numbers) <= {1, 2, 3} and len(set(numbers)) >= 2,
          f"run counters seen {numbers} (captions {caption.seen}): expected at least two of 1, 2, 3, rising")


def test_continuous_playback_until_the_play_chord(t):
    program, main, target, caption = set_up(t)
    choose_option(program, main, "c")
    run = record(t, target, caption, "hawk", gap=0.4, click_at=None)
    caption.seen.clear()
    play_hotkey()
    # Stop in the middle of the third run (or a later one).

    def progress():
        caption()
        lines = target.lines()
        count, _, end = runs_in(lines, run)
        return {"copies": count, "under way": [line for line in lines[end:] if not is_filler(line)],
                "captions": caption.seen[-8:], "log": lines}

    wait_until(f"two complete copies of the recorded input {run} and the next one past its second letter", progress,
               lambda p: p["copies"] >= 2 and len(p["under way"]) >= 3, timeout=60.0)
    check(PLAYING.match(caption.seen[-1]) and PLAYING.match(caption.seen[-1]).group(2, 3) == ("0", "*"),
          f"caption during continuous playback: {caption.seen}, expected 播放 mm:ss (n/0*)")
    before_stop = target.lines()
    play_hotkey()
    caption.wait("the caption back to idle after the play chord", lambda c: c == IDLE)
    wait_keys_up(t.probe)
    lines = settled(target)
    count, stray, end = runs_in(before_stop, run)
    stray = [line for line in stray if line[0] < end]  # the run under way is not complete
    check(count >= 2 and not stray, f"log before the stop: {count} complete runs, stray lines {stray}: {before_stop}")
    expect_equal(keys_left_down(lines), [], f"keys whose last message in the target was a down; log: {lines}")
    counters = [PLAYING.match(c).groups() for c in caption.seen if PLAYING.match(c)]
    check(all(total == "0" and star == "*" for _, total, star in counters) and
          len({n for n, _, _ in counters}) >= 2, f"playing captions {caption.seen}: expected (1/0*), (2/0*), ...")

    # Nothing more comes: a run lasts about two seconds, so another one would
    # have begun within four.
    target.clear()
    time.sleep(4.0)
    expect_equal(target.lines(), [], "what the target received after the playback stopped")
    expect_equal(caption(), IDLE, "caption after the stop")
    expect_equal(keys_down(t.probe), [], "keys down after the stop")


def test_play_chord_while_recording_does_nothing(t):
    program, main, target, caption = set_up(t)
    target.focus()
    settle_keys(t, target)
    record_hotkey()
    caption.wait("the recording clock in the caption", lambda c: RECORDING.match(c))
    wait_keys_up(t.probe)
    settle_keys(t, target)
    type_keys(list("hawk"), hold=0.1)
    play_hotkey()
    wait_keys_up(t.probe)
    # The recording goes on: its clock keeps counting for two more seconds.
    text = caption()
    check(RECORDING.match(text), f"caption after the play chord: got {text!r}, expected 录制 mm:ss")
    mark = len(caption.seen) - 1
    seconds = int(RECORDING.match(text).group(2))
    caption.wait("the recording clock two seconds on",
                 lambda c: not RECORDING.match(c) or int(RECORDING.match(c).group(2)) >= seconds + 2)
    check(all(RECORDING.match(c) for c in caption.seen[mark:]),
          f"captions after the play chord: {caption.seen[mark:]}, expected only 录制 mm:ss")
    type_keys(list("kit"), hold=0.1)
    record_hotkey()
    caption.wait("the caption back to idle after the record chord", lambda c: c == IDLE)
    wait_keys_up(t.probe)
    settle_keys(t, target)

    # What was typed before the play chord is played back first. (The chord
    # itself was recorded too, and playing it asks the playback to stop; what
    # came after it is not checked here.)
    play_hotkey()
    run = key_lines("hawk")
    wait_until("the recorded input played and the caption back to idle after the playback",
               lambda: (caption(), target.lines()), lambda p: p[0] == IDLE and runs_in(p[1], run)[0] > 0, timeout=60.0)
    wait_keys_up(t.probe)
    lines = settled(target)
    letters = [line for line in lines if not is_filler(line)]
    expect_equal(letters[:len(run)], run, f"the first keys played (log {lines})")
    expect_equal(keys_left_down(lines), [], f"keys whose last message in the target was a down; log: {lines}")
