#include "ui/options_menu.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const MenuEntry& entry) { return entry.text ? entry.text : "(none)"; }

}  // namespace

TEST(OptionsMenu, HoldsTwelveEntriesInOrderWithTheirIdsAndGbkTexts) {
  struct Case {
    std::uint16_t id;
    const char* text;  // code page 936 bytes; none for a separator
  } cases[kMenuEntryCount] = {
      {32778, "\xb2\xa5\xb7\xc5\xcb\xd9\xb6\xc8: \xd5\xfd\xb3\xa3(&N)"},  // 播放速度: 正常(&N)
      {32779, "\xb2\xa5\xb7\xc5\xcb\xd9\xb6\xc8: \xbf\xec(&F)"},          // 播放速度: 快(&F)
      {0, nullptr},
      {32780, "\xc1\xac\xd0\xf8\xb2\xa5\xb7\xc5(&C)"},                     // 连续播放(&C)
      {32781, "\xc9\xe8\xd6\xc3\xd6\xd8\xb8\xb4\xb4\xce\xca\xfd(&R)..."},  // 设置重复次数(&R)...
      {0, nullptr},
      {32786, "\xb1\xa3\xb4\xe6\xc9\xe8\xd6\xc3\xb5\xbd.INI(&S)"},          // 保存设置到.INI(&S)
      {32785, "\xcf\xd4\xca\xbe\xcc\xe1\xca\xbe(&T)"},                     // 显示提示(&T)
      {0, nullptr},
      {32782, "\xb0\xef\xd6\xfa(&H)"},                                     // 帮助(&H)
      {32783, "\xb9\xd9\xcd\xf8(&W)"},                                     // 官网(&W)
      {32784, "\xb9\xd8\xd3\xda(&A)"},                                     // 关于(&A)
  };
  for (std::uint32_t i = 0; i < kMenuEntryCount; ++i) {
    const MenuEntry& entry = kOptionsMenu[i];
    EXPECT_EQ(entry.id, cases[i].id) << "id at position " << i + 1;
    if (cases[i].text) {
      EXPECT_EQ(Text(entry), std::string(cases[i].text)) << "text at position " << i + 1;
    } else {
      EXPECT_EQ(entry.text, nullptr) << "separator at position " << i + 1 << " has no text";
      EXPECT_EQ(entry.check, CHECK_NEVER) << "separator at position " << i + 1;
    }
  }
}

TEST(OptionsMenu, ChecksTheEntriesWhoseSettingHolds) {
  const std::uint32_t S = kMenuString, C = kMenuString | kMenuChecked, X = kMenuSeparator;
  struct Case {
    MenuSettings settings;  // speed, continuous, save settings, tips
    std::uint32_t want[kMenuEntryCount];
    const char* what;
  } cases[] = {
      {{0, 0, 0, 0}, {C, S, X, S, S, X, S, S, X, S, S, S}, "all off, normal speed"},
      {{1, 0, 0, 0}, {S, C, X, S, S, X, S, S, X, S, S, S}, "fast"},
      {{2, 0, 0, 0}, {S, C, X, S, S, X, S, S, X, S, S, S}, "speed 2 counts as fast"},
      {{0, 1, 0, 0}, {C, S, X, C, S, X, S, S, X, S, S, S}, "continuous"},
      {{0, 0, 1, 0}, {C, S, X, S, S, X, C, S, X, S, S, S}, "save settings"},
      {{0, 0, 0, 1}, {C, S, X, S, S, X, S, C, X, S, S, S}, "tips"},
      {{0, 0, 0, 2}, {C, S, X, S, S, X, S, C, X, S, S, S}, "tips 2 shows checked"},
      {{255, 7, 9, 200}, {S, C, X, C, S, X, C, C, X, S, S, S}, "everything on, odd values"},
  };
  for (const Case& c : cases) {
    for (std::uint32_t i = 0; i < kMenuEntryCount; ++i)
      EXPECT_EQ(MenuEntryFlags(kOptionsMenu[i], c.settings), c.want[i]) << c.what << ", position " << i + 1;
  }
}
