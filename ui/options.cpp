#include "ui/options.h"

#include "core/state.h"
#include "ui/options_menu.h"

static_assert(kMenuString == MF_STRING && kMenuChecked == MF_CHECKED && kMenuSeparator == MF_SEPARATOR,
              "menu flags as Win32 has them");

void ShowOptionsMenu(WPARAM, LPARAM) {
  HMENU menu = CreatePopupMenu();
  const MenuSettings settings = {g_app.playback_speed, g_app.continuous_playback, g_app.save_settings, g_app.tips,
                                 g_app.follow_windows};
  for (const MenuEntry& entry : kOptionsMenu) AppendMenuA(menu, MenuEntryFlags(entry, settings), entry.id, entry.text);
  RECT outer;
  GetWindowRect(g_app.main_window, &outer);
  TrackPopupMenu(menu, 0, outer.right - 16, outer.bottom - 10, 0, g_app.main_window, nullptr);
  DestroyMenu(menu);
}

void ApplySetting(WPARAM wparam, LPARAM) {
  switch (LOWORD(wparam)) {
    case CMD_SPEED_NORMAL: g_app.playback_speed = 0; break;
    case CMD_SPEED_FAST: g_app.playback_speed = 1; break;
    case CMD_CONTINUOUS: g_app.continuous_playback = !g_app.continuous_playback; break;
    case CMD_TIPS: g_app.tips = !g_app.tips; break;
    case CMD_SAVE_SETTINGS: g_app.save_settings = !g_app.save_settings; break;
    case CMD_FOLLOW_WINDOWS: g_app.follow_windows = !g_app.follow_windows; break;
  }
}
