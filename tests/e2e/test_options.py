"""The options menu and the message-box dialogs, seen from outside: Enter
opens the menu, its keys reach the repeat prompt, help and About, the About
box's link opens the web site, and the tips and save-settings entries do
what they say."""
import os

from harness import E2E_BUILD, check, click, expect_equal, key, wait_until
from test_shell import close_and_wait, read_settings, settings_text, start_idle

MENU_CLASS = "#32768"
BOX_CLASS = "#32770"
LINK_ID = 32783
EDIT_STYLE = 0x50812080
LINK_STYLE = 0x50000001
BLUE = (0, 0, 255)
HOST = "www.kestrova.net"

HELP_LINES = ["快速入门指南:", "", "1)按下蓝色按钮开始录制(变为红色)", "2)按下红色按钮停止录制", "3)按下绿色按钮播放", "",
              "录制也可以运行命令行中进行", "例如:kestrova C:\\recording.rec", "", "", "快捷键:", "",
              "Ctrl+ Shift+ Alt键+R - >开始/停止录制", "Ctrl+ Shift+ Alt键+P - >开始/停止播放", "O         - >打开",
              "Enter     - >显示选项", "Enter+R   - >设置重复"]
HELP_TEXT = "".join(line + "\r\n" for line in HELP_LINES).encode("gbk")


def focused_idle(t, settings=None):
    """Starts the program and gives its main window the keyboard focus with a
    click on the left of its caption bar (no command there; the mouse then
    rests where the first tip shows)."""
    program, main = start_idle(t, settings)
    program.take_keyboard(main, (main.rect[0] + 10, main.rect[1] + 3), click_first=True)
    return program, main


def open_menu(program, main):
    key("Return")
    return program.wait_window(MENU_CLASS)


def choose(program, main, letter):
    """Opens the menu with Enter and picks the entry by its letter."""
    menu = open_menu(program, main)
    key(letter)
    program.wait_gone(menu.hwnd)


def box_with_caption(program, main, caption):
    box = program.wait_window(BOX_CLASS, owner=main.hwnd)
    expect_equal(box.text, caption, "caption of the box")
    return box


def in_client(box, child):
    """The child's rectangle relative to the box's client area."""
    cx, cy = box.client[0], box.client[1]
    return child.rect[0] - cx, child.rect[1] - cy, child.rect[2] - cx, child.rect[3] - cy


def child_with(t, box, accept, what):
    return wait_until(what, lambda: [c for c in t.probe.children(box.hwnd) if accept(c)], lambda cs: len(cs) == 1)[0]


def test_enter_opens_menu_and_escape_closes_it(t):
    m = t.metrics()
    program, main = focused_idle(t, settings_text(300, 300, tips=1, speed=1))
    menu = open_menu(program, main)
    expect_equal(menu.rect[:2], (main.rect[2] - 16, main.rect[3] - 10),
                 "menu's top left at the main window's lower right corner less (16, 10)")
    check(menu.height > 150, f"the menu is too low for twelve entries: {menu}")
    # Speed fast, save settings (the file is there) and tips carry check
    # marks: three separate marks in the column left of the texts.
    pixels = t.shot("menu", menu.rect)
    marked = [any(sum(p) < 200 for p in row[2:18]) for row in pixels]
    marks = sum(1 for i, m in enumerate(marked) if m and (i == 0 or not marked[i - 1]))
    expect_equal(marks, 3, "check marks in the menu (see build/e2e/shots/menu.png)")
    key("Escape")
    program.wait_gone(menu.hwnd)
    expect_equal(program.find(BOX_CLASS), [], "boxes after Escape")
    expect_equal(close_and_wait(t, program, main, m), 0, "exit code")
    expect_equal(read_settings(t.folder / "kestrova.ini"),
                 {"window_x": ["300"], "window_y": ["300"], "tips": ["1"], "speed": ["1"]},
                 "settings after a menu closed with Escape")


def test_enter_r_opens_the_repeat_prompt(t):
    program, main = focused_idle(t)
    choose(program, main, "r")
    box = box_with_caption(program, main, "重复播放")
    edit = child_with(t, box, lambda c: c.cls == "Edit", "the edit box in the repeat prompt")
    left, top, right, bottom = in_client(box, edit)
    expect_equal(left, 75, "edit box x in the box")
    expect_equal(right - left, box.client[2] - box.client[0] - 150, "edit box width (client width - 150)")
    expect_equal(bottom - top, 20, "edit box height")
    # Wine turns the edit box's border into a client edge.
    check(edit.style & (EDIT_STYLE & ~0x00800000) == EDIT_STYLE & ~0x00800000, f"edit box style {edit.style:#x}")
    expect_equal(edit.text, "1", "the edit box's first text")
    wait_until("the focus in the edit box", lambda: t.probe.focus()["focus"], lambda f: f == edit.hwnd)
    key("4")
    key("2")
    wait_until("42 typed over the selected text", lambda: program.window(box.hwnd) and
               [c.text for c in t.probe.children(box.hwnd) if c.hwnd == edit.hwnd], lambda v: v == ["42"])
    key("Return")
    program.wait_gone(box.hwnd)

    # The count took: the prompt opens with it next time.
    choose(program, main, "r")
    box = box_with_caption(program, main, "重复播放")
    edit = child_with(t, box, lambda c: c.cls == "Edit", "the edit box, second time")
    expect_equal(edit.text, "42", "the edit box's first text after OK with 42")
    key("Escape")
    program.wait_gone(box.hwnd)


