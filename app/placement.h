// Size and place of the main window, from the system metrics and the saved
// position.
#ifndef KESTROVA_PLACEMENT_H
#define KESTROVA_PLACEMENT_H

#include <cstdint>

// Outer size for a row of six 16-pixel buttons with 5-pixel gaps and margins:
// 131 = 5 + 6 * 21 and 26 = 5 + 16 + 5, plus the frame and the small caption.
inline std::int32_t MainWindowWidth(std::int32_t dialog_frame) { return 2 * dialog_frame + 131; }
inline std::int32_t MainWindowHeight(std::int32_t small_caption, std::int32_t dialog_frame) {
  return small_caption + 2 * dialog_frame + 26;
}

// The edge that centres the window on the screen; each half is truncated on
// its own, so an odd screen or window size rounds each half down.
inline std::int32_t CentredEdge(std::int32_t screen, std::int32_t window) { return screen / 2 - window / 2; }

// Keeps a saved edge at least 5 pixels in, then pulls the window back flush
// with the far screen edge when it would reach past it. The far rule comes
// last, so a screen smaller than the window can still push it below 5.
inline std::int32_t PlaceEdge(std::int32_t requested, std::int32_t screen, std::int32_t window) {
  std::int32_t edge = requested < 5 ? 5 : requested;
  if (screen - window < edge) edge = screen - window;
  return edge;
}

#endif
