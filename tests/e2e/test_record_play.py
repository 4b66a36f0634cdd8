"""Recording and playing back seen from outside: the hotkeys or the buttons start and stop a recording of input into
the target window, and a playback sends the same input to it again, at normal and fast speed, three times, or
continuously until stopped. Around the runs the target gets only filler (harness.is_filler)."""
import re

from harness import (IDLE, PLAY, RECORD, Target, check, check_runs, click, click_lines, expect_equal, hotkey,
                     is_filler, key, key_lines, keys_left_down, move, runs_in, type_keys, wait_until, xdotool)

RECORDING = re.compile(r"录制 (\d\d):(\d\d)$")
PLAYING = re.compile(r"播放 \d\d:\d\d \((\d+)/(\d+)(\*?)\)$")
CLICK_AT = (100, 120)  # in the target's client area


def idle(caption):
    """Neither clock (a button's tip may show)."""
    return not RECORDING.match(caption) and not PLAYING.match(caption)


class Caption:
    """Polls the main window's caption, keeping every distinct one seen."""

    def __init__(self, program):
        self.program, self.seen = program, []

    def __call__(self):
        window = self.program.window(self.program.main.hwnd)
        check(window, "the main window is gone")
        self.seen += [window.text] if self.seen[-1:] != [window.text] else []
        return window.text

    def wait(self, what, accept):
        return wait_until(what, self, accept)

    def counters(self):
        return [PLAYING.match(c).groups() for c in self.seen if PLAYING.match(c)]


def set_up(t, option=None, repeat=None):
    program = t.start()
    if option:
        program.choose(option)
    if repeat:
        program.set_repeat_count(repeat)
    return program, Target(t), Caption(program)


def red_in_record_button(t, program, name):
    """Red pixels in the record button's picture (build/e2e/shots/NAME-*.png)."""
    x, y = program.main.client[0] + 47, program.main.client[1] + 5
    return t.pixels(name, program.main.rect, (x, y, x + 16, y + 16), lambda p: p[0] >= 120 and p[1] < 90 and p[2] < 90)


def record(target, caption, word, gap=0.0, click_at="after", stop=lambda: hotkey("r"), while_recording=lambda: None):
    """Records the word typed into the target, with a click at CLICK_AT "before" or "after" it (or None), between the
    record chord and stop(); returns the target's lines for that input."""
    target.focus()
    hotkey("r")
    caption.wait("the recording clock in the caption", RECORDING.match)
    while_recording()
    target.cleared()
    for part in ("before", "word", "after"):
        if part == click_at:
            click(*target.point(*CLICK_AT))
        elif part == "word":
            type_keys(word, gap)
    clicked = click_lines(*CLICK_AT)
    expected = (clicked if click_at == "before" else []) + key_lines(word) + (clicked if click_at == "after" else [])
    expect_equal(target.settled()[:len(expected)], expected, "what the target got while recording (xdotool's input)")
    check(RECORDING.match(caption()), f"caption while recording: {caption.seen[-1]!r}, expected 录制 mm:ss")
    stop()
    caption.wait("the caption back to idle after the recording", idle)
    target.cleared()
    return expected


def play(target, caption, run, runs, what, start=lambda: hotkey("p"), besides=None):
    """Starts a playback, waits until it is over (the caption idle after a playing one, or after `runs` copies of the
    run); checks the log, lines matching `besides` left out."""
    mark = len(caption.seen)
    start()
    wait_until(f"{what}: a playing caption or {runs} copies of {run} in the target, then the caption idle",
               lambda: (caption(), runs_in(target.lines(), run)[0], caption.seen[mark:]),
               lambda p: idle(p[0]) and (p[1] >= runs or any(map(PLAYING.match, p[2]))))
    lines = [line for line in target.settled() if not (besides and re.match(besides, line))]
    check_runs(lines, run, runs, what)
    first = lines.index(run[0])
    check(not [line for line in lines[:first] if re.match(r"(sys)?key(down|up) 82\b", line)],
          f"{what}: R of the record chord played before the recorded input: {lines}")


def test_record_button_stops_and_play_button_plays_three_runs(t):
    # A click on the program's caption bar early in the recording is the user's: the stop trims only the closing
    # click (when it was captured at all), and the rest plays.
    program, target, caption = set_up(t, repeat=3)
    main = program.main

    def on_caption_bar():
        # Played back, a press on the caption bar of the then inactive program starts Wine's move loop, which on a
        # busy machine can miss the played release and swallow the next click, the one into the target. Escape
        # ends that loop; without it, it reaches the program, which ignores it, or, when Wine activates the program
        # late on a busy machine, the target (so the target's Escape is left out of what is checked).
        click(main.rect[0] + 10, main.rect[1] + 3)
        key("Escape")
    # Pauses between the keys let each run last long enough for the caption's run counter to be seen.
    run = record(target, caption, "kite", 0.4, "before", stop=lambda: program.push(RECORD),
                 while_recording=on_caption_bar)
    caption.seen.clear()
    play(target, caption, run, 3, "started by the play button", start=lambda: program.push(PLAY),
         besides=r"key(down|up) 27\b")
    expect_equal(int(program.probe.fields("focus")["foreground"], 16), target.window.hwnd,
                 "the foreground window after the playback (the target's)")
    numbers = [int(n) for n, total, star in caption.counters() if (total, star) == ("3", "")]
    check(len(numbers) == len(caption.counters()) and numbers == sorted(numbers) and len(set(numbers)) >= 2,
          f"playing captions {caption.seen}: expected (n/3), at least two of n = 1, 2, 3, rising")


