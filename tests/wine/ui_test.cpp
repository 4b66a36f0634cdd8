// The options menu and the message-box dialogs on a real main window: a
// watcher thread finds the menu or box while the command is inside its modal
// loop, looks at it and acts as a user would.
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ui/dialog_texts.h"
#include "ui/dialogs.h"
#include "tests/wine/check.h"
#include "tests/wine/fixtures.h"
#include "core/ids.h"
#include "app/main_window.h"
#include "core/state.h"
#include "core/text_number.h"

// The import slots through which the product calls these two.
extern "C" void* __imp_ShellExecuteA;
extern "C" void* __imp_CreateWindowExA;

namespace {

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool Ours(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid == GetCurrentProcessId();
}

// A visible top-level window of this process with the class and caption.
HWND FindOurs(const char* cls, const char* caption) {
  for (HWND w = FindWindowExA(nullptr, nullptr, cls, caption); w; w = FindWindowExA(nullptr, w, cls, caption))
    if (Ours(w) && IsWindowVisible(w)) return w;
  return nullptr;
}

// Polls until found() gives a window, for up to 5 s; none if it never does.
HWND WaitFor(const std::function<HWND()>& found) {
  for (int i = 0; i < 500; ++i) {
    if (HWND w = found()) return w;
    Sleep(10);
  }
  return nullptr;
}

// The first child of the box of the class (and id, unless -1).
HWND ChildOf(HWND box, const char* cls, int id = -1) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (lstrcmpiA(ClassOf(child).c_str(), cls) == 0 && (id == -1 || GetDlgCtrlID(child) == id)) return child;
  return nullptr;
}

// The message text of a box: its first static text that is not the link.
std::string BoxText(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char text[1024] = {};
    if (lstrcmpiA(ClassOf(child).c_str(), "Static") == 0 && GetDlgCtrlID(child) != CMD_WEBSITE &&
        GetWindowTextA(child, text, sizeof text) > 0)
      return text;
  }
  return "";
}

// Returns once the box's thread has come back to its message loop, and so
// has finished whatever its timer tick was doing.
void Sync(HWND box) { SendMessageA(box, WM_NULL, 0, 0); }

// Where the control lies in the box's client area.
RECT PlaceInBox(HWND control, HWND box) {
  RECT r = {};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int ClientWidth(HWND window) {
  RECT r = {};
  GetClientRect(window, &r);
  return r.right;
}

bool OldWindows() { return LOBYTE(LOWORD(GetVersion())) < 6; }

struct Watcher {
  const char* cls;
  const char* caption;
  std::function<void(HWND)> act;  // runs on the watcher's thread; must end the modal loop
  HWND found;
};

DWORD WINAPI Watch(void* param) {
  Watcher* watcher = static_cast<Watcher*>(param);
  watcher->found = WaitFor([&] { return FindOurs(watcher->cls, watcher->caption); });
  if (watcher->found) watcher->act(watcher->found);
  return 0;
}

// Sends the command to the window (it returns once its box or menu has
// gone) while the watcher looks for the box and acts on it.
void RunWatched(HWND window, WPARAM command, LPARAM lparam, Watcher& watcher) {
  watcher.found = nullptr;
  HANDLE thread = CreateThread(nullptr, 0, Watch, &watcher, 0, nullptr);
  SendMessageA(window, WM_COMMAND, command, lparam);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
}

// Commands that arrive at the main window while a test has it subclassed:
// recorded, and passed on unless they would open the web site.
WPARAM g_seen_wparam;
LPARAM g_seen_lparam;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // Only the link's command is noted: the CMD_ABOUT that opens the box
  // passes through here too, and must not count as the click.
  if (message == WM_COMMAND && LOWORD(wparam) == CMD_WEBSITE) {
    g_seen_wparam = wparam;
    g_seen_lparam = lparam;
    return 0;
  }
  return MainWindowProc(window, message, wparam, lparam);
}

// What the stand-in for ShellExecuteA was given, and what it answers.
struct ShellCall {
  int calls;
  HWND window;
  bool verb_absent, parameters_absent, folder_absent;
  std::string file;
  INT show;
  INT_PTR result;
} g_shell;

HINSTANCE WINAPI FakeShellExecute(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show) {
  ++g_shell.calls;
  g_shell.window = window;
  g_shell.verb_absent = verb == nullptr;
  g_shell.parameters_absent = parameters == nullptr;
  g_shell.folder_absent = folder == nullptr;
  g_shell.file = file ? file : "(none)";
  g_shell.show = show;
  return reinterpret_cast<HINSTANCE>(g_shell.result);
}

