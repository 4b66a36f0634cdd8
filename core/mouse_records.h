// What the mouse records of a recording hold: a place on the screen (moves,
// left and right buttons, wheel turns), and the middle and side buttons,
// which are recorded as key records of virtual keys 4, 5 and 6 and hold none.
#ifndef KESTROVA_MOUSE_RECORDS_H
#define KESTROVA_MOUSE_RECORDS_H

#include <cstdint>

#include "core/input_event.h"

// A wheel turn: param_l, param_h the cursor's place; window the signed delta
// (120 a notch, positive away from the user or to the right).
constexpr std::uint32_t kWheelMessage = 522;   // WM_MOUSEWHEEL
constexpr std::uint32_t kHWheelMessage = 526;  // WM_MOUSEHWHEEL

inline bool IsWheelTurn(std::uint32_t message) { return message == kWheelMessage || message == kHWheelMessage; }

// Whether the record holds the cursor's place in param_l and param_h: moves,
// left and right buttons, wheel turns (a double-click record plays nothing).
inline bool HoldsPlace(std::uint32_t message) {
  // One bit per message from 512: 512, 513, 514, 516, 517, 522 and 526.
  return message - 512 < 15 && ((0x4437u >> (message - 512)) & 1) != 0;
}

// The last record before index `before` that holds a place, or none.
inline const InputEvent* LastPlace(const InputEvent* records, std::uint32_t before) {
  while (before > 0)
    if (HoldsPlace(records[--before].message)) return &records[before];
  return nullptr;
}

// How mouse_event presses or lets go of the button a key record stands for.
struct ButtonAction {
  std::uint32_t flags;  // 0: the key is no button
  std::uint32_t data;   // the side button's number
};

// Virtual key 4 is the middle button (MOUSEEVENTF_MIDDLEDOWN 0x20, UP 0x40),
// 5 and 6 the first and second side button (MOUSEEVENTF_XDOWN 0x80, XUP
// 0x100, with XBUTTON1 1 or XBUTTON2 2): keybd_event would click nothing.
inline ButtonAction ButtonOfKey(std::uint32_t vk, bool down) {
  if (vk - 4 > 2) return {0, 0};
  return {(vk == 4 ? 0x20u : 0x80u) << (down ? 0 : 1), vk - 4};  // each up flag is its down flag doubled
}

#endif
