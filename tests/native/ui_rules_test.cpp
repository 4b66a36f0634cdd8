// The dialogs' decisions: the options menu's check marks and the repeat
// prompt's count.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "ui/dialog_texts.h"
#include "ui/options_menu.h"

TEST(Menu, CheckMarksFollowTheSettings) {
  const std::uint32_t S = kMenuString, C = kMenuString | kMenuChecked, X = kMenuSeparator;
  struct Case {
    MenuSettings settings;  // speed, continuous, save settings, tips, follow windows
    std::uint32_t want[kMenuEntryCount];
  } cases[] = {
      {{0, 0, 0, 0, 0}, {C, S, X, S, S, S, X, S, S, X, S, S, S}},
      {{2, 0, 0, 0, 1}, {S, C, X, S, S, C, X, S, S, X, S, S, S}},  // any speed but 0 is fast
      {{255, 7, 9, 200, 3}, {S, C, X, C, S, C, X, C, C, X, S, S, S}},
  };
  for (const Case& c : cases)
    for (std::uint32_t i = 0; i < kMenuEntryCount; ++i)
      EXPECT_EQ(MenuEntryFlags(kOptionsMenu[i], c.settings), c.want[i]) << "speed " << int(c.settings.playback_speed)
                                                                       << ", position " << i + 1;
}

TEST(Dialogs, RepeatPromptShowsAndTakesCountsOfAtLeastOne) {
  struct Shown {
    std::int32_t count;
    const char* text;
  } shown[] = {{INT_MIN, "1"}, {INT_MAX, "2147483647"}};
  for (const Shown& c : shown) {
    char text[32];
    std::memset(text, 'x', sizeof text);
    RepeatTextFor(c.count, text);
    EXPECT_STREQ(text, c.text) << c.count;
  }
  struct Taken {
    const char* text;
    std::int32_t count;
  } taken[] = {
      {"", 1}, {"007", 7}, {"-5", 1}, {"2147483648", 1}, {"4294967297", 1}, {"5000000000", 705032704},
  };
  for (const Taken& c : taken) EXPECT_EQ(RepeatCountFromText(c.text), c.count) << c.text;
}
