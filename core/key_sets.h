// Keys that need special handling when they are injected.
#ifndef KESTROVA_KEY_SETS_H
#define KESTROVA_KEY_SETS_H

#include <cstdint>

// Keys injected with the extended-key flag: Ctrl, the navigation block
// (Page Up to Delete), the two Windows keys and the Applications key.
inline bool IsExtendedKey(std::uint32_t vk) { return vk == 17 || (vk >= 33 && vk <= 46) || (vk >= 91 && vk <= 93); }

// Caps Lock, Num Lock and Scroll Lock: releasing them would flip their
// lights, so input release leaves them alone.
inline bool IsLockKey(std::uint32_t vk) { return vk == 20 || vk == 144 || vk == 145; }

// Ctrl, Shift and Alt, of either hand or either: the modifiers of the
// hotkey chords.
inline bool IsChordModifier(std::uint32_t vk) { return (vk >= 16 && vk <= 18) || (vk >= 160 && vk <= 165); }

#endif