// Points an import slot at the given procedure; returns the one it replaced.
void* ReplaceImport(void** slot, void* procedure) {
  DWORD old_protect = 0;
  VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old_protect);
  void* old = *slot;
  *slot = procedure;
  VirtualProtect(slot, sizeof(void*), old_protect, &old_protect);
  return old;
}

// The arguments of the windows created while CreateWindowExA is watched.
struct Creation {
  DWORD exstyle;
  std::string cls, text;
  DWORD style;
  int x, y, width, height;
  HWND parent;
  INT_PTR id;
  bool instance_absent, param_absent;
};
std::vector<Creation> g_creations;
decltype(&CreateWindowExA) g_real_create;

// Checks that the command created exactly one window, the control, with
// these arguments (and the topmost extended style, which Wine does not keep
// on a child).
void ExpectCreated(const std::string& what, const char* cls, const std::string& text, DWORD style, int y,
                   int box_width, HWND box, INT_PTR id) {
  EXPECT_EQ(g_creations.size(), 1u, (what + ": windows created").c_str());
  if (g_creations.size() != 1) return;
  const Creation& c = g_creations[0];
  EXPECT_EQ(c.cls, cls, (what + ": class asked for").c_str());
  EXPECT_EQ(c.text, text, (what + ": first text").c_str());
  EXPECT_EQ(c.style, style, (what + ": style asked for").c_str());
  EXPECT_EQ(c.exstyle, static_cast<DWORD>(WS_EX_TOPMOST), (what + ": extended style asked for").c_str());
  EXPECT_EQ(c.x, 75, (what + ": x asked for").c_str());
  EXPECT_EQ(c.y, y, (what + ": y asked for").c_str());
  EXPECT_EQ(c.width, box_width - 150, (what + ": width asked for").c_str());
  EXPECT_EQ(c.height, 20, (what + ": height asked for").c_str());
  EXPECT_TRUE(c.parent == box && box, (what + ": parent is the box").c_str());
  EXPECT_EQ(static_cast<std::int64_t>(c.id), static_cast<std::int64_t>(id), (what + ": id").c_str());
  EXPECT_TRUE(c.instance_absent && c.param_absent, (what + ": no instance, no parameter").c_str());
}

HWND WINAPI RecordingCreate(DWORD exstyle, LPCSTR cls, LPCSTR text, DWORD style, int x, int y, int width, int height,
                            HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  g_creations.push_back({exstyle, HIWORD(cls) ? cls : "(atom)", text ? text : "(none)", style, x, y, width, height,
                         parent, reinterpret_cast<INT_PTR>(menu), instance == nullptr, param == nullptr});
  return g_real_create(exstyle, cls, text, style, x, y, width, height, parent, menu, instance, param);
}

// Records the windows the product creates while it lives.
struct CreationsWatched {
  CreationsWatched() {
    g_creations.clear();
    g_real_create = reinterpret_cast<decltype(&CreateWindowExA)>(
        ReplaceImport(&__imp_CreateWindowExA, reinterpret_cast<void*>(RecordingCreate)));
  }
  ~CreationsWatched() { ReplaceImport(&__imp_CreateWindowExA, reinterpret_cast<void*>(g_real_create)); }
};

}  // namespace

