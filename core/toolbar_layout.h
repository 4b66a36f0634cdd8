// Where the six toolbar buttons sit and which one a column belongs to.
#ifndef KESTROVA_TOOLBAR_LAYOUT_H
#define KESTROVA_TOOLBAR_LAYOUT_H

#include <cstdint>

#include "core/run_mode.h"

constexpr int kButtonCount = 6;
constexpr int kButtonSize = 16;
constexpr int kButtonPitch = 21;  // 16 pixels of picture and a 5-pixel gap
constexpr int kButtonLeft = 5;
constexpr int kButtonTop = 5;
constexpr int kRecordButton = 2;
constexpr int kRecordingImage = 6;  // the red circle, shown while recording

inline int ButtonLeft(int button) { return kButtonLeft + kButtonPitch * button; }

// The button whose column holds x: every x belongs to exactly one button,
// the margins and gaps included, so any click in the client area hits one.
inline int ButtonAtColumn(std::int32_t x) {
  std::int32_t index = (x - 2) / kButtonPitch;
  if (index < 0) index = 0;
  if (index > kButtonCount - 1) index = kButtonCount - 1;
  return static_cast<int>(index);
}

// The button under a click; x is read unsigned from the low word of lParam.
inline int ButtonAtClick(std::uint32_t lparam) { return ButtonAtColumn(static_cast<std::int32_t>(lparam & 0xFFFF)); }

// Which picture of the strip the button shows in the given run mode.
inline int ButtonImage(int button, std::uint32_t run_mode) {
  return button == kRecordButton && run_mode == RUN_RECORDING ? kRecordingImage : button;
}

#endif
