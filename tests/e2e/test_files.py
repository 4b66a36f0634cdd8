"""Recording files and self-playing copies, seen from outside: a recording
written here (a click into the tests' target window, then a word typed) is
opened and saved through the real file dialogs, played at once when its path
is given on the command line, and compiled into a program that plays it
without a window and ends; a copy with a byte too many only warns."""
import shutil
import struct
import subprocess

import harness
from harness import (Target, check, click, expect_equal, hold_keys, key, wait_keys_up, wait_until, wine_command,
                     wine_path, xdotool)
from test_options import child_with
from test_record_play import check_runs, click_lines, key_lines, runs_in, set_repeat_count, settled
from test_shell import button_centre, start_idle

BOX = "#32770"
OPEN, SAVE, COMPILE = 0, 1, 4
STUB_SIZE = 32768
NOT_RECORDING = "不是一个有效的记录"
FILTER_BOX = 1136  # the file dialog's file type box
WM_KEYDOWN, WM_KEYUP, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP = 0x100, 0x101, 0x200, 0x201, 0x202
RECORD = struct.Struct("<5I")

# Where the recorded click lands, in the target's client area.
CLICK_AT = (120, 100)



def macro(target, word):
    """A recording made by hand: a move to a point in the target, a click
    there (which gives the target the focus), then the word typed. Returns
    the file's bytes and the lines the target logs when it is played."""
    x, y = target.client_point(*CLICK_AT)
    records, tick = [], 10000

    def add(message, low, high, delay):
        nonlocal tick
        tick += delay
        records.append(RECORD.pack(message, low, high, tick, 0x10010))

    add(WM_MOUSEMOVE, x, y, 0)
    add(WM_LBUTTONDOWN, x, y, 400)  # time for the program's own window to settle
    add(WM_LBUTTONUP, x, y, 100)
    for i, letter in enumerate(word.upper()):
        add(WM_KEYDOWN, ord(letter), 0, 400 if i == 0 else 80)
        add(WM_KEYUP, ord(letter), 0, 80)
    return b"".join(records), click_lines(*CLICK_AT) + key_lines(word)


class Started(harness.Program):
    """A program in the case's folder started with command-line arguments
    (each one passed as one argument: Wine quotes those with blanks)."""

    def __init__(self, case, exe, *args):
        self.case = case
        self.exe = exe
        self.log = open(exe.parent / f"{exe.stem}.wine.log", "wb")
        self.proc = subprocess.Popen(wine_command(exe, *args), cwd=str(exe.parent), env=case.session.wine_env(),
                                     stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT)
        case.programs.append(self)
        case.session.programs.append(self)


def fresh_folder(t):
    """The case's folder, emptied, with the image in it as kestrova.exe."""
    if t.folder.exists():
        shutil.rmtree(t.folder)
    t.folder.mkdir(parents=True)
    exe = t.folder / "kestrova.exe"
    shutil.copyfile(t.image, exe)
    return exe


def file_dialog(t, program, main):
    """The file dialog the main window opened, with the keyboard focus in its
    file name box. Returns the dialog and that box."""
    dialog = program.wait_window(BOX, owner=main.hwnd)
    edit = child_with(t, dialog, lambda c: c.cls == "Edit" and c.visible, "the file name box of the dialog")
    program.take_keyboard(dialog, harness.centre(edit.rect), control=edit.hwnd)
    return dialog, edit


def file_type(t, dialog):
    return child_with(t, dialog, lambda c: c.id == FILTER_BOX and c.cls == "ComboBox", "the file type box").text


def type_name(t, program, dialog, edit, name):
    """Types the full path of the name in the case's folder over the
    dialog's file name and presses Enter. (The dialogs start in the folder
    they were last used in, which may be another test's.) Keys that went
    astray are typed again after a click into the box."""
    path = wine_path(t.folder / name)
    for attempt in range(3):
        if attempt:
            program.take_keyboard(dialog, harness.centre(edit.rect), control=edit.hwnd, click_first=True)
        key("End")
        hold_keys("shift", "Home")
        xdotool("type", "--delay", "20", path)
        try:
            wait_until(f"{path!r} in the file name box",
                       lambda: [c.text for c in t.probe.children(dialog.hwnd) if c.hwnd == edit.hwnd],
                       lambda v: v == [path], timeout=harness.WAIT if attempt == 2 else 10.0)
            break
        except harness.Failure:
            if attempt == 2:
                raise
    key("Return")
    program.wait_gone(dialog.hwnd)


def open_through_dialog(t, program, main, name):
    click(*button_centre(main, OPEN))
    dialog, edit = file_dialog(t, program, main)
    expect_equal(edit.text, "", "name proposed by the open dialog")
    expect_equal(file_type(t, dialog), "记录文件 (*.rec)", "file type shown by the open dialog")
    type_name(t, program, dialog, edit, name)
    program.wait_caption(main.hwnd, name)


def wait_runs(t, target, run, runs, what, program=None, timeout=60.0):
    """Waits until the target has logged the run `runs` times; while waiting
    (when a program is given) it must show no window at all."""
    def progress():
        shown = [w for w in program.windows() if w.visible] if program else []
        check(not shown, f"{what}: the self-playing copy shows windows: {shown}")
        return runs_in(target.lines(), run)[0]
    wait_until(f"{what}: {runs} runs of {run} in the target's log", progress, lambda n: n >= runs, timeout)
    wait_keys_up(t.probe)
    lines = settled(target)
    check_runs(lines, run, runs, what)
    return lines


