#include "core/text_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

TEST(TextToInt, ReadsTheFirstRunOfDigitsWithTheSignBeforeIt) {
  struct Case {
    const char* text;
    std::int32_t want;
  } cases[] = {
      {"032768", 32768},  {"abc-12x34", -12}, {"--7", -7},        {"x5-", 5},         {"no digits", 0},
      {"", 0},            {"-", 0},           {"7", 7},           {"-0", 0},          {" 42 ", 42},
      {"a-b3", 3},        {"+9", 9},          {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      // Overlong runs wrap in 32-bit arithmetic: 10^10 mod 2^32 = 1410065408.
      {"10000000000", 1410065408}, {"99999999999", 1215752191}, {"4294967296", 0}, {"4294967297", 1},
      {"-4294967295", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(TextToInt(c.text), c.want) << "text \"" << c.text << "\"";
  EXPECT_EQ(TextToInt(nullptr), 0) << "absent text";
}

TEST(TextToInt, TreatsHighBytesAsNonDigits) {
  // "次数12" in code page 936 ahead of the digits.
  EXPECT_EQ(TextToInt("\xb4\xce\xca\xfd" "12"), 12);
  EXPECT_EQ(TextToInt("\xb4-\xce" "3"), 3) << "the sign must stand right before the digits";
}

TEST(IntToText, WritesPlainDecimal) {
  struct Case {
    std::int32_t value;
    const char* want;
  } cases[] = {
      {0, "0"},           {1, "1"},           {-1, "-1"},           {9, "9"},
      {10, "10"},         {100, "100"},       {1000000000, "1000000000"},
      {999999999, "999999999"},               {2147483647, "2147483647"},
      {-2147483647, "-2147483647"},           {INT_MIN, "-2147483648"},
      {32768, "32768"},   {-5, "-5"},         {1000000001, "1000000001"},
  };
  for (const Case& c : cases) {
    char out[12];
    std::memset(out, 'x', sizeof out);
    IntToText(c.value, out);
    EXPECT_STREQ(out, c.want) << "value " << c.value;
  }
}

TEST(IntToText, RoundTripsThroughTextToInt) {
  for (std::int64_t v = INT_MIN; v <= INT_MAX; v += 65537 * 37) {
    char out[12];
    IntToText(static_cast<std::int32_t>(v), out);
    ASSERT_EQ(TextToInt(out), static_cast<std::int32_t>(v)) << "text " << out;
  }
}
