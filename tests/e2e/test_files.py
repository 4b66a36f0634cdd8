"""Recording files and self-playing copies seen from outside: a recording written here is opened and saved through the
real file dialogs and played from the play button, and compiled into a copy that plays it hidden and ends (or plays
another recording it is given, or warns when a byte was appended). (test_windows plays one from the command line.) An Authenticode signature (osslsigncode, with a certificate made on the spot) appended to the program or to
a self-playing copy is no recording."""
import struct
import subprocess

from harness import (BOX_CLASS, COMPILE, IDLE, OPEN, PLAY, ROOT, SAVE, Program, Target, check, check_runs, click,
                     click_lines, expect_equal, hotkey, is_filler, key_lines, move, runs_in, type_keys, wait_until,
                     wine_path)

STUB_SIZE = 32768
RECORD = struct.Struct("<5I")
CLICK_AT = (120, 100)  # in the target's client area
# Keys played with the extended-key flag (Delete, Left, Ctrl: the right one) and without it (the letters).
EXTENDED = [(46, True), (37, True), (17, True)]


def macro(t, target, word):
    """A recording made by hand, and the target's lines when it is played: a click into the target (which gives it the
    keyboard), the word and the extended keys, and a click at the same point more than a double-click time later.
    The first click comes three fifths of a double-click time into a run: only the pause of half a double-click time
    after a run that played a click keeps it from making a double click with the last click of the run before."""
    (x, y), double = target.point(*CLICK_AT), t.session.metrics["dblclk"]
    keys = [(ord(letter.upper()), False) for letter in word] + EXTENDED
    records, tick = [], 10000

    def add(message, low, high, delay):
        nonlocal tick
        tick += delay
        records.append(RECORD.pack(message, low, high, tick, 0x10010))

    add(0x200, x, y, 0)
    add(0x201, x, y, double * 3 // 5)
    add(0x202, x, y, 100)
    for vk, _ in keys:
        add(0x100, vk, 0, 80)
        add(0x101, vk, 0, 80)
    add(0x201, x, y, max(80, double + 200 - 160 * len(keys)))
    add(0x202, x, y, 100)
    return b"".join(records), click_lines(*CLICK_AT) + key_lines(keys) + click_lines(*CLICK_AT)


def through_dialog(t, program, button, proposed, file_type, name, replace=False):
    """Clicks the button and types the path of the name in the case's folder into its file dialog (which starts where
    it was last used, maybe in another test's folder), after checking the name and type it proposes; with `replace`,
    answers Yes when the dialog asks whether to replace the file that is there."""
    program.push(button)
    dialog = program.wait_window(BOX_CLASS, program.main.hwnd)
    edit = program.child(dialog, "the dialog's file-name box", lambda c: c.cls == "Edit" and c.visible)
    shown = program.child(dialog, "the dialog's file-type box", lambda c: c.id == 1136 and c.cls == "ComboBox").text
    expect_equal((edit.text, shown), (proposed, file_type), "name and file type the dialog proposes")
    program.type_into(dialog, edit, wine_path(t.folder / name),
                      then=replace and (lambda: program.answer(program.wait_window(BOX_CLASS, dialog.hwnd), "y")))


def wait_runs(target, run, runs, what, copy=None):
    """Waits for `runs` copies of the run in the target's log, while the self-playing copy (when given) shows no
    window; checks the log."""
    def progress():
        shown = copy and [w for w in copy.windows() if w.visible]
        check(not shown, f"{what}: the self-playing copy shows windows: {shown}")
        lines = target.lines()
        return runs_in(lines, run)[0], lines
    wait_until(f"{what}: {runs} runs of {run} in the target's log", progress, lambda p: p[0] >= runs)
    lines = target.settled()
    check_runs(lines, run, runs, what)
    return lines


def test_open_and_save_through_the_dialogs_and_play(t):
    # The recording holds records behind an end marker: never played, but part of it. A file that is none leaves it
    # in place, and an editor's backup name beside the saved file (here a folder) is never touched.
    program, target = t.start(), Target(t)
    data, run = macro(t, target, "wren")
    data += bytes(20) + data[20:40]
    (t.folder / "my macro.rec").write_bytes(data)
    (t.folder / "no macro.rec").write_bytes(b"text")
    (t.folder / "saved.rec~").mkdir()
    through_dialog(t, program, OPEN, "", "记录文件 (*.rec)", "my macro.rec")
    program.wait_caption("my macro.rec")
    # Saved again under its own name, the most common save of all, over a file that has changed since.
    (t.folder / "my macro.rec").write_bytes(data[:20])
    through_dialog(t, program, SAVE, "my macro.rec", "记录文件 (*.rec)", "my macro.rec", replace=True)
    wait_until("the recording saved over its own file", (t.folder / "my macro.rec").read_bytes, data.__eq__)
    through_dialog(t, program, OPEN, "", "记录文件 (*.rec)", "no macro.rec")
    program.answer(program.box(wine_path(t.folder / "no macro.rec")))
    through_dialog(t, program, SAVE, "my macro.rec", "记录文件 (*.rec)", "saved")
    program.wait_caption("saved.rec")
    expect_equal(((t.folder / "saved.rec").read_bytes(), sorted(f.name for f in t.folder.glob("*.rec*"))),
                 (data, ["my macro.rec", "no macro.rec", "saved.rec", "saved.rec~"]),
                 "the saved recording, and the files the saves left")
    expect_equal(list(t.folder.glob("*.tmp")), [], "work files left")
    target.clear()
    program.push(PLAY)
    wait_runs(target, run, 1, "played from the play button after opening")
    # The file holds no scan codes: each key comes with its own all the same, for programs that read those.
    expect_equal({(int(w[1]), int(w[-1])) for w in map(str.split, target.lines(scans=True)) if w[-2:-1] == ["scan"]},
                 {(87, 0x11), (82, 0x13), (69, 0x12), (78, 0x31), (46, 0x53), (37, 0x4B), (17, 0x1D)},
                 "keys played and their scan codes as the target got them (set 1: W, R, E, N, Delete, Left, Ctrl)")


def test_a_name_given_its_ending_is_asked_about_before_it_is_replaced(t):
    # The dialogs ask about demo.v2 and tool.v2, which are no files; the program then asks about the files it would
    # write. Return (its default: No) writes nothing, Y replaces the file.
    program, records = t.start(), RECORD.pack(0x200, 5, 5, 10000, 0) + RECORD.pack(0x200, 6, 6, 10100, 0)
    (t.folder / "new.rec").write_bytes(records)
    (t.folder / "demo.v2.rec").write_bytes(b"yesterday's recording")
    (t.folder / "tool.v2.exe").write_bytes(b"yesterday's tool")
    through_dialog(t, program, OPEN, "", "记录文件 (*.rec)", "new.rec")
    for button, proposed, kind, typed, name in ((SAVE, "new.rec", "记录文件 (*.rec)", "demo.v2", "demo.v2.rec"),
                                                (COMPILE, "demo.v2", "程序文件 (*.exe)", "tool.v2", "tool.v2.exe")):
        old = (t.folder / name).read_bytes()
        for answer in ("Return", "y"):
            # Asked a second time, the program has done all it does after the first answer.
            through_dialog(t, program, button, proposed, kind, typed)
            box = program.box(wine_path(t.folder / name))
            expect_equal(([c.text for c in program.children(box) if c.cls == "Static" and c.text],
                          (t.folder / name).read_bytes(), list(t.folder.glob("*.tmp"))),
                         (["文件已存在。\n要替换它吗?"], old, []), f"the question about {name}, and the files then")
            program.answer(box, answer)
        program.answer(program.box("Kestrova")) if button == COMPILE else program.wait_caption(name)
        got = (t.folder / name).read_bytes()
        expect_equal((len(got), got[-len(records):], list(t.folder.glob("*.tmp"))),
                     (len(records) + STUB_SIZE * (button == COMPILE), records, []), f"{name} after Y, and work files")


def test_a_click_plays_where_it_was_made_and_a_stopped_playback_saves_whole(t):
    # Record 0 is a zero record (which plays nothing), and the click has no move before it: played from the play
    # button, it must still land in the target. The click comes 10 s into a run, so a second click on the play button
    # stops the playback before it, even on a busy machine.
    program, target = t.start(), Target(t)
    (x, y), word = target.point(*CLICK_AT), "tern"
    records = [(0, 0, 0, 10000), (0x201, x, y, 20000), (0x202, x, y, 20100)]
    records += [(message, ord(letter.upper()), 0, 20200 + 100 * i) for i, letter in enumerate(word)
                for message in (0x100, 0x101)]
    data = b"".join(RECORD.pack(*record, 0x10010) for record in records)
    (t.folder / "first click.rec").write_bytes(data)
    through_dialog(t, program, OPEN, "", "记录文件 (*.rec)", "first click.rec")
    program.wait_caption("first click.rec")
    target.clear()
    program.push(PLAY)
    program.push(PLAY)
    through_dialog(t, program, SAVE, "first click.rec", "记录文件 (*.rec)", "after the stop")  # only while idle
    program.wait_caption("after the stop.rec")
    expect_equal(((t.folder / "after the stop.rec").read_bytes(), [line for line in target.lines() if "down" in line]),
                 (data, []), "the recording saved whole after the stopped playback, which played no click")
    program.push(PLAY)
    wait_runs(target, click_lines(*CLICK_AT) + key_lines(word), 1, "played from the play button")


def test_compiled_copies(t):
    program, target = t.start(), Target(t)
    data, run = macro(t, target, "heron")
    (t.folder / "heron.REC").write_bytes(data)
    through_dialog(t, program, OPEN, "", "记录文件 (*.rec)", "heron.REC")
    through_dialog(t, program, COMPILE, "heron", "程序文件 (*.exe)", "player")
    program.answer(program.box("Kestrova"))
    # Compiled again over the first copy, now to play twice.
    program.set_repeat_count(2)
    through_dialog(t, program, COMPILE, "heron", "程序文件 (*.exe)", "player", replace=True)
    box, size = program.box("Kestrova"), STUB_SIZE + len(data)
    expect_equal([c.text for c in program.children(box) if c.cls == "Static" and c.text],
                 [f"编译成功: \"player.exe\"\n\n文件大小:  {size // 1024}k"], "compile result")
    t.shot("compiled", box.rect)
    program.answer(box)
    compiled = (t.folder / "player.exe").read_bytes()
    expect_equal((len(compiled), compiled[STUB_SIZE:]), (size, data), "size of the copy, and the records behind it")
    check(b"00002" in compiled[:STUB_SIZE] and b"@@@@@" not in compiled and b"$$$$$" not in compiled,
          "the repeat count 2 in the image, in place of the markers")
    subprocess.run([ROOT / "build/tool/kestrova-rec", "compile", t.folder / "heron.REC", "--stub", t.image, "--repeat",
                    "2", "-o", t.folder / "by the tool.exe"], check=True, timeout=60)
    check((t.folder / "by the tool.exe").read_bytes() == compiled, "kestrova-rec compile writes the same bytes")

    other, other_run = macro(t, target, "crane")
    (t.folder / "other one.rec").write_bytes(other)
    for what, args, played, runs in (("the copy, repeat count 2", (), run, 2),
                                     ("the copy given another recording", (wine_path(t.folder / "other one.rec"),),
                                      other_run, 1)):
        target.focus()
        copy = Program(t, t.folder / "player.exe", *args)
        lines = wait_runs(target, played, runs, what, copy)
        expect_equal((runs_in(lines, run)[0] if played != run else 0, copy.wait_exit()), (0, 0),
                     f"{what}: runs of its own recording besides, and exit code")

    target.focus()
    copy = Program(t, t.folder / "player.exe")
    wait_until("the copy playing into the target", target.lines, lambda lines: [x for x in lines if not is_filler(x)])
    hotkey("r")
    expect_equal(copy.wait_exit(), 0, "exit code of the copy after the record chord")

    (t.folder / "broken.exe").write_bytes(compiled + b"\0")
    target.focus()
    copy = Program(t, t.folder / "broken.exe")
    box = copy.wait_window(BOX_CLASS)
    expect_equal(box.text.lower(), wine_path(t.folder / "broken.exe").lower(), "caption of the warning: its own path")
    expect_equal([c.text for c in copy.children(box) if c.cls == "Static" and c.text], ["不是一个有效的记录"],
                 "text of the warning")
    expect_equal([w for w in copy.windows() if w.visible and w.hwnd != box.hwnd], [], "windows besides the warning")
    copy.answer(box)
    expect_equal(copy.wait_exit(), 0, "exit code after the warning")
    expect_equal([line for line in target.lines() if not line.startswith("lbuttonup")], [],
                 "what the target got from the broken copy")


def signed(t, source, name):
    """The file signed into the case's folder under the name."""
    key, cert = t.folder / "key.pem", t.folder / "cert.pem"
    if not cert.exists():
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=Kestrova test",
                        "-days", "1", "-keyout", key, "-out", cert], check=True, capture_output=True, timeout=120)
    subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-in", source, "-out", t.folder / name],
                   check=True, capture_output=True, timeout=120)
    return t.folder / name