WINE_TEST(RepeatPromptTakesItsCountFromTheInjectedEditBox) {
  const std::string digits35 = "12345678901234567890123456789012345";
  struct Case {
    std::int32_t count;
    std::uint8_t continuous;
    const char* first_text;  // what the edit box shows first
    const char* typed;       // typed over the selection, as WM_CHAR; none: set as the window text
    const char* set_text;
    WPARAM button;
    std::int32_t want_count;
    std::uint8_t want_continuous;
    std::string want_text;  // the repeat text after the box has gone
  } cases[] = {
      {5, 1, "5", "3", nullptr, IDOK, 3, 0, "3"},
      {5, 1, "5", "7", nullptr, IDCANCEL, 5, 1, "7"},
      {12, 1, "12", "99", nullptr, IDOK, 99, 0, "99"},
      {4, 1, "4", nullptr, "", IDOK, 1, 0, ""},
      {0, 0, "1", "0", nullptr, IDOK, 1, 0, "0"},
      {-3, 1, "1", "", nullptr, IDOK, 1, 0, "1"},
      {2, 1, "2", "a5", nullptr, IDOK, 5, 0, "5"},  // the edit box takes digits only
      {1, 0, "1", nullptr, digits35.c_str(), IDOK, 1312754386, 0, digits35.substr(0, 30)},
      {8, 0, "8", nullptr, "", IDCANCEL, 8, 0, ""},
  };
  HWND window = MakeMainWindow();
  ShowWindow(window, SW_SHOW);
  const DWORD ui_thread = GetCurrentThreadId();
  for (const Case& c : cases) {
    const std::string what = "count " + std::to_string(c.count) + ", typed " +
                             (c.typed ? c.typed : "(set) " + std::string(c.set_text)) +
                             (c.button == IDOK ? ", OK" : ", Cancel");
    g_app.repeat_count = c.count;
    g_app.continuous_playback = c.continuous;
    HWND edit = nullptr, prompt_box = nullptr;
    RECT place = {};
    int box_width = 0;
    std::string first_text, prompt, cls;
    DWORD style = 0, sel_start = 99, sel_end = 99;
    bool focused = false, subclassed = false, topmost = false, owned = false, buttons = false;
    Watcher watcher = {"#32770", "重复播放", [&](HWND box) {
                         edit = WaitFor([&] { return ChildOf(box, "Edit"); });
                         Sync(box);
                         prompt_box = box;
                         prompt = BoxText(box);
                         topmost = (GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
                         owned = GetWindow(box, GW_OWNER) == window;
                         buttons = GetDlgItem(box, IDOK) && GetDlgItem(box, IDCANCEL);
                         if (edit) {
                           place = PlaceInBox(edit, box);
                           box_width = ClientWidth(box);
                           cls = ClassOf(edit);
                           style = static_cast<DWORD>(GetWindowLongPtrA(edit, GWL_STYLE));
                           subclassed = GetWindowLongPtrA(edit, GWLP_WNDPROC) ==
                                        reinterpret_cast<LONG_PTR>(RepeatEditProc);
                           char text[64] = {};
                           GetWindowTextA(edit, text, sizeof text);
                           first_text = text;
                           SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&sel_start),
                                        reinterpret_cast<LPARAM>(&sel_end));
                           GUITHREADINFO info = {};
                           info.cbSize = sizeof info;
                           GetGUIThreadInfo(ui_thread, &info);
                           focused = info.hwndFocus == edit;
                           if (c.typed)
                             for (const char* p = c.typed; *p; ++p) SendMessageA(edit, WM_CHAR, *p, 0);
                           else
                             SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.set_text));
                         }
                         PostMessageA(box, WM_COMMAND, c.button, 0);
                       }, nullptr};
    {
      CreationsWatched creations;
      RunWatched(window, CMD_SET_REPEAT, 0, watcher);
    }
    EXPECT_TRUE(watcher.found != nullptr, (what + ": the prompt came up").c_str());
    EXPECT_TRUE(edit != nullptr, (what + ": the edit box was added").c_str());
    EXPECT_EQ(prompt, "循环播放数次数:", (what + ": prompt text").c_str());
    EXPECT_TRUE(topmost && owned && buttons, (what + ": topmost, owned by the main window, OK and Cancel").c_str());
    EXPECT_EQ(cls, "Edit", (what + ": class").c_str());
    // Wine's edit control turns WS_BORDER into a client edge of its own.
    EXPECT_EQ(style & 0x50012080u, 0x50012080u, (what + ": style kept").c_str());
    ExpectCreated(what, "EDIT", c.first_text, 0x50812080u, place.top, box_width, prompt_box, 0);
    EXPECT_EQ(place.left, 75L, (what + ": x").c_str());
    EXPECT_EQ(place.top, OldWindows() ? 45L : 60L, (what + ": y").c_str());
    EXPECT_EQ(place.right - place.left, box_width - 150L, (what + ": width").c_str());
    EXPECT_EQ(place.bottom - place.top, 20L, (what + ": height").c_str());
    EXPECT_EQ(first_text, c.first_text, (what + ": first text").c_str());
    EXPECT_TRUE(sel_start == 0 && sel_end == first_text.size(), (what + ": whole text selected").c_str());
    EXPECT_TRUE(focused, (what + ": the edit box has the focus").c_str());
    EXPECT_TRUE(subclassed, (what + ": RepeatEditProc in front").c_str());
    EXPECT_EQ(g_app.repeat_count, c.want_count, (what + ": repeat count").c_str());
    EXPECT_EQ(g_app.continuous_playback, c.want_continuous, (what + ": continuous playback").c_str());
    EXPECT_EQ(std::string(g_app.repeat_text), c.want_text, (what + ": repeat text").c_str());
    EXPECT_TRUE(!KillTimer(window, TIMER_REPEAT_EDIT), (what + ": timer 1004 gone").c_str());
  }
  DestroyMainWindow(window);
}

