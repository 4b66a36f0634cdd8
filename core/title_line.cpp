#include "core/title_line.h"

#include "core/product_name.h"
#include "core/run_mode.h"
#include "core/text.h"
#include "core/text_number.h"
#include "core/toolbar_layout.h"

const char* const kButtonTips[6] = {
    "打开 (O)", "保存", "录制 (ctl+shift+alt+R)", "粘贴 (ctl+shift+alt+P)", "编译", "选项 (Enter)",
};

namespace {

void AppendNumber(char* dst, std::int32_t value) {
  char digits[12];
  IntToText(value, digits);
  AppendBounded(dst, kTitleCapacity, digits);
}

// "%02d" for a count that is never negative: two digits at least, more when
// the value needs them (minutes pass 99 after 100 minutes).
void AppendTwoDigits(char* dst, std::uint32_t value) {
  if (value < 10) AppendBounded(dst, kTitleCapacity, "0");
  AppendNumber(dst, static_cast<std::int32_t>(value));
}

void AppendClock(char* dst, const char* label, const TitleInputs& in) {
  std::uint32_t seconds = (in.now_tick - in.start_tick) / 1000u;
  AppendBounded(dst, kTitleCapacity, label);
  AppendTwoDigits(dst, seconds / 60u);
  AppendBounded(dst, kTitleCapacity, ":");
  AppendTwoDigits(dst, seconds % 60u);
}

int CursorInsideWindow(const TitleInputs& in) {
  return in.cursor_x >= in.window_left && in.cursor_x <= in.window_right && in.cursor_y >= in.window_top &&
         in.cursor_y <= in.window_bottom;
}

}  // namespace

void ComposeTitle(const TitleInputs& in, char* dst) {
  dst[0] = 0;
  if (in.run_mode == RUN_RECORDING) {
    AppendClock(dst, "录制 ", in);
  } else if (in.run_mode == RUN_PLAYING && in.awaited) {
    // Named by its title, or by its class when it has none.
    CopyBounded(dst, kTitleCapacity, "等待窗口: ");
    AppendBounded(dst, kTitleCapacity, in.awaited->title[0] ? in.awaited->title : in.awaited->window_class);
  } else if (in.run_mode == RUN_PLAYING) {
    AppendClock(dst, "播放 ", in);
    AppendBounded(dst, kTitleCapacity, " (");
    AppendNumber(dst, static_cast<std::int32_t>(static_cast<std::uint32_t>(in.repetitions_done) + 1u));
    AppendBounded(dst, kTitleCapacity, "/");
    AppendNumber(dst, in.continuous_playback ? 0 : in.repeat_count);
    AppendBounded(dst, kTitleCapacity, in.continuous_playback ? "*)" : ")");
  } else if (in.shown_name && in.shown_name[0]) {
    CopyBounded(dst, kTitleCapacity, in.shown_name);
  } else if (in.tips == 1 && CursorInsideWindow(in)) {
    // The outer rectangle includes the frame, so these columns sit a frame's
    // width to the right of the click columns, and the caption shows tips too.
    CopyBounded(dst, kTitleCapacity, kButtonTips[ButtonAtColumn(in.cursor_x - in.window_left)]);
  }
  if (!dst[0]) CopyBounded(dst, kTitleCapacity, kProductName);
}
