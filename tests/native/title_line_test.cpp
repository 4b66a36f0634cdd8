#include "core/title_line.h"

#include <gtest/gtest.h>

#include <string>

#include "core/run_mode.h"

namespace {

// A window at (100, 200)-(237, 249) with the cursor far away.
TitleInputs Idle() {
  TitleInputs in = {};
  in.run_mode = RUN_IDLE;
  in.tips = 1;
  in.repeat_count = 1;
  in.shown_name = "";
  in.window_left = 100, in.window_top = 200, in.window_right = 237, in.window_bottom = 249;
  in.cursor_x = 900, in.cursor_y = 900;
  return in;
}

std::string Title(const TitleInputs& in) {
  char out[kTitleCapacity];
  ComposeTitle(in, out);
  return out;
}

}  // namespace

TEST(TitleLine, CountsRecordingTimeInMinutesAndSeconds) {
  struct Case {
    std::uint32_t start, now;
    const char* want;
  } cases[] = {
      {1000, 1000, "录制 00:00"},
      {1000, 1999, "录制 00:00"},
      {1000, 2000, "录制 00:01"},
      {0, 59999, "录制 00:59"},
      {0, 61000, "录制 01:01"},
      {0, 125u * 60000, "录制 125:00"},
      // The tick count wraps after 49.7 days; the difference stays right.
      {0xFFFFF000u, 0x00001000u, "录制 00:08"},
  };
  for (const Case& c : cases) {
    TitleInputs in = Idle();
    in.run_mode = RUN_RECORDING;
    in.shown_name = "demo.rec";
    in.start_tick = c.start, in.now_tick = c.now;
    EXPECT_EQ(Title(in), c.want) << "start " << c.start << " now " << c.now;
  }
}

TEST(TitleLine, ShowsTheRunWhilePlaying) {
  struct Case {
    std::int32_t done, count;
    std::uint8_t continuous;
    const char* want;
  } cases[] = {
      {0, 1, 0, "播放 00:03 (1/1)"},
      {1, 3, 0, "播放 00:03 (2/3)"},
      {2, 0, 1, "播放 00:03 (3/0*)"},
      {0, 12345, 1, "播放 00:03 (1/0*)"},
      {0, -4, 0, "播放 00:03 (1/-4)"},
  };
  for (const Case& c : cases) {
    TitleInputs in = Idle();
    in.run_mode = RUN_PLAYING;
    in.start_tick = 10, in.now_tick = 3010;
    in.repetitions_done = c.done, in.repeat_count = c.count, in.continuous_playback = c.continuous;
    EXPECT_EQ(Title(in), c.want);
  }
}

TEST(TitleLine, IdleShowsTheNameOrTheTipUnderTheCursor) {
  TitleInputs in = Idle();
  EXPECT_EQ(Title(in), "Kestrova") << "cursor outside, no name";
  in.cursor_y = 210;
  // Columns counted from the outer left edge: (x - left - 2) / 21.
  struct Case {
    std::int32_t x;
    int tip;
  } cases[] = {{100, 0}, {122, 0}, {123, 1}, {165, 3}, {206, 4}, {207, 5}, {237, 5}};
  for (const Case& c : cases) {
    in.cursor_x = c.x;
    EXPECT_EQ(Title(in), kButtonTips[c.tip]) << "cursor x " << c.x;
  }
  in.cursor_x = 238;
  EXPECT_EQ(Title(in), "Kestrova") << "one pixel right of the rectangle";
  in.cursor_x = 150, in.cursor_y = 249;
  EXPECT_EQ(Title(in), kButtonTips[2]) << "the bottom edge is inside";
  in.cursor_y = 200;
  EXPECT_EQ(Title(in), kButtonTips[2]) << "the caption bar shows tips too";
  in.cursor_y = 199;
  EXPECT_EQ(Title(in), "Kestrova");

  in.cursor_y = 210;
  in.shown_name = "demo.rec";
  EXPECT_EQ(Title(in), "demo.rec") << "a loaded name hides the tips";
  in.shown_name = "";
  in.tips = 0;
  EXPECT_EQ(Title(in), "Kestrova") << "tips off";
  in.tips = 2;
  EXPECT_EQ(Title(in), "Kestrova") << "only a tips flag of exactly 1 shows tips";
}

TEST(TitleLine, TextsAreStoredInCodePage936) {
  EXPECT_EQ(std::string(kButtonTips[0]), "\xb4\xf2\xbf\xaa (O)");
  EXPECT_EQ(std::string(kButtonTips[2]), "\xc2\xbc\xd6\xc6 (ctl+shift+alt+R)");
  EXPECT_EQ(std::string(kButtonTips[3]), "\xd5\xb3\xcc\xf9 (ctl+shift+alt+P)");
  EXPECT_EQ(std::string(kButtonTips[5]), "\xd1\xa1\xcf\xee (Enter)");
  TitleInputs in = Idle();
  in.run_mode = RUN_PLAYING;
  EXPECT_EQ(Title(in).substr(0, 5), "\xb2\xa5\xb7\xc5 ");
}