def certificate_entry(image):
    """Where the certificate-table entry lies: 24 bytes past "PE\\0\\0" the optional header, in it the entry at 128
    (at 144 in a 64-bit image)."""
    optional = struct.unpack_from("<I", image, 0x3c)[0] + 24
    return optional + (144 if image[optional:optional + 2] == b"\x0b\x02" else 128)


def test_signed_program_compiles_a_copy_that_plays_signed(t):
    target = Target(t)
    data, run = macro(t, target, "heron")  # 21 records: the copy's signature is padded to 8 bytes with 4
    (t.folder / "heron.rec").write_bytes(data)
    exe = signed(t, t.image, "signed.exe")
    program = t.start(image=exe)
    expect_equal(program.main.text, IDLE, "caption of the signed program")
    through_dialog(t, program, OPEN, "", "记录文件 (*.rec)", "heron.rec")
    target.clear()
    program.push(PLAY)
    wait_runs(target, run, 1, "played in the signed program, which stays open for the compile")
    through_dialog(t, program, COMPILE, "heron", "程序文件 (*.exe)", "player")
    program.answer(program.box("Kestrova"))

    image = bytearray(exe.read_bytes()[:STUB_SIZE])
    at = certificate_entry(image)
    expect_equal(struct.unpack_from("<I", image, at)[0], STUB_SIZE, "the signed program's certificate table")
    image[at:at + 8] = bytes(8)
    want = bytes(image).replace(b"@@@@@", b"00001").replace(b"$$$$$", b"00000") + data
    got = (t.folder / "player.exe").read_bytes()
    check(got == want, f"the copy: {len(got)} bytes, first difference at "
          f"{next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))}; expected the "
          f"signed program's image without its entry, then the {len(data)} bytes of records")

    copy = signed(t, t.folder / "player.exe", "signed player.exe")
    expect_equal(struct.unpack_from("<I", copy.read_bytes(), at)[0], len(want) + 4, "the signed copy's table")
    target.focus()
    player = Program(t, copy)
    wait_runs(target, run, 1, "the signed copy", player)
    expect_equal(player.wait_exit(), 0, "exit code of the signed copy")


