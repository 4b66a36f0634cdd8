#include "core/describe_window.h"

#include "core/state.h"

int DescribeWindow(HWND window, WindowNote& note) {
  ZeroMemory(&note, sizeof note);
  // Kestrova's windows are its main window and those it owns (its boxes, its
  // menu). The desktop has no parent; none at all neither. A class name is
  // never empty: without one, the window has gone.
  if (GetAncestor(window, GA_ROOTOWNER) == g_app.main_window || !GetAncestor(window, GA_PARENT) ||
      !(GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) ||
      !GetClassNameA(window, note.window_class, kNoteTextCapacity))
    return 0;
  GetWindowTextA(window, note.title, kNoteTextCapacity);
  KeepNoteText(note.window_class);
  KeepNoteText(note.title);
  RECT outer = {};
  GetWindowRect(window, &outer);
  note.left = outer.left;
  note.top = outer.top;
  // A window's extent is never negative, nor above 65535 pixels.
  note.width = static_cast<std::uint32_t>(outer.right - outer.left);
  note.height = static_cast<std::uint32_t>(outer.bottom - outer.top);
  return 1;
}