WINE_TEST(AboutBoxCarriesTheWebLink) {
  HWND window = MakeMainWindow();
  ShowWindow(window, SW_SHOW);
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
  g_seen_wparam = 0;
  g_seen_lparam = 0;
  HWND link = nullptr;
  RECT place = {};
  int box_width = 0;
  DWORD style = 0;
  std::string text, box_text, cls;
  HWND about_box = nullptr;
  bool subclassed = false, saved = false, icon = false, owned = false, topmost = false;
  bool open_after_click = false;
  WPARAM clicked_wparam = 0;
  LPARAM clicked_lparam = 0;
  Watcher watcher = {"#32770", "关于 Kestrova", [&](HWND box) {
                       link = WaitFor([&] { return ChildOf(box, "Static", CMD_WEBSITE); });
                       Sync(box);
                       about_box = box;
                       box_text = BoxText(box);
                       owned = GetWindow(box, GW_OWNER) == window;
                       topmost = (GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
                       for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                         if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                             SendMessageA(child, STM_GETICON, 0, 0))
                           icon = true;
                       if (link) {
                         place = PlaceInBox(link, box);
                         box_width = ClientWidth(box);
                         cls = ClassOf(link);
                         style = static_cast<DWORD>(GetWindowLongPtrA(link, GWL_STYLE));
                         subclassed = GetWindowLongPtrA(link, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(WebLinkProc);
                         saved = GetWindowLongPtrA(link, GWLP_USERDATA) != 0;
                         char buffer[64] = {};
                         GetWindowTextA(link, buffer, sizeof buffer);
                         text = buffer;
                         SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                         for (int i = 0; i < 200 && !g_seen_wparam; ++i) Sleep(10);
                         Sync(box);
                         clicked_wparam = g_seen_wparam;
                         clicked_lparam = g_seen_lparam;
                         open_after_click = IsWindow(box) && IsWindowVisible(box);
                       }
                       PostMessageA(box, WM_COMMAND, IDOK, 0);
                     }, nullptr};
  {
    CreationsWatched creations;
    RunWatched(window, CMD_ABOUT, 0, watcher);
  }
  EXPECT_TRUE(watcher.found != nullptr, "the About box came up");
  EXPECT_TRUE(link != nullptr, "the link was added");
  EXPECT_EQ(box_text, kAboutText, "the About text");
  EXPECT_TRUE(owned && topmost, "owned by the main window, topmost");
  EXPECT_TRUE(icon, "the program's icon shown");
  EXPECT_EQ(cls, "Static", "link class");
  EXPECT_EQ(style, 0x50000001u, "link style");
  ExpectCreated("link", "STATIC", "www.kestrova.net", 0x50000001u, place.top, box_width, about_box, CMD_WEBSITE);
  EXPECT_EQ(place.left, 75L, "link x");
  EXPECT_EQ(place.top, OldWindows() ? 15L : 30L, "link y");
  EXPECT_EQ(place.right - place.left, box_width - 150L, "link width");
  EXPECT_EQ(place.bottom - place.top, 20L, "link height");
  EXPECT_EQ(text, "www.kestrova.net", "link text");
  EXPECT_TRUE(subclassed && saved, "WebLinkProc in front, the class procedure kept");
  EXPECT_EQ(static_cast<std::uint64_t>(clicked_wparam), static_cast<std::uint64_t>(CMD_WEBSITE), "click command");
  EXPECT_EQ(static_cast<std::int64_t>(clicked_lparam), 1ll, "click lParam");
  EXPECT_TRUE(open_after_click, "the About box stays open after the click");
  EXPECT_TRUE(!KillTimer(window, TIMER_ABOUT_LINK), "timer 1003 gone");
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MainWindowProc));
  DestroyMainWindow(window);
}

