#include <gtest/gtest.h>

#include "app/placement.h"
#include "core/toolbar_layout.h"

TEST(Placement, WindowSizeFitsSixButtons) {
  EXPECT_EQ(MainWindowWidth(3), 137);
  EXPECT_EQ(MainWindowHeight(17, 3), 49);
}

TEST(Placement, CentresWithEachHalfTruncated) {
  EXPECT_EQ(CentredEdge(1024, 137), 512 - 68);
  EXPECT_EQ(CentredEdge(1023, 137), 511 - 68);
  EXPECT_EQ(CentredEdge(-7, 3), -3 - 1) << "signed halves truncate toward zero";
}

TEST(Placement, ClampsSavedEdges) {
  struct Case {
    std::int32_t requested, screen, window, want;
  } cases[] = {
      {3, 1024, 137, 5},       {2, 768, 49, 5},     {5, 1024, 137, 5},     {-400, 1024, 137, 5},
      {600, 1024, 137, 600},   {887, 1024, 137, 887}, {888, 1024, 137, 887}, {5000, 1024, 137, 887},
      // A screen smaller than the window plus 5: the far rule wins, below 5.
      {5, 140, 137, 3},        {0, 100, 137, -37},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PlaceEdge(c.requested, c.screen, c.window), c.want)
        << "requested " << c.requested << " screen " << c.screen << " window " << c.window;
}

TEST(HitTest, EveryColumnBelongsToOneButton) {
  // The columns that end each button's range, and the button of each range.
  const int last_column[6] = {22, 43, 64, 85, 106, 65535};
  int button = 0;
  for (std::uint32_t x = 0; x <= 65535; ++x) {
    if (x > static_cast<std::uint32_t>(last_column[button])) ++button;
    ASSERT_EQ(ButtonAtClick(x), button) << "x " << x;
  }
}

TEST(HitTest, ReadsOnlyTheLowWordUnsigned) {
  EXPECT_EQ(ButtonAtClick(0x00300000u | 50), 2) << "y is not examined";
  EXPECT_EQ(ButtonAtClick(0xFFFFu), 5) << "x is unsigned: 65535 is far right, not -1";
  EXPECT_EQ(ButtonAtClick(0xFFFF0000u), 0);
}

TEST(HitTest, PicturesSitAtTheirButtons) {
  for (int i = 0; i < kButtonCount; ++i) {
    int left = ButtonLeft(i);
    EXPECT_EQ(left, 5 + 21 * i);
    EXPECT_EQ(ButtonAtColumn(left), i) << "left edge of button " << i;
    EXPECT_EQ(ButtonAtColumn(left + kButtonSize - 1), i) << "right edge of button " << i;
  }
}

TEST(HitTest, RecordButtonTurnsRedOnlyWhileRecording) {
  for (int i = 0; i < kButtonCount; ++i) {
    EXPECT_EQ(ButtonImage(i, RUN_IDLE), i);
    EXPECT_EQ(ButtonImage(i, RUN_PLAYING), i);
    EXPECT_EQ(ButtonImage(i, RUN_RECORDING), i == 2 ? 6 : i);
  }
}
