// The options menu as data: its thirteen entries in order, and which of them
// carry a check mark for the current settings.
#ifndef KESTROVA_OPTIONS_MENU_H
#define KESTROVA_OPTIONS_MENU_H

#include <cstdint>

#include "core/ids.h"

// AppendMenuA flags, as Win32 defines them (MF_STRING, MF_CHECKED,
// MF_SEPARATOR).
constexpr std::uint32_t kMenuString = 0;
constexpr std::uint32_t kMenuChecked = 8;
constexpr std::uint32_t kMenuSeparator = 0x800;

enum MenuCheck : std::uint8_t {
  CHECK_NEVER,
  CHECK_SPEED_NORMAL,   // playback speed 0
  CHECK_SPEED_FAST,     // playback speed not 0
  CHECK_CONTINUOUS,
  CHECK_SAVE_SETTINGS,
  CHECK_TIPS,
  CHECK_FOLLOW_WINDOWS,
};

// A separator has id 0 and no text.
struct MenuEntry {
  std::uint16_t id;
  MenuCheck check;
  const char* text;
};

constexpr std::uint32_t kMenuEntryCount = 13;
extern const MenuEntry kOptionsMenu[kMenuEntryCount];

// The settings the check marks show, each as stored in the state.
struct MenuSettings {
  std::uint8_t playback_speed;
  std::uint8_t continuous_playback;
  std::uint8_t save_settings;
  std::uint8_t tips;
  std::uint8_t follow_windows;
};

// Returns the AppendMenuA flags of the entry for these settings.
std::uint32_t MenuEntryFlags(const MenuEntry& entry, const MenuSettings& settings);

#endif