WINE_TEST(WebLinkPaintsBlueAndPointsAndClicks) {
  HWND window = MakeMainWindow();
  struct Case {
    DWORD align;
    bool centred;
  } cases[] = {{SS_CENTER, true}, {SS_LEFT, false}};
  for (const Case& c : cases) {
    const char* what = c.centred ? "centred link" : "left link";
    HWND parent = CreateWindowExA(WS_EX_TOPMOST, "Static", "", WS_POPUP | WS_VISIBLE, 300, 300, 300, 40, nullptr,
                                  nullptr, nullptr, nullptr);
    HWND link = CreateWindowExA(0, "Static", kWebHost, WS_CHILD | WS_VISIBLE | c.align, 0, 10, 300, 20, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(CMD_WEBSITE)), nullptr, nullptr);
    SetWindowLongPtrA(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WebLinkProc));
    InvalidateRect(link, nullptr, TRUE);
    UpdateWindow(link);
    HDC dc = GetDC(link);
    int blue = 0, first = 300, last = -1;
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 300; ++x) {
        if (GetPixel(dc, x, y) != RGB(0, 0, 255)) continue;
        ++blue;
        if (x < first) first = x;
        if (x > last) last = x;
      }
    }
    ReleaseDC(link, dc);
    EXPECT_TRUE(blue > 20, (std::string(what) + ": text painted in blue").c_str());
    if (c.centred)
      EXPECT_TRUE(first > 20 && std::abs(first - (299 - last)) <= 3, (std::string(what) + ": centred").c_str());
    else
      EXPECT_TRUE(first < 5, (std::string(what) + ": at the left").c_str());

    SetCursor(nullptr);
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(GetCursor() == g_app.hand_cursor && g_app.hand_cursor, (std::string(what) + ": hand cursor").c_str());

    MSG msg;
    while (PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
    }
    SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    bool posted = PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) != 0;
    EXPECT_TRUE(posted && msg.wParam == CMD_WEBSITE && msg.lParam == 1,
                (std::string(what) + ": a click posts the web-site command from the link").c_str());
    DestroyWindow(parent);
  }
  DestroyMainWindow(window);
}

WINE_TEST(HelpBoxShowsTheGuide) {
  HWND window = MakeMainWindow();
  std::string text;
  bool owned = false;
  Watcher watcher = {"#32770", "Kestrova v1.45 帮助", [&](HWND box) {
                       Sync(box);
                       text = BoxText(box);
                       owned = GetWindow(box, GW_OWNER) == window;
                       PostMessageA(box, WM_COMMAND, IDOK, 0);
                     }, nullptr};
  RunWatched(window, CMD_HELP, 0, watcher);
  EXPECT_TRUE(watcher.found != nullptr, "the help box came up");
  EXPECT_TRUE(owned, "owned by the main window");
  EXPECT_EQ(text, kHelpText, "its text");
  EXPECT_EQ(text.substr(0, 15), "快速入门指南:\r\n", "its first line");
  DestroyMainWindow(window);
}

WINE_TEST(WebSiteOpensTheAddressOrSaysItCannot) {
  HWND window = MakeMainWindow();
  void* real = ReplaceImport(&__imp_ShellExecuteA, reinterpret_cast<void*>(FakeShellExecute));
  struct Case {
    LPARAM lparam;
    INT_PTR result;
    const char* want_address;
    bool want_box;
  } cases[] = {
      {1, 42, "http://www.kestrova.net", false},
      {0, 42, "http://www.kestrova.net/support.php#tools", false},
      {0, 33, "http://www.kestrova.net/support.php#tools", false},
      {1, 32, "http://www.kestrova.net", true},
      {0, 2, "http://www.kestrova.net/support.php#tools", true},
      {2, 0, "http://www.kestrova.net/support.php#tools", true},
  };
  for (const Case& c : cases) {
    const std::string what = "lParam " + std::to_string(c.lparam) + ", result " + std::to_string(c.result);
    g_shell = {};
    g_shell.result = c.result;
    std::string text;
    Watcher watcher = {"#32770", "Kestrova", [&](HWND box) {
                         Sync(box);
                         text = BoxText(box);
                         PostMessageA(box, WM_COMMAND, IDOK, 0);
                       }, nullptr};
    // No box: the command returns at once, and the watcher gives up.
    RunWatched(window, CMD_WEBSITE, c.lparam, watcher);
    EXPECT_EQ(g_shell.calls, 1, (what + ": one call").c_str());
    EXPECT_EQ(g_shell.file, c.want_address, (what + ": address").c_str());
    EXPECT_TRUE(!g_shell.window && g_shell.verb_absent && g_shell.parameters_absent && g_shell.folder_absent,
                (what + ": no window, verb, parameters or folder").c_str());
    EXPECT_EQ(g_shell.show, SW_SHOWNORMAL, (what + ": shown normally").c_str());
    EXPECT_EQ(watcher.found != nullptr, c.want_box, (what + ": failure box").c_str());
    if (c.want_box) EXPECT_EQ(text, "无法连接到 \"www.kestrova.net\"", (what + ": failure text").c_str());
  }
  ReplaceImport(&__imp_ShellExecuteA, real);
  DestroyMainWindow(window);
}