def test_help_box_text(t):
    program, main = focused_idle(t)
    choose(program, main, "h")
    box = box_with_caption(program, main, "Kestrova v1.45 帮助")
    texts = [c.text_bytes for c in t.probe.children(box.hwnd) if c.cls == "Static" and c.text_bytes]
    expect_equal(texts, [HELP_TEXT], "texts in the help box")
    key("Return")
    program.wait_gone(box.hwnd)


def test_about_box_link_opens_the_web_site(t):
    # A stand-in for the desktop's web browser, found first on the PATH that
    # Wine's browser launcher searches: it notes the address it was given.
    bin_folder = E2E_BUILD / "work" / "options-browser"
    bin_folder.mkdir(parents=True, exist_ok=True)
    opened = bin_folder / "opened.txt"
    if opened.exists():
        opened.unlink()
    opener = bin_folder / "xdg-open"
    opener.write_text(f'#!/bin/sh\necho "$1" >> "{opened}"\n')
    opener.chmod(0o755)
    old_path = os.environ["PATH"]
    os.environ["PATH"] = f"{bin_folder}:{old_path}"
    try:
        program, main = focused_idle(t)
    finally:
        os.environ["PATH"] = old_path

    choose(program, main, "a")
    box = box_with_caption(program, main, "关于 Kestrova")
    link = child_with(t, box, lambda c: c.id == LINK_ID, "the link in the About box")
    expect_equal(link.cls, "Static", "link class")
    expect_equal(hex(link.style), hex(LINK_STYLE), "link style")
    expect_equal(link.text, HOST, "link text")
    left, top, right, bottom = in_client(box, link)
    expect_equal(left, 75, "link x in the box")
    expect_equal(right - left, box.client[2] - box.client[0] - 150, "link width (client width - 150)")

    def blue_in_link():
        pixels = t.shot("about", box.rect)
        rows = pixels[link.rect[1] - box.rect[1]:link.rect[3] - box.rect[1]]
        return sum(p == BLUE for row in rows for p in row[link.rect[0] - box.rect[0]:link.rect[2] - box.rect[0]])

    wait_until("the link painted in blue (see build/e2e/shots/about.png)", blue_in_link, lambda n: n >= 30)

    click((link.rect[0] + link.rect[2]) // 2, (link.rect[1] + link.rect[3]) // 2)
    # Wine's launcher writes the bare host's address with a closing slash.
    home = [f"http://{HOST}", f"http://{HOST}/"]
    seen = wait_until("the browser asked for the home page", lambda: opened.read_text().split() if opened.exists() else [],
                      lambda seen: len(seen) == 1 and seen[0] in home)
    check(program.window(box.hwnd) is not None and program.window(box.hwnd).visible,
          "the About box is still open after the click")
    key("Return")
    program.wait_gone(box.hwnd)

    # The menu's entry asks for the support page.
    choose(program, main, "w")
    wait_until("the browser asked for the support page", lambda: opened.read_text().split(),
               lambda now: now == seen + [f"http://{HOST}/support.php#tools"])
    expect_equal(program.find(BOX_CLASS), [], "boxes after the web site opened")


def test_tips_entry_turns_the_tips_off_and_on(t):
    program, main = focused_idle(t)
    # The mouse rests on the caption bar, which shows the first tip.
    program.wait_caption(main.hwnd, "打开 (O)")
    choose(program, main, "t")
    program.wait_caption(main.hwnd, "Kestrova")
    choose(program, main, "t")
    program.wait_caption(main.hwnd, "打开 (O)")


def test_save_settings_entry_writes_or_deletes_the_file(t):
    m = t.metrics()
    program, main = focused_idle(t)
    choose(program, main, "s")
    expect_equal(close_and_wait(t, program, main, m), 0, "exit code")
    keys = read_settings(t.folder / "kestrova.ini")
    expect_equal(sorted(keys), ["speed", "tips", "window_x", "window_y"], "keys written after saving was turned on")

    program, main = focused_idle(t, settings_text(200, 200))
    choose(program, main, "s")
    expect_equal(close_and_wait(t, program, main, m), 0, "exit code")
    ini = t.folder / "kestrova.ini"
    check(not ini.exists(), f"{ini} still exists after saving was turned off")