def compile_through_dialog(t, program, main, proposed, name, records):
    """Compiles through the compile button and its dialog; checks the result
    box and the file. Returns the compiled program's path."""
    click(*button_centre(main, COMPILE))
    dialog, edit = file_dialog(t, program, main)
    expect_equal(edit.text, proposed, "name proposed by the compile dialog")
    expect_equal(file_type(t, dialog), "程序文件 (*.exe)", "file type shown by the compile dialog")
    type_name(t, program, dialog, edit, name)
    exe = t.folder / f"{name}.exe"
    size = STUB_SIZE + records
    box = program.wait_window(BOX, owner=main.hwnd)
    expect_equal(box.text, "Kestrova", "caption of the compile result")
    texts = [c for c in t.probe.children(box.hwnd) if c.cls == "Static" and c.text]
    expect_equal([c.text for c in texts], [f"编译成功: \"{name}.exe\"\n\n文件大小:  {size // 1024}k"],
                 "compile result")
    expect_equal(exe.stat().st_size, size, "size of the compiled program")
    program.take_keyboard(box, harness.centre(texts[0].rect))
    key("Return")
    program.wait_gone(box.hwnd)
    return exe


def test_open_and_save_through_the_dialogs(t):
    program, main = start_idle(t)
    target = Target(t)
    data, run = macro(target, "wren")
    (t.folder / "my macro.rec").write_bytes(data)
    open_through_dialog(t, program, main, "my macro.rec")

    click(*button_centre(main, SAVE))
    dialog, edit = file_dialog(t, program, main)
    expect_equal(edit.text, "my macro.rec", "name proposed by the save dialog")
    expect_equal(file_type(t, dialog), "记录文件 (*.rec)", "file type shown by the save dialog")
    type_name(t, program, dialog, edit, "saved")
    program.wait_caption(main.hwnd, "saved.rec")
    expect_equal((t.folder / "saved.rec").read_bytes(), data, "the saved recording")

    # The opened recording plays into the target: its click takes the focus.
    target.clear()
    click(*button_centre(main, 3))
    wait_runs(t, target, run, 1, "played after opening")


def test_command_line_path_with_blanks_plays_at_once(t):
    exe = fresh_folder(t)
    harness.move(1, 1)
    target = Target(t)
    data, run = macro(target, "finch")
    folder = t.folder / "my macros"
    folder.mkdir()
    (folder / "a b.rec").write_bytes(data)
    target.clear()
    program = Started(t, exe, wine_path(folder / "a b.rec"))
    main = program.main_window()
    wait_runs(t, target, run, 1, "played from the command line")
    program.wait_caption(main.hwnd, "a b.rec")
    check(program.running(), "the program goes on after playing a recording it was given")


def test_compiled_copy_plays_hidden_and_ends(t):
    program, main = start_idle(t)
    target = Target(t)
    data, run = macro(target, "heron")
    (t.folder / "heron.REC").write_bytes(data)
    open_through_dialog(t, program, main, "heron.REC")
    set_repeat_count(t, program, main, 2)
    exe = compile_through_dialog(t, program, main, "heron", "player", len(data))
    compiled = exe.read_bytes()
    expect_equal(compiled[STUB_SIZE:], data, "the records behind the image")
    check(b"00002" in compiled[:STUB_SIZE] and b"@@@@@" not in compiled and b"$$$$$" not in compiled,
          "the repeat count 2 in the image, in place of the markers")

    target.focus()
    wait_keys_up(t.probe)
    settled(target)
    target.clear()
    copy = Started(t, exe)
    wait_runs(t, target, run, 2, "the compiled copy, repeat count 2", program=copy)
    expect_equal(copy.wait_exit(), 0, "exit code of the compiled copy")


def test_compiled_copy_with_a_byte_appended_warns_and_ends(t):
    program, main = start_idle(t)
    target = Target(t)
    data, run = macro(target, "owl")
    (t.folder / "owl.rec").write_bytes(data)
    open_through_dialog(t, program, main, "owl.rec")
    exe = compile_through_dialog(t, program, main, "owl", "owl", len(data))
    broken = t.folder / "broken.exe"
    broken.write_bytes(exe.read_bytes() + b"\0")

    target.focus()
    target.clear()
    copy = Started(t, broken)
    box = copy.wait_window(BOX)
    expect_equal(box.text.lower(), wine_path(broken).lower(), "caption of the warning: the copy's own path")
    texts = [c for c in t.probe.children(box.hwnd) if c.cls == "Static" and c.text]
    expect_equal([c.text for c in texts], [NOT_RECORDING], "text of the warning")
    shown = [w for w in copy.windows() if w.visible and w.hwnd != box.hwnd]
    expect_equal(shown, [], "windows shown besides the warning")
    copy.take_keyboard(box, harness.centre(texts[0].rect))
    key("Return")
    expect_equal(copy.wait_exit(), 0, "exit code after the warning")
    expect_equal([line for line in target.lines() if not line.startswith("lbuttonup")], [],
                 "what the target received from the broken copy")


def test_compiled_copy_given_a_recording_plays_that_one(t):
    program, main = start_idle(t)
    target = Target(t)
    data, _ = macro(target, "ibis")
    (t.folder / "ibis.rec").write_bytes(data)
    open_through_dialog(t, program, main, "ibis.rec")
    exe = compile_through_dialog(t, program, main, "ibis", "ibis", len(data))
    other, run = macro(target, "crane")
    (t.folder / "other one.rec").write_bytes(other)

    target.focus()
    wait_keys_up(t.probe)
    settled(target)
    target.clear()
    copy = Started(t, exe, wine_path(t.folder / "other one.rec"))
    lines = wait_runs(t, target, run, 1, "the compiled copy given another recording", program=copy)
    check(runs_in(lines, key_lines("ibis"))[0] == 0, f"the compiled recording was played too: {lines}")
    expect_equal(copy.wait_exit(), 0, "exit code of the compiled copy")
