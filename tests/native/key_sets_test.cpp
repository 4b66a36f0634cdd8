#include "core/key_sets.h"

#include <gtest/gtest.h>

TEST(KeySets, ExtendedAndLockKeys) {
  for (std::uint32_t vk = 0; vk <= 255; ++vk) {
    bool extended = vk == 17 || (vk >= 33 && vk <= 46) || vk == 91 || vk == 92 || vk == 93;
    EXPECT_EQ(IsExtendedKey(vk), extended) << "vk " << vk;
    EXPECT_EQ(IsLockKey(vk), vk == 20 || vk == 144 || vk == 145) << "vk " << vk;
  }
  // The ones that matter most, spelled out: Shift and Alt go plain, Ctrl and
  // Delete extended.
  EXPECT_FALSE(IsExtendedKey(16));
  EXPECT_FALSE(IsExtendedKey(18));
  EXPECT_TRUE(IsExtendedKey(17));
  EXPECT_TRUE(IsExtendedKey(46));
  EXPECT_FALSE(IsExtendedKey(47));
  EXPECT_FALSE(IsExtendedKey(90));
  EXPECT_FALSE(IsExtendedKey(94));
}