WINE_TEST(OptionsMenuShowsTheSettingsAndChangesThem) {
  struct Settings {
    std::uint8_t speed, continuous, save, tips;
    bool operator==(const Settings& o) const {
      return speed == o.speed && continuous == o.continuous && save == o.save && tips == o.tips;
    }
  };
  struct Case {
    Settings before;
    UINT message;  // sent to the menu: a key down or a character
    WPARAM key;
    Settings after;
    const char* what;
  } cases[] = {
      {{1, 1, 1, 1}, WM_KEYDOWN, VK_ESCAPE, {1, 1, 1, 1}, "Escape, all on"},
      {{0, 0, 0, 0}, WM_KEYDOWN, VK_ESCAPE, {0, 0, 0, 0}, "Escape, all off"},
      {{1, 0, 0, 1}, WM_CHAR, 'n', {0, 0, 0, 1}, "N: normal speed"},
      {{0, 0, 0, 1}, WM_CHAR, 'f', {1, 0, 0, 1}, "F: fast"},
      {{2, 0, 0, 1}, WM_CHAR, 'f', {1, 0, 0, 1}, "F from speed 2"},
      {{0, 0, 0, 1}, WM_CHAR, 'c', {0, 1, 0, 1}, "C: continuous on"},
      {{0, 2, 0, 1}, WM_CHAR, 'c', {0, 0, 0, 1}, "C: continuous 2 off"},
      {{0, 0, 1, 1}, WM_CHAR, 's', {0, 0, 0, 1}, "S: saving off"},
      {{0, 0, 0, 1}, WM_CHAR, 's', {0, 0, 1, 1}, "S: saving on"},
      {{0, 0, 0, 2}, WM_CHAR, 't', {0, 0, 0, 0}, "T: tips 2 off"},
      {{0, 0, 0, 0}, WM_CHAR, 't', {0, 0, 0, 1}, "T: tips on"},
  };
  const WORD want_ids[12] = {32778, 32779, 0, 32780, 32781, 0, 32786, 32785, 0, 32782, 32783, 32784};
  const char* want_texts[12] = {"播放速度: 正常(&N)", "播放速度: 快(&F)", "", "连续播放(&C)", "设置重复次数(&R)...", "",
                                "保存设置到.INI(&S)", "显示提示(&T)", "", "帮助(&H)", "官网(&W)", "关于(&A)"};
  HWND window = MakeMainWindow();
  ShowWindow(window, SW_SHOW);
  RECT outer;
  GetWindowRect(window, &outer);
  for (const Case& c : cases) {
    const std::string what = c.what;
    g_app.playback_speed = c.before.speed;
    g_app.continuous_playback = c.before.continuous;
    g_app.save_settings = c.before.save;
    g_app.tips = c.before.tips;
    const bool want_checked[12] = {c.before.speed == 0, c.before.speed != 0, false, c.before.continuous != 0,
                                   false, false, c.before.save != 0, c.before.tips != 0, false, false, false, false};
    HMENU menu = nullptr;
    RECT place = {};
    int count = 0;
    std::string wrong;
    Watcher watcher = {"#32768", nullptr, [&](HWND popup) {
                         Sync(popup);
                         GetWindowRect(popup, &place);
                         menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
                         count = GetMenuItemCount(menu);
                         for (int i = 0; i < count && i < 12; ++i) {
                           char text[64] = {};
                           GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
                           UINT state = GetMenuState(menu, i, MF_BYPOSITION);
                           const bool separator = want_ids[i] == 0;
                           if (GetMenuItemID(menu, i) != (separator ? 0u : want_ids[i]) ||
                               std::string(text) != want_texts[i] || ((state & MF_SEPARATOR) != 0) != separator ||
                               ((state & MF_CHECKED) != 0) != want_checked[i] ||
                               (!separator && (state & (MF_GRAYED | MF_DISABLED))))
                             wrong += " " + std::to_string(i + 1);
                         }
                         PostMessageA(popup, c.message, c.key, 0);
                       }, nullptr};
    RunWatched(window, CMD_OPTIONS, 0, watcher);
    PumpMessages(50);  // the chosen entry's command
    EXPECT_TRUE(watcher.found != nullptr, (what + ": the menu came up").c_str());
    EXPECT_EQ(count, 12, (what + ": entries").c_str());
    EXPECT_EQ(wrong, "", (what + ": entries that differ").c_str());
    EXPECT_EQ(place.left, outer.right - 16, (what + ": left edge").c_str());
    EXPECT_EQ(place.top, outer.bottom - 10, (what + ": top edge").c_str());
    EXPECT_TRUE(!IsMenu(menu), (what + ": the menu destroyed").c_str());
    const Settings now = {g_app.playback_speed, g_app.continuous_playback, g_app.save_settings, g_app.tips};
    EXPECT_TRUE(now == c.after, (what + ": settings afterwards").c_str());
  }
  DestroyMainWindow(window);
}

