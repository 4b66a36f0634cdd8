"""The options menu and the message-box dialogs seen from outside: Enter opens the menu; its entries reach the repeat
prompt, help and About (whose link opens the web site), and turn the tips and saving the settings off and on."""
import os

from harness import (BOX_CLASS, centre, check, click, expect_equal, key, read_settings, settings_text,
                     wait_until)

HOST = "www.kestrova.net"
HELP = ["快速入门指南:", "", "1)按下蓝色按钮开始录制(变为红色)", "2)按下红色按钮停止录制", "3)按下绿色按钮播放", "",
        "录制也可以运行命令行中进行", "例如:kestrova C:\\recording.rec", "", "", "快捷键:", "",
        "Ctrl+ Shift+ Alt键+R - >开始/停止录制", "Ctrl+ Shift+ Alt键+P - >开始/停止播放", "O         - >打开",
        "Enter     - >显示选项", "Enter+R   - >设置重复"]


def in_client(box, child):
    """x and width of the child in the box's client area, and the client width less 150."""
    return child.rect[0] - box.client[0], child.rect[2] - child.rect[0], box.client[2] - box.client[0] - 150


def test_menu_opens_with_enter_and_closes_with_escape(t):
    program = t.start(settings_text(300, 300, tips=1, speed=1))
    main = program.main
    program.take_keyboard(main, (main.rect[0] + 10, main.rect[1] + 3))
    key("Return")
    menu = program.wait_window("#32768")
    expect_equal(menu.rect[:2], (main.rect[2] - 16, main.rect[3] - 10), "menu's top left: the window's bottom right "
                 "less (16, 10)")
    check(menu.rect[3] - menu.rect[1] > 150, f"the menu is too low for thirteen entries: {menu}")
    # Fast speed, following windows, save settings (the file is there) and tips carry marks.
    marked = [any(sum(p) < 200 for p in row[2:18]) for row in t.shot("menu", menu.rect)]
    expect_equal(sum(m and not (i and marked[i - 1]) for i, m in enumerate(marked)), 4,
                 "check marks in the menu (build/e2e/shots/menu-*.png)")
    key("Escape")
    program.wait_gone(menu.hwnd)
    expect_equal(program.shown(BOX_CLASS), [], "boxes after Escape")
    expect_equal(program.close(), 0, "exit code")
    expect_equal(read_settings(t.folder / "kestrova.ini"), {"window_x": "300", "window_y": "300", "tips": "1",
                 "speed": "1", "follow_windows": "1", "window_wait": "10"}, "settings after a menu closed with Escape")


def test_repeat_prompt_and_help(t):
    program = t.start()
    for typed, shown in (("123456", "1"), (None, "12345")):  # five digits at most
        program.choose("r")
        box = program.box("重复播放")
        edit = program.child(box, "the repeat prompt's edit box", lambda c: c.cls == "Edit")
        expect_equal((edit.text, in_client(box, edit)[0], edit.rect[3] - edit.rect[1], hex(edit.style & 0x50012080)),
                     (shown, 75, 20, "0x50012080"), "the edit box's text, x, height and style (digits only)")
        expect_equal(in_client(box, edit)[1], in_client(box, edit)[2], "edit box width (client width - 150)")
        program.type_into(box, edit, typed, typed[:5]) if typed else program.answer(box, "Escape")
    program.choose("h")
    box = program.box("Kestrova v1.45 帮助")
    texts = [c.text for c in program.children(box) if c.cls == "Static" and c.text]
    expect_equal(texts, ["".join(line + "\r\n" for line in HELP)], "texts in the help box")
    program.answer(box)


def test_about_box_link_opens_the_web_site(t):
    # A stand-in for the desktop's browser, first on the PATH that Wine's launcher searches, notes the address it is
    # given.
    opened, opener = t.folder / "opened.txt", t.folder / "xdg-open"
    opener.write_text(f'#!/bin/sh\necho "$1" >> "{opened}"\n')
    opener.chmod(0o755)
    path = os.environ["PATH"]
    os.environ["PATH"] = f"{t.folder}:{path}"
    try:
        program = t.start()
    finally:
        os.environ["PATH"] = path
    program.choose("a")
    box = program.box("关于 Kestrova")
    link = program.child(box, "the link in the About box", lambda c: c.id == 32783)
    expect_equal((link.cls, link.text, in_client(box, link)[0], hex(link.style)), ("Static", HOST, 75, "0x50000001"),
                 "link class, text, x and style (centred)")
    expect_equal(in_client(box, link)[1], in_client(box, link)[2], "link width (client width - 150)")

    wait_until("the link painted in blue (build/e2e/shots/about-*.png)", lambda: t.pixels(
        "about", box.rect, link.rect, lambda p: p == (0, 0, 255)), lambda n: n >= 30)

    def seen():
        return opened.read_text().split() if opened.exists() else []
    click(*centre(link.rect))
    # Wine's launcher writes the bare host's address with a closing slash.
    home = wait_until("the browser asked for the home page", seen,
                      lambda s: len(s) == 1 and s[0] in (f"http://{HOST}", f"http://{HOST}/"))
    check(program.window(box.hwnd) and program.window(box.hwnd).visible, "the About box is gone after the click")
    program.answer(box)
    program.choose("w")
    wait_until("the support page asked for", seen, lambda s: s == home + [f"http://{HOST}/support.php#tools"])
    expect_equal(program.shown(BOX_CLASS), [], "boxes after the web site opened")


def test_tips_and_save_settings_entries(t):
    program = t.start()
    # The mouse rests where the keyboard was got, on the caption bar's first tip: tips off, on, off.
    for caption in ("Kestrova", "打开 (O)", "Kestrova"):
        program.choose("t")
        program.wait_caption(caption)
    program.choose("s")
    expect_equal(program.close(), 0, "exit code")
    expect_equal(read_settings(t.folder / "kestrova.ini"), {"window_x": str(program.main.rect[0]), "window_y": str(
        program.main.rect[1]), "tips": "0", "speed": "0", "follow_windows": "1", "window_wait": "10"},
        "settings written after tips were turned off and saving on")
    program = t.start(settings_text(200, 200))
    program.choose("s")
    expect_equal(program.close(), 0, "exit code")
    check(not (t.folder / "kestrova.ini").exists(), "the settings file is still there after saving was turned off")
