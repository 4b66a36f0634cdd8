#include "core/input_release.h"

#include <windows.h>

#include "core/key_sets.h"
#include "core/mouse_records.h"

namespace {

bool HighBit(SHORT state) { return (state & 0x8000) != 0; }

bool KeyReadsDown(int vk) {
  if (HighBit(GetAsyncKeyState(vk))) return true;
  // A mouse button (1, 2, 4, 5, 6) gets a second asynchronous look;
  // Backspace counts as down when its toggle bit is set; other keys as this
  // thread last saw them.
  if (vk <= VK_XBUTTON2 && vk != VK_CANCEL) return HighBit(GetAsyncKeyState(vk));
  if (vk == VK_BACK) return (GetKeyState(vk) & 1) != 0;
  return HighBit(GetKeyState(vk));
}

}  // namespace

void ReleaseInput(bool between_runs) {
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  for (int vk = 0; vk <= 255; ++vk) {
    if (IsLockKey(vk) || (between_runs && IsChordModifier(vk)) || !KeyReadsDown(vk)) continue;
    // The middle and side buttons are let go of as the buttons they are.
    ButtonAction button = ButtonOfKey(vk, false);
    if (button.flags) {
      mouse_event(button.flags, 0, 0, button.data, 0);
      continue;
    }
    DWORD flags = KEYEVENTF_KEYUP | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    keybd_event(static_cast<BYTE>(vk), static_cast<BYTE>(MapVirtualKeyA(vk, 0)), flags, 0);
  }
  BYTE all_up[256] = {};
  SetKeyboardState(all_up);
  for (int vk = 0; vk <= 254; ++vk) GetAsyncKeyState(vk);
  Sleep(1);
}