def test_continuous_playback_until_the_play_chord(t):
    program, target, caption = set_up(t, option="c")
    run = record(target, caption, "hawk", 0.4, None)
    caption.seen.clear()
    hotkey("p")

    def progress():
        caption()
        lines = target.lines()
        count, _, end = runs_in(lines, run)
        return count, [line for line in lines[end:] if not is_filler(line)], lines

    # Stopped in the middle of the third run (or a later one).
    wait_until(f"two copies of {run} and the next one past its second letter", progress,
               lambda p: p[0] >= 2 and len(p[1]) >= 3)
    before_stop = target.lines()
    hotkey("p")
    caption.wait("the caption back to idle after the play chord", lambda c: c == IDLE)
    count, stray, end = runs_in(before_stop, run)
    check(count >= 2 and not [s for s in stray if s[0] < end], f"log before the stop: {count} copies, stray {stray}")
    counters = caption.counters()
    check(all(c[1:] == ("0", "*") for c in counters) and len({c[0] for c in counters}) >= 2,
          f"playing captions {caption.seen}: expected (1/0*), (2/0*), ...")
    # Nothing more comes: a run lasts about two seconds.
    lines = target.settled(quiet=2.5)
    expect_equal(keys_left_down(lines), [], f"keys last seen down by the target; log: {lines}")
    target.clear()
    expect_equal((target.settled(quiet=2.5), caption()), ([], IDLE), "the target's log and the caption after the stop")


def test_play_chord_while_recording_does_nothing(t):
    program, target, caption = set_up(t)

    def play_chord_then_wait():
        # Held until the clock moves on: the program has looked at the keys meanwhile.
        mark, seconds = len(caption.seen), int(RECORDING.match(caption()).group(2))
        hotkey("p", lambda: not RECORDING.match(caption()) or int(RECORDING.match(caption()).group(2)) != seconds)
        # The recording goes on: its clock keeps counting for two seconds.
        caption.wait("the recording clock two seconds on",
                     lambda c: not RECORDING.match(c) or int(RECORDING.match(c).group(2)) >= seconds + 2)
        check(all(map(RECORDING.match, caption.seen[mark:])),
              f"captions after the play chord: {caption.seen}, expected only 录制 mm:ss")
        type_keys("kit")
        hotkey("r")
    record(target, caption, "hawk", click_at=None, stop=play_chord_then_wait)
    # What was typed before the play chord is played first. (The chord was recorded too, and playing it asks the
    # playback to stop.)
    run = key_lines("hawk")
    hotkey("p")
    wait_until("the recorded input played and the caption idle", lambda: (caption(), target.lines()),
               lambda p: p[0] == IDLE and runs_in(p[1], run)[0] > 0)
    lines = target.settled()
    expect_equal([line for line in lines if not is_filler(line)][:len(run)], run, f"the first keys played ({lines})")
    expect_equal(keys_left_down(lines), [], f"keys last seen down by the target; log: {lines}")


def test_the_record_chord_that_stops_a_recording_is_not_played(t):
    # Started from the play button, the runs meet no chord key the user pressed: every Ctrl, Shift, Alt or R in the
    # target's log would be played. A played R with the modifiers would also end the playback, or start a recording.
    program, target, caption = set_up(t, repeat=3)
    run = record(target, caption, "wing", click_at="before")  # no R of its own
    play(target, caption, run, 3, "a recording stopped by the chord", start=lambda: program.push(PLAY))
    chord = [line for line in target.lines() if re.match(r"(sys)?key(down|up) (16|17|18|82)\b", line)]
    expect_equal((chord, caption()), ([], IDLE), "chord keys the playback sent, and the caption after it")


def test_middle_and_side_buttons_and_the_wheel_play_as_themselves(t):
    # X's button 2 is the middle button, 8 and 9 the side buttons, 4 and 5 the wheel up and down, 6 and 7 sideways;
    # each at its own spot. Played at both speeds, each comes as itself, in place and in number, never as a key.
    program, target, caption = set_up(t)
    target.focus()
    hotkey("r")
    caption.wait("the recording clock in the caption", RECORDING.match)
    target.cleared()
    for (x, y), buttons in (((100, 120), (2, 4, 4)), ((200, 60), (8, 5, 6)), ((150, 180), (9, 7, 7, 2))):
        move(*target.point(x, y))
        for button in buttons:
            click(*target.point(x, y), button=button) if button in (2, 8, 9) else xdotool("click", button)
    run = target.settled()
    expect_equal(sorted({line.split()[0] for line in run}), ["mbuttondown", "mbuttonup", "mousehwheel", "mousewheel",
                 "xbuttondown", "xbuttonup"], f"what the target got while recording (xdotool's input): {run}")
    hotkey("r")
    caption.wait("the caption back to idle after the recording", idle)
    for speed in ("normal", "fast"):
        program.choose("f") if speed == "fast" else None
        target.focus()
        # Started by the play button: the run's first click gives the target the focus, and the wheel with it.
        play(target, caption, run, 1, f"buttons and turns at {speed} speed", start=lambda: program.push(PLAY))
        expect_equal([line for line in target.lines() if re.match(r"(sys)?key(down|up) [456]\b", line)], [],
                     f"key messages of the buttons at {speed} speed")
