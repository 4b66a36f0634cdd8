"""The shell seen from outside: the main window and its toolbar, the tips in its caption, the no-recording box,
closing, and the settings file."""
from harness import (BUTTON_LEFT, BUTTON_PITCH, BUTTON_SIZE, BUTTON_TOP, IDLE, MAIN_CLASS, PLAY, centre, check,
                     click, expect_equal, move, read_settings, settings_text, wait_until)

TIPS = ["打开 (O)", "保存", "录制 (ctl+shift+alt+R)", "粘贴 (ctl+shift+alt+P)", "编译", "选项 (Enter)"]
NO_RECORDING = "没有记录\n\n按下蓝色按钮,重新开始录制"


def outer_size(m):
    return 2 * m["cxdlgframe"] + 131, m["cysmcaption"] + 2 * m["cxdlgframe"] + 26


def test_fresh_window(t):
    m, main = t.session.metrics, t.start().main
    width, height = outer_size(m)
    left, top = m["cxscreen"] // 2 - width // 2, m["cyscreen"] // 2 - height // 2
    expect_equal((main.text, main.cls, main.rect), (IDLE, MAIN_CLASS, (left, top, left + width, top + height)),
                 "caption, class and outer rectangle (centred)")
    expect_equal((hex(main.style), main.exstyle & 0x88), (hex(0x96C80000), 0x88),
                 "style (visible, small caption, close box) and ex-style topmost tool window")
    expect_equal((main.client[2] - main.client[0], main.client[3] - main.client[1]), (131, 26), "client size")

    # Six pictures, once painted: each differs from the button face, no two are alike, and the gaps between them are
    # bare.
    ox, oy = main.client[0] - main.rect[0], main.client[1] - main.rect[1]

    def toolbar():
        pixels = t.shot("window", main.rect)
        face, pictures, bare = pixels[oy + 2][ox + 2], [], True
        for i in range(6):
            x0, y0 = ox + BUTTON_LEFT + BUTTON_PITCH * i, oy + BUTTON_TOP
            pictures.append(tuple(tuple(pixels[y][x0:x0 + BUTTON_SIZE]) for y in range(y0, y0 + BUTTON_SIZE)))
            gap = x0 + BUTTON_SIZE
            bare &= i == 5 or all(p == face for y in range(y0, y0 + BUTTON_SIZE) for p in pixels[y][gap:gap + 5])
        drawn = [sum(p != face for row in pic for p in row) for pic in pictures]
        return min(drawn), len(set(pictures)), bare

    wait_until("six distinct toolbar pictures (40 pixels or more each) with bare gaps (build/e2e/shots/window-*.png)",
               toolbar, lambda v: v[0] >= 40 and v[1:] == (6, True))


def test_button_tips(t):
    program = t.start()
    main, frame = program.main, program.main.client[0] - program.main.rect[0]
    left, top, right, bottom = main.rect
    expect_equal(frame, t.session.metrics["cxdlgframe"], "client left minus outer left")
    points = [("the outer top-left corner", left, top, TIPS[0]), ("just left of the window", left - 1, top, IDLE),
              ("the outer bottom-right edge", right, bottom, TIPS[5]), ("just right", right + 1, bottom, IDLE)]
    points += [(f"the middle of button {i}", *program.button(i), TIPS[i]) for i in range(6)]
    # The tip column counts from the outer left, a frame's width left of the client: the last column of the play
    # picture already shows the next tip.
    x = main.client[0] + BUTTON_LEFT + BUTTON_PITCH * PLAY + BUTTON_SIZE - 1
    points += [("the last column of the play picture", x, main.client[1] + 10, TIPS[min(5, (x - left - 2) // 21)]),
               ("(1, 1), off the window", 1, 1, IDLE)]
    for where, x, y, expected in points:
        move(x, y)
        program.wait_caption(expected, f" with the mouse at {where} ({x}, {y})")


def test_play_without_recording_tells_so(t):
    program = t.start()
    # A click on bare face below and right of the play picture is a play.
    bare = program.main.client[0] + 85, program.main.client[1] + 23
    for answer, spot in (("Return", program.button(PLAY)), ("the OK button", bare)):
        click(*spot, shown=False)  # a play, which may let go of the button
        box = program.box(IDLE)
        children = program.children(box)
        expect_equal([c.text for c in children if c.cls == "Static" and c.text], [NO_RECORDING], "the box's text")
        expect_equal([(c.id, c.visible) for c in children if c.cls == "Button"], [(1, True)], "its buttons (id, shown)")
        if answer == "Return":
            text = next(c for c in children if c.text == NO_RECORDING)
            wait_until("the text painted in the box (build/e2e/shots/no_recording-*.png)", lambda: t.pixels(
                "no_recording", box.rect, text.rect, lambda p: sum(p) < 240), lambda n: n >= 100)
            program.answer(box)
        else:
            click(*centre(next(c for c in children if c.id == 1).rect))
            program.wait_gone(box.hwnd)
        expect_equal([w.hwnd for w in program.shown(MAIN_CLASS)], [program.main.hwnd], f"main windows after {answer}")
        expect_equal(program.shown("#32770"), [], f"boxes after {answer}")


def test_closing_without_settings_leaves_no_settings_file(t):
    # One that turns up while it runs is removed too.
    program = t.start()
    ini = t.folder / "kestrova.ini"
    ini.write_text(settings_text(100, 200))
    expect_equal(program.close(), 0, "exit code after the close box")
    check(not ini.exists(), f"{ini} exists after exit")


def test_settings_position_kept_or_clamped(t):
    width, height = outer_size(t.session.metrics)
    corner = (t.session.metrics["cxscreen"] - width, t.session.metrics["cyscreen"] - height)
    for given, expected in [((100, 200), (100, 200)), ((3, 2), (5, 5)), ((5000, 5000), corner)]:
        program = t.start(settings_text(*given))
        expect_equal(program.main.rect[:2], expected, f"outer left, top from window_x, window_y = {given}")
        expect_equal(program.close(), 0, "exit code after the close box")
        expect_equal(read_settings(t.folder / "kestrova.ini"), {"window_x": str(expected[0]), "window_y": str(
            expected[1]), "tips": "1", "speed": "0", "follow_windows": "1", "window_wait": "10"},
            f"settings after exit (started with {given})")
