"""The shell of the program, seen from outside: the main window, the tips in
its caption, the box for "no recording", closing, and the settings file."""
from harness import Failure, centre, check, click, expect_equal, key, move, wait_until

TIPS = ["打开 (O)", "保存", "录制 (ctl+shift+alt+R)", "粘贴 (ctl+shift+alt+P)", "编译", "选项 (Enter)"]
NO_RECORDING = "没有记录\n\n按下蓝色按钮,重新开始录制"
PRODUCT = "Kestrova"
WS_EX_TOPMOST_TOOLWINDOW = 0x88
MAIN_STYLE = 0x86C80000
WS_VISIBLE = 0x10000000
IDOK = 1
PLAY = 3

BUTTON_LEFT, BUTTON_TOP, BUTTON_SIZE, BUTTON_PITCH = 5, 5, 16, 21


def outer_size(m):
    return 2 * m["cxdlgframe"] + 131, m["cysmcaption"] + 2 * m["cxdlgframe"] + 26


def button_centre(window, i):
    """Screen point at the middle of button i's picture."""
    return (window.client[0] + BUTTON_LEFT + BUTTON_PITCH * i + BUTTON_SIZE // 2,
            window.client[1] + BUTTON_TOP + BUTTON_SIZE // 2)


def close_box(window, m):
    """Screen point in the middle of the close box at the right end of the
    small caption."""
    left, top, right, _ = window.rect
    return (right - m["cxdlgframe"] - m["cxsmsize"] // 2 - 1, top + m["cydlgframe"] + m["cysmcaption"] // 2)


def start_idle(t, settings=None):
    """Starts the program with the mouse parked away from where it opens;
    returns the program and its main window."""
    move(1, 1)
    program = t.start(settings)
    return program, program.main_window()


def no_recording_box(t, program, main):
    """Waits for the box that says there is no recording and checks it."""
    box = program.wait_window("#32770", owner=main.hwnd)
    expect_equal(box.owner, main.hwnd, "owner of the message box")
    expect_equal(box.text, PRODUCT, "caption of the message box")
    children = t.probe.children(box.hwnd)
    statics = [c.text for c in children if c.cls == "Static" and c.text]
    expect_equal(statics, [NO_RECORDING], "texts in the message box")
    buttons = [(c.id, c.visible) for c in children if c.cls == "Button"]
    expect_equal(buttons, [(IDOK, True)], "buttons of the message box (id, visible)")
    return box, children


def close_and_wait(t, program, main, m):
    x, y = close_box(main, m)
    click(x, y)
    return program.wait_exit()


def read_settings(path):
    """The keys of the [Kestrova] section, each with every value it has."""
    check(path.exists(), f"expected a settings file {path}, there is none")
    keys, section = {}, None
    for line in path.read_bytes().decode("ascii").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
        elif "=" in line and section == "Kestrova":
            name, _, value = line.partition("=")
            keys.setdefault(name.strip(), []).append(value.strip())
    return keys


def settings_text(x, y, tips=1, speed=0):
    return f"[Kestrova]\r\nwindow_x={x}\r\nwindow_y={y}\r\ntips={tips}\r\nspeed={speed}\r\n"


def check_saved(t, program, main, m, x, y, tips=1, speed=0):
    expect_equal(close_and_wait(t, program, main, m), 0, "exit code after the close box")
    expected = {"window_x": [str(x)], "window_y": [str(y)], "tips": [str(tips)], "speed": [str(speed)]}
    expect_equal(read_settings(t.folder / "kestrova.ini"), expected, "settings file after exit")


def test_fresh_window(t):
    m = t.metrics()
    _, main = start_idle(t)
    width, height = outer_size(m)
    expect_equal(main.text, PRODUCT, "caption")
    expect_equal(main.cls, "KestrovaClass", "class")
    expect_equal((main.width, main.height), (width, height), "outer size (width, height)")
    expect_equal(main.rect[:2], (m["cxscreen"] // 2 - width // 2, m["cyscreen"] // 2 - height // 2),
                 "outer left, top (centred)")
    check(main.exstyle & WS_EX_TOPMOST_TOOLWINDOW == WS_EX_TOPMOST_TOOLWINDOW,
          f"ex-style {main.exstyle:#x} lacks topmost and tool window ({WS_EX_TOPMOST_TOOLWINDOW:#x})")
    expect_equal(hex(main.style & ~WS_VISIBLE), hex(MAIN_STYLE), "style (without WS_VISIBLE)")
    check(main.style & WS_VISIBLE, f"style {main.style:#x}: the window is not visible")
    client_height = main.client[3] - main.client[1]
    expect_equal((main.client[2] - main.client[0], client_height), (131, 26), "client size")

    # The six pictures, once painted: each has picture pixels that differ from
    # the button face, no two are alike, and the gaps between them are bare.
    ox, oy = main.client[0] - main.rect[0], main.client[1] - main.rect[1]

    def toolbar():
        pixels = t.shot("window", main.rect)
        face = pixels[oy + 2][ox + 2]
        pictures, bare = [], True
        for i in range(6):
            x0, y0 = ox + BUTTON_LEFT + BUTTON_PITCH * i, oy + BUTTON_TOP
            pictures.append(tuple(tuple(pixels[y][x0:x0 + BUTTON_SIZE]) for y in range(y0, y0 + BUTTON_SIZE)))
            if i < 5:
                gap = x0 + BUTTON_SIZE
                bare &= all(p == face for y in range(y0, y0 + BUTTON_SIZE) for p in pixels[y][gap:gap + 5])
        drawn = [sum(p != face for row in pic for p in row) for pic in pictures]
        return {"picture pixels per button": drawn, "distinct pictures": len(set(pictures)), "gaps bare": bare}

    wait_until("six distinct toolbar pictures with bare gaps (see build/e2e/shots/window.png)", toolbar,
               lambda v: min(v["picture pixels per button"]) >= 40 and v["distinct pictures"] == 6
               and v["gaps bare"])


def test_button_tips(t):
    m = t.metrics()
    program, main = start_idle(t)
    left, top, right, bottom = main.rect
    frame = main.client[0] - left
    expect_equal(frame, m["cxdlgframe"], "client left minus outer left")

    def tip_at(x):
        column = min(5, max(0, (x - left - 2) // BUTTON_PITCH))
        return TIPS[column]

    points = [("the outer top-left corner", left, top, TIPS[0]),
              ("just left of the window", left - 1, top, PRODUCT),
              ("the outer right and bottom edge", right, bottom, TIPS[5]),
              ("just right of the window", right + 1, bottom, PRODUCT)]
    for i in range(6):
        x, y = button_centre(main, i)
        points.append((f"the middle of button {i}", x, y, TIPS[i]))
    # The tip column counts from the outer left, a frame's width left of the
    # client: the last column of the play picture already shows the next tip.
    x = main.client[0] + BUTTON_LEFT + BUTTON_PITCH * PLAY + BUTTON_SIZE - 1
    points.append(("the last column of the play picture", x, main.client[1] + 10, tip_at(x)))
    points.append(("(1, 1), off the window", 1, 1, PRODUCT))

    expect_equal(main.text, PRODUCT, "caption before hovering")
    for where, x, y, expected in points:
        move(x, y)
        try:
            program.wait_caption(main.hwnd, expected, timeout=10)
        except Failure as failure:
            raise Failure(f"mouse at {where} ({x}, {y}): {failure}") from None


def test_play_without_recording(t):
    program, main = start_idle(t)
    click(*button_centre(main, PLAY))
    box, children = no_recording_box(t, program, main)
    (text,) = [c for c in children if c.text == NO_RECORDING]
    program.take_keyboard(box, centre(text.rect))

    def dark_pixels_in_text():
        pixels = t.shot("no_recording", box.rect)
        rows = pixels[text.rect[1] - box.rect[1]:text.rect[3] - box.rect[1]]
        return sum(sum(p) < 240 for row in rows for p in row[text.rect[0] - box.rect[0]:text.rect[2] - box.rect[0]])

    wait_until("the text painted in the box (see build/e2e/shots/no_recording.png)", dark_pixels_in_text,
               lambda dark: dark >= 100)
    key("Return")
    program.wait_gone(box.hwnd)
    after = program.find("KestrovaClass")
    expect_equal([w.hwnd for w in after], [main.hwnd], "main windows after the box closed")
    expect_equal(program.find("#32770"), [], "message boxes after Enter")


def test_close_box(t):
    m = t.metrics()
    program, main = start_idle(t)
    expect_equal(close_and_wait(t, program, main, m), 0, "exit code after the close box")
    ini = t.folder / "kestrova.ini"
    if ini.exists():
        raise Failure(f"{ini} exists after exit, but there was none at start: {ini.read_bytes()[:200]!r}")


def test_settings_file_made_while_running_is_removed(t):
    # Without a settings file at start the program keeps none: one that turns
    # up while it runs is gone after exit too.
    m = t.metrics()
    program, main = start_idle(t)
    ini = t.folder / "kestrova.ini"
    ini.write_bytes(settings_text(100, 200).encode("ascii"))
    expect_equal(close_and_wait(t, program, main, m), 0, "exit code after the close box")
    if ini.exists():
        raise Failure(f"{ini} still exists after exit: {ini.read_bytes()[:200]!r}")


def test_settings_kept_position(t):
    m = t.metrics()
    program, main = start_idle(t, settings_text(100, 200))
    expect_equal(main.rect[:2], (100, 200), "outer left, top from window_x=100 window_y=200")
    check_saved(t, program, main, m, 100, 200)


def test_settings_clamped_to_top_left(t):
    m = t.metrics()
    program, main = start_idle(t, settings_text(3, 2))
    expect_equal(main.rect[:2], (5, 5), "outer left, top from window_x=3 window_y=2")
    check_saved(t, program, main, m, 5, 5)


def test_settings_clamped_to_bottom_right(t):
    m = t.metrics()
    program, main = start_idle(t, settings_text(5000, 5000))
    width, height = outer_size(m)
    corner = (m["cxscreen"] - width, m["cyscreen"] - height)
    expect_equal(main.rect[:2], corner, "outer left, top from window_x=5000 window_y=5000")
    expect_equal(main.rect[2:], (m["cxscreen"], m["cyscreen"]), "outer right, bottom")
    check_saved(t, program, main, m, *corner)


def test_click_in_gap_below_play(t):
    program, main = start_idle(t)
    # Client x 65..85 is the play button's column; its picture covers 68..83
    # and 5..20, so (85, 23) is bare face right of and below it.
    x, y = main.client[0] + 85, main.client[1] + 23
    click(x, y)
    box, children = no_recording_box(t, program, main)
    (ok,) = [c for c in children if c.id == IDOK]
    click((ok.rect[0] + ok.rect[2]) // 2, (ok.rect[1] + ok.rect[3]) // 2)
    program.wait_gone(box.hwnd)
    expect_equal([w.hwnd for w in program.find("KestrovaClass")], [main.hwnd], "main windows after OK")