def test_a_recording_that_begins_with_a_click_opens_again_and_compiles(t):
    # The cursor stands where the click is made before the record chord: nothing moves before the click.
    program, target = t.start(), Target(t)
    target.focus()
    (x, y), word = target.point(*CLICK_AT), "owl"
    move(x, y)
    hotkey("r")
    wait_until("the recording clock", lambda: program.window(program.main.hwnd).text, lambda c: c.startswith("录制"))
    click(x, y), type_keys(word), hotkey("r"), program.wait_caption(IDLE)
    through_dialog(t, program, SAVE, "", "记录文件 (*.rec)", "owl")
    program.wait_caption("owl.rec")
    expect_equal(RECORD.unpack_from((t.folder / "owl.rec").read_bytes())[:3], (0x200, x, y),
                 "record 0 of the saved recording: a move to the click")
    through_dialog(t, program, OPEN, "", "记录文件 (*.rec)", "owl.rec")
    target.cleared()
    program.push(PLAY)
    wait_runs(target, click_lines(*CLICK_AT) + key_lines(word), 1, "played after opening the saved recording again")
    through_dialog(t, program, COMPILE, "owl", "程序文件 (*.exe)", "owl player")
    program.answer(program.box("Kestrova"))
    target.focus()
    copy = Program(t, t.folder / "owl player.exe")
    wait_runs(target, click_lines(*CLICK_AT) + key_lines(word), 1, "the copy compiled from it", copy)
    expect_equal(copy.wait_exit(), 0, "exit code of the copy")
