"""The hotkey chords stop a playback at whatever moment of a run a quick press falls: the play chord ten times and the
record chord three times against a continuous playback of a short recording that clicks; a chord held on is one
press."""
import random
import re
import struct
import time

from harness import Target, expect_equal, hotkey, keys_left_down, move, wait_until, wine_path, xdotool


def test_every_quick_press_of_a_chord_stops_the_playback(t):
    target = Target(t)
    (x, y), tick, records = target.point(100, 120), 10000, b""
    # A click and two keys, about 0.85 s a run with the pause after it.
    for message, low, high, gap in ((0x200, x, y, 0), (0x201, x, y, 100), (0x202, x, y, 80), (0x100, 65, 0, 120),
                                    (0x101, 65, 0, 80), (0x100, 66, 0, 120), (0x101, 66, 0, 80)):
        tick += gap
        records += struct.pack("<5I", message, low, high, tick, 0)
    (t.folder / "short.rec").write_bytes(records)
    program = t.start(None, wine_path(t.folder / "short.rec"))  # played once at the start
    caption = lambda: program.window(program.main.hwnd).text  # noqa: E731
    wait_until("the run played at the start, then the caption idle", lambda: ("keyup 66" in target.lines(), caption()),
               lambda s: s == (True, "short.rec"))
    program.choose("c")
    # The target has the keyboard and the pointer stands where the run's first move puts it: under Wine, a window
    # that takes the focus or the pointer reads the keyboard from X again, where the starting chord may still be held.
    target.focus()
    move(x, y)
    for i, letter in enumerate("pppppppppprrrp"):
        hotkey("p")
        # The start of the second run or a later one, which the caption shows in time. (The record chord cuts the
        # recording where the playback is, so the runs may get shorter and lose the click.)
        wait_until(f"press {i}: the caption showing the second run or a later one", caption,
                   lambda c: (m := re.match(r"播放 .*\((\d+)/0\*\)", c)) and int(m[1]) >= 2)
        time.sleep(random.uniform(0, 0.85))  # a moment of the run, chosen after its start: a pace, not a wait
        xdotool("keydown", f"ctrl+shift+alt+{letter}")  # all at once, as a quick hand presses a chord
        # A short hold; the last press is held on past the stop, through the letter's auto-repeat.
        time.sleep(random.uniform(0.05, 0.15)) if i < 13 else (program.wait_caption("short.rec"), time.sleep(1.0))
        xdotool("keyup", letter, "alt+shift+ctrl")
        program.wait_caption("short.rec", f" after press {i} of Ctrl+Shift+Alt+{letter.upper()}")
        lines = target.settled()
        expect_equal((caption(), keys_left_down(lines)), ("short.rec", []),
                     f"the caption once the log stays unchanged after press {i}, and the keys left down")


test_every_quick_press_of_a_chord_stops_the_playback.long = True  # taken first by runs side by side
