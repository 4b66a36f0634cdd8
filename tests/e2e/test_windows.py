"""Clicks and keys find their window wherever it moved and however late it opens, or the playback stops when it never
comes. The other window, of another class and the same title, stands where the target stood when the input was
recorded: it would get whatever a playback played at the recorded places or to the foreground window."""
import re
import struct
import subprocess

from harness import (BOX_CLASS, IDLE, ROOT, TARGET_CLASS, TARGET_TITLE, Program, Target, check, check_runs,
                     click_lines, expect_equal, hotkey, is_filler, key_lines, runs_in, wait_until, wine_path)
from test_record_play import CLICK_AT, RECORDING, Caption, play, record, red_in_record_button

ELSEWHERE, LATE = (560, 420), (120, 440)  # clear of each other, of the first place and of the program's window


def got_nothing(other, what):
    expect_equal([line for line in other.settled() if not is_filler(line)], [],
                 f"{what}: what the other window got but modifier and chord keys and button ups")


def test_a_moved_window_and_a_late_one_get_the_click_and_the_keys(t):
    # Recording, the record button is red and the title line counts the time; playing, it shows the run (1/1).
    program = t.start("[Kestrova]\r\nwindow_wait=60\r\n")  # the late window comes within it on a busy machine too
    target, caption = Target(t), Caption(program)
    expect_equal(red_in_record_button(t, program, "record_button_idle"), 0, "red pixels in the idle record button")
    # Typed first: the keys need the target brought to the foreground, not the click.
    run = record(target, caption, "tern", while_recording=lambda: wait_until(
        "the record button red (build/e2e/shots/recording-*.png)",
        lambda: red_in_record_button(t, program, "recording"), lambda red: red >= 100))
    check(all(re.match(r"录制 00:0\d$", c) for c in caption.seen if RECORDING.match(c)),
          f"captions while recording: {caption.seen}, expected 录制 00:0x")
    wait_until("the record button no longer red (build/e2e/shots/record_button_stopped-*.png)",
               lambda: red_in_record_button(t, program, "record_button_stopped"), lambda red: red == 0)
    target.move_to(*ELSEWHERE)
    other = Target(t, "other", "KestrovaE2EOther")
    for speed in ("normal", "fast"):
        program.choose("f") if speed == "fast" else None
        other.focus()  # the keyboard, and the pointer where the recording began
        target.clear()
        play(target, caption, run, 1, f"the moved target at {speed} speed")
        got_nothing(other, f"{speed} speed")
    check(("1", "1", "") in caption.counters(), f"captions: {caption.seen}, expected 播放 mm:ss (1/1)")
    target.stop()
    wait_until("the target closed", lambda: [w for w in t.probe.windows() if w.cls == TARGET_CLASS], lambda w: not w)
    other.focus()
    hotkey("p")
    caption.wait("the title line waiting for the target", lambda c: c == f"等待窗口: {TARGET_TITLE}")
    t.shot("waiting_for_window", program.main.rect)
    late = Target(t, "late", at=LATE, delay=2000)
    wait_until("the run in the late target, then the caption idle", lambda: (runs_in(late.lines(), run)[0], caption()),
               lambda s: s == (1, IDLE))
    check_runs(late.settled()[1:], run, 1, "the late target")  # after its line "ready"
    got_nothing(other, "the late target")


def copy_ends(t, other):
    """The exit code of the self-playing copy, which shows no window and leaves no key down, started with the keyboard
    in the other window."""
    other.focus()
    copy = Program(t, t.folder / "player.exe")

    def ended():
        shown = [w for w in copy.windows() if w.visible]
        check(not shown, f"the copy shows windows: {shown}")
        return copy.proc.poll()
    code = wait_until("the copy to end", ended, lambda c: c is not None)
    expect_equal(t.probe.keys_down(), set(), f"keys down after the copy ended with {code}")
    got_nothing(other, f"the copy that ended with {code}")
    return code


def test_a_window_that_never_comes_ends_the_playback_and_old_recordings_play_as_before(t):
    # Ctrl held (for a Ctrl+click) and a click into the target's client area as it stood at its first place, then a
    # word: the note of that window before the click, as a recording made now has it, in one file; none in the other,
    # as in one made before window notes.
    other, run = Target(t, "other", "KestrovaE2EOther"), click_lines(*CLICK_AT) + key_lines("owl")
    settings, macros = "[Kestrova]\r\nwindow_wait=1\r\n", t.folder / "my macros"
    (x, y), texts = other.point(*CLICK_AT), (TARGET_CLASS + "\0" + TARGET_TITLE + "\0").encode()
    texts += bytes(-len(texts) % 12)
    note = struct.pack("<5I", 0x8057, 40, 40, 10500, 360 | 240 << 16) + b"".join(
        struct.pack("<I8sI4s", 0x8058, texts[i:i + 8], 10500, texts[i + 8:i + 12]) for i in range(0, len(texts), 12))
    records = [(0x201, x, y, 10500), (0x202, x, y, 10600), (0x101, 17, 0, 10650)] + [
        (m, ord(c), 0, 10700 + 100 * i) for i, c in enumerate("OWL") for m in (0x100, 0x101)]
    macros.mkdir()
    first = struct.pack("<10I", 0x200, x, y, 10000, 0, 0x100, 17, 0, 10400, 0)  # the opening move, and Ctrl down
    for name, notes in (("never came", note), ("old one", b"")):
        (macros / f"{name}.rec").write_bytes(first + notes + b"".join(struct.pack("<5I", *r, 0) for r in records))
    other.focus()
    # Played at once, from a path with blanks on the command line, with no target anywhere.
    program = t.start(settings, wine_path(macros / "never came.rec"))
    box = wait_until("the box naming the window that never came, within the wait and a few seconds", lambda:
                     program.shown(BOX_CLASS), lambda boxes: len(boxes) == 1, within=1 + 8)[0]
    t.shot("window_never_came", box.rect)
    # (The keys it leaves down the copy below shows: Wine reads them again from X as the box takes the keyboard.)
    expect_equal(([c.text for c in program.children(box) if c.cls == "Static" and c.text], box.text),
                 ([f'窗口没有出现:\n\n"{TARGET_TITLE}"\n{TARGET_CLASS}'], IDLE), "the box's text and caption")
    program.answer(box)
    program.wait_caption("never came.rec")
    got_nothing(other, "a window that never came")

    (t.folder / "player.ini").write_text(settings)
    subprocess.run([ROOT / "build/tool/kestrova-rec", "compile", macros / "never came.rec", "--stub",
                    t.image, "-o", t.folder / "player.exe"], check=True, timeout=60)
    expect_equal(copy_ends(t, other), 2, "exit code of the copy whose window never came")
    target = Target(t, at=ELSEWHERE)
    target.cleared()
    expect_equal(copy_ends(t, other), 0, "exit code of the copy that played into the target elsewhere")
    check_runs(target.settled(), run, 1, "the copy, into the target elsewhere")

    program.stop()
    other.focus()
    target.clear()
    t.start(settings, wine_path(macros / "old one.rec"))
    wait_until("the old recording's run in the other window", lambda: runs_in(other.lines(), run)[0], bool)
    check_runs(other.settled(), run, 1, "the old recording, at the recorded places")
    expect_equal([line for line in target.lines() if not is_filler(line)], [], "what the target elsewhere got")
