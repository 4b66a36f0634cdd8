#include "app/settings.h"

#include <windows.h>

#include "app/placement.h"
#include "core/state.h"
#include "core/text_number.h"

namespace {

const char kSection[] = "Kestrova";

std::int32_t ReadInt(const char* key, std::int32_t fallback) {
  return static_cast<std::int32_t>(GetPrivateProfileIntA(kSection, key, fallback, g_app.settings_path));
}

void WriteInt(const char* key, std::int32_t value) {
  char text[32] = {};
  IntToText(value, text);
  WritePrivateProfileStringA(kSection, key, text, g_app.settings_path);
}

}  // namespace

void ReadSettings(std::int32_t screen_w, std::int32_t screen_h, std::int32_t window_w, std::int32_t window_h,
                  std::int32_t& left, std::int32_t& top) {
  left = CentredEdge(screen_w, window_w);
  top = CentredEdge(screen_h, window_h);
  if (!g_app.settings_path[0]) return;
  DWORD attributes = GetFileAttributesA(g_app.settings_path);
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) g_app.save_settings = 1;
  left = ReadInt("window_x", left);
  top = ReadInt("window_y", top);
  g_app.tips = static_cast<std::uint8_t>(ReadInt("tips", 1));
  g_app.playback_speed = static_cast<std::uint8_t>(ReadInt("speed", 0));
  g_app.follow_windows = static_cast<std::uint8_t>(ReadInt("follow_windows", 1));
  g_app.window_wait = ReadInt("window_wait", 10);
}

void WriteSettings() {
  if (!g_app.settings_path[0]) return;
  if (!g_app.save_settings) {
    DeleteFileA(g_app.settings_path);
    return;
  }
  RECT r;
  GetWindowRect(g_app.main_window, &r);
  WriteInt("window_x", r.left);
  WriteInt("window_y", r.top);
  WriteInt("tips", g_app.tips);
  WriteInt("speed", g_app.playback_speed);
  WriteInt("follow_windows", g_app.follow_windows);
  WriteInt("window_wait", g_app.window_wait);
}
