// The dialogs' decisions and the texts no end-to-end journey reads: the
// options menu's entries and the About box's lines.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "ui/dialog_texts.h"
#include "ui/options_menu.h"

TEST(Menu, TwelveEntriesWithTheirIdsTextsAndCheckMarks) {
  const char* texts[kMenuEntryCount] = {"播放速度: 正常(&N)", "播放速度: 快(&F)", nullptr, "连续播放(&C)",
                                        "设置重复次数(&R)...", nullptr, "保存设置到.INI(&S)", "显示提示(&T)", nullptr,
                                        "帮助(&H)", "官网(&W)", "关于(&A)"};
  const std::uint16_t ids[kMenuEntryCount] = {32778, 32779, 0, 32780, 32781, 0, 32786, 32785, 0, 32782, 32783, 32784};
  for (std::uint32_t i = 0; i < kMenuEntryCount; ++i) {
    EXPECT_EQ(kOptionsMenu[i].id, ids[i]) << "position " << i + 1;
    EXPECT_STREQ(kOptionsMenu[i].text, texts[i]) << "position " << i + 1;
  }
  const std::uint32_t S = kMenuString, C = kMenuString | kMenuChecked, X = kMenuSeparator;
  struct Case {
    MenuSettings settings;  // speed, continuous, save settings, tips
    std::uint32_t want[kMenuEntryCount];
  } cases[] = {
      {{0, 0, 0, 0}, {C, S, X, S, S, X, S, S, X, S, S, S}},
      {{2, 0, 0, 0}, {S, C, X, S, S, X, S, S, X, S, S, S}},  // any speed but 0 is fast
      {{255, 7, 9, 200}, {S, C, X, C, S, X, C, C, X, S, S, S}},
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

TEST(Dialogs, AboutBreaksFiveLinesWithLfThenTheRestWithCrLf) {
  const std::string about = kAboutText;
  const std::size_t notice = about.find("\n\n", 4) + 2;
  EXPECT_EQ(about.substr(0, notice), "\n\n\nKestrovaC 版本    1.45\n\n");
  const std::size_t built = about.find("构建于");
  ASSERT_NE(built, std::string::npos);
  EXPECT_EQ(about.substr(built), "构建于:2010年6月10号4时02分51秒\r\n\r\n如果你喜欢这个程序,请考虑捐赠我们的网站.\r\n谢谢!\r\n\r\n");
  // Between them, the maker's notice: two short lines that name the program.
  const std::string lines = about.substr(notice, built - notice);
  const std::size_t first_end = lines.find("\r\n");
  ASSERT_NE(first_end, std::string::npos);
  EXPECT_NE(lines.find("Kestrova"), std::string::npos);
  EXPECT_TRUE(first_end > 0 && first_end <= 40 && lines.size() - first_end - 4 <= 40 &&
              lines.compare(lines.size() - 2, 2, "\r\n") == 0 && lines.find('\n', first_end + 2) == lines.size() - 1)
      << lines;
}
