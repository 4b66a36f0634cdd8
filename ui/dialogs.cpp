#include "ui/dialogs.h"

#include "core/ids.h"
#include "core/message_box.h"
#include "core/post_command.h"
#include "core/product_name.h"
#include "core/state.h"
#include "ui/dialog_texts.h"

namespace {

// Draws the link's text in blue over the box's background, on one line.
void PaintWebLink(HWND control) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(control, &paint);
  RECT client;
  GetClientRect(control, &client);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 255));
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  char text[64];
  text[0] = 0;
  GetWindowTextA(control, text, 63);
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
  if (IsWindow(control) && (GetWindowLongPtrA(control, GWL_STYLE) & SS_CENTER)) format |= DT_CENTER;
  DrawTextA(dc, text, -1, &client, format);
  EndPaint(control, &paint);
}

}  // namespace

void AskRepeatCount(WPARAM, LPARAM) {
  HWND window = g_app.main_window;
  SetTimer(window, TIMER_REPEAT_EDIT, 10, nullptr);
  RepeatTextFor(g_app.repeat_count, g_app.repeat_text);
  // The edit box has written its text back into repeat_text by the time
  // the box returns (RepeatEditProc, on its destruction).
  if (MessageBoxA(window, kRepeatPrompt, kRepeatCaption, kPromptFlags) == IDOK) {
    g_app.repeat_count = RepeatCountFromText(g_app.repeat_text);
    g_app.continuous_playback = 0;
  }
  KillTimer(window, TIMER_REPEAT_EDIT);
}

void ShowHelp(WPARAM, LPARAM) { ShowInformation(kHelpText, kHelpCaption); }

void OpenWebSite(WPARAM, LPARAM lparam) {
  char text[kWebTextCapacity];
  ComposeWebAddress(lparam == 1, text);
  if (reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, nullptr, text, nullptr, nullptr, SW_SHOWNORMAL)) > 32) return;
  ComposeWebFailure(text);
  ShowInformation(text, kProductName);
}

void ShowAbout(WPARAM, LPARAM) {
  HWND window = g_app.main_window;
  SetTimer(window, TIMER_ABOUT_LINK, 10, nullptr);
  MSGBOXPARAMSA params = {};
  params.cbSize = sizeof params;
  params.hwndOwner = window;
  params.hInstance = GetModuleHandleA(nullptr);
  params.lpszText = kAboutText;
  params.lpszCaption = kAboutCaption;
  params.dwStyle = kAboutFlags;
  params.lpszIcon = MAKEINTRESOURCEA(IDI_APP);
  MessageBoxIndirectA(&params);
  KillTimer(window, TIMER_ABOUT_LINK);
}

void InjectControl(HWND window, WPARAM timer) {
  const bool edit = timer == TIMER_REPEAT_EDIT;
  HWND box = FindWindowExA(nullptr, nullptr, nullptr, edit ? kRepeatCaption : kAboutCaption);
  if (!box) return;  // not up yet: the timer comes again
  KillTimer(window, timer);
  RECT client;
  GetClientRect(box, &client);
  // The boxes of Windows before Vista put their text higher.
  int y = LOBYTE(LOWORD(GetVersion())) < 6 ? 15 : 30;
  if (edit) y += 30;
  HWND control = CreateWindowExA(
      WS_EX_TOPMOST, edit ? "EDIT" : "STATIC", edit ? g_app.repeat_text : kWebHost,
      edit ? WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL
           : WS_CHILD | WS_VISIBLE | SS_CENTER,
      75, y, client.right - 150, 20, box, reinterpret_cast<HMENU>(static_cast<INT_PTR>(edit ? 0 : CMD_WEBSITE)),
      nullptr, nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  SetWindowLongPtrA(control, GWLP_USERDATA, GetWindowLongPtrA(control, GWLP_WNDPROC));
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit ? RepeatEditProc : WebLinkProc));
  ShowWindow(control, SW_SHOW);
  UpdateWindow(control);
  InvalidateRect(box, nullptr, TRUE);
  InvalidateRect(control, nullptr, TRUE);
  if (edit) {
    // Five digits: every count the box takes is one a compiled copy's
    // five-digit field holds.
    SendMessageA(control, EM_LIMITTEXT, 5, 0);
    SendMessageA(control, EM_SETSEL, 0, -1);
    SetFocus(control);
  }
}

LRESULT CALLBACK RepeatEditProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  WNDPROC saved = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_USERDATA));
  // At most 30 characters, so that the text always fits the state's buffer.
  if (message == WM_DESTROY) GetWindowTextA(control, g_app.repeat_text, 31);
  if (saved) return CallWindowProcA(saved, control, message, wparam, lparam);
  return DefWindowProcA(control, message, wparam, lparam);
}

// The class procedure is never called: a static control would tell the box
// that every point is transparent, and the link would never see the mouse.
LRESULT CALLBACK WebLinkProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEMOVE: SetCursor(g_app.hand_cursor); break;
    case WM_LBUTTONDOWN: PostCommand(CMD_WEBSITE, 1); break;
    case WM_PAINT: PaintWebLink(control); return 1;
  }
  return DefWindowProcA(control, message, wparam, lparam);
}