WINE_TEST(OptionsMenuLeadsToTheRepeatPrompt) {
  HWND window = MakeMainWindow();
  ShowWindow(window, SW_SHOW);
  g_app.repeat_count = 6;
  g_app.continuous_playback = 1;
  Watcher prompt = {"#32770", "重复播放", [&](HWND box) {
                      HWND edit = WaitFor([&] { return ChildOf(box, "Edit"); });
                      SendMessageA(edit, WM_CHAR, '4', 0);
                      PostMessageA(box, WM_COMMAND, IDOK, 0);
                    }, nullptr};
  HANDLE thread = nullptr;
  Watcher menu = {"#32768", nullptr, [&](HWND popup) {
                    Sync(popup);
                    thread = CreateThread(nullptr, 0, Watch, &prompt, 0, nullptr);
                    PostMessageA(popup, WM_CHAR, 'r', 0);
                  }, nullptr};
  RunWatched(window, CMD_OPTIONS, 0, menu);
  PumpMessages(50);  // runs the prompt, which the second watcher answers
  if (thread) {
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
  }
  EXPECT_TRUE(prompt.found != nullptr, "R in the menu opens the repeat prompt");
  EXPECT_EQ(g_app.repeat_count, 4, "repeat count typed there");
  EXPECT_EQ(g_app.continuous_playback, 0, "continuous playback ended");
  DestroyMainWindow(window);
}

WINE_TEST(SettingCommandsStoreOneValueEach) {
  HWND window = MakeMainWindow();
  struct Case {
    WPARAM command;
    std::uint8_t AppState::*field;
    std::uint8_t before, after;
  } cases[] = {
      {CMD_SPEED_NORMAL, &AppState::playback_speed, 1, 0}, {CMD_SPEED_NORMAL, &AppState::playback_speed, 0, 0},
      {CMD_SPEED_FAST, &AppState::playback_speed, 0, 1},   {CMD_SPEED_FAST, &AppState::playback_speed, 5, 1},
      {CMD_CONTINUOUS, &AppState::continuous_playback, 0, 1}, {CMD_CONTINUOUS, &AppState::continuous_playback, 3, 0},
      {CMD_TIPS, &AppState::tips, 1, 0},                   {CMD_TIPS, &AppState::tips, 0, 1},
      {CMD_SAVE_SETTINGS, &AppState::save_settings, 0, 1}, {CMD_SAVE_SETTINGS, &AppState::save_settings, 9, 0},
  };
  for (const Case& c : cases) {
    ResetAppState();
    g_app.main_window = window;
    g_app.*c.field = c.before;
    AppState before;
    std::memcpy(&before, &g_app, sizeof before);
    SendMessageA(window, WM_COMMAND, c.command, 0);
    const std::string what = "command " + std::to_string(c.command) + " from " + std::to_string(c.before);
    EXPECT_EQ(static_cast<int>(g_app.*c.field), static_cast<int>(c.after), what.c_str());
    before.*c.field = c.after;
    EXPECT_TRUE(std::memcmp(&before, &g_app, sizeof before) == 0, (what + ": nothing else changed").c_str());
  }
  DestroyMainWindow(window);
}
