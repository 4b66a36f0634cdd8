#include "ui/dialog_texts.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The text cut at each occurrence of the break; the piece after the last
// break is kept too (empty when the text ends with one).
std::vector<std::string> Split(const std::string& text, const std::string& brk) {
  std::vector<std::string> pieces;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(brk, from)) != std::string::npos; from = at + brk.size())
    pieces.push_back(text.substr(from, at - from));
  pieces.push_back(text.substr(from));
  return pieces;
}

}  // namespace

TEST(DialogTexts, CaptionsAndPromptInGbk) {
  struct Case {
    const char* got;
    const char* want;
    const char* what;
  } cases[] = {
      {kHelpCaption, "Kestrova v1.45 \xb0\xef\xd6\xfa", "help caption"},
      {kAboutCaption, "\xb9\xd8\xd3\xda Kestrova", "About caption"},
      {kRepeatCaption, "\xd6\xd8\xb8\xb4\xb2\xa5\xb7\xc5", "repeat caption"},
      {kRepeatPrompt, "\xd1\xad\xbb\xb7\xb2\xa5\xb7\xc5\xca\xfd\xb4\xce\xca\xfd:", "repeat prompt"},
      {kWebHost, "www.kestrova.net", "web host"},
  };
  for (const Case& c : cases) EXPECT_EQ(std::string(c.got), std::string(c.want)) << c.what;
}

TEST(DialogTexts, HelpIsSeventeenLinesEachEndingInCrLf) {
  const std::string help = kHelpText;
  EXPECT_EQ(help.size(), 315u) << "bytes in all";
  ASSERT_GE(help.size(), 2u);
  EXPECT_EQ(help.substr(help.size() - 2), "\r\n") << "the last line ends with its break";
  std::vector<std::string> lines = Split(help, "\r\n");
  ASSERT_EQ(lines.size(), 18u) << "17 lines and nothing after the last break";
  EXPECT_EQ(lines[17], "") << "nothing after the last break";
  const char* want[17] = {
      "快速入门指南:", "", "1)按下蓝色按钮开始录制(变为红色)", "2)按下红色按钮停止录制", "3)按下绿色按钮播放", "",
      "录制也可以运行命令行中进行", "例如:kestrova C:\\recording.rec", "", "", "快捷键:", "",
      "Ctrl+ Shift+ Alt键+R - >开始/停止录制", "Ctrl+ Shift+ Alt键+P - >开始/停止播放", "O         - >打开",
      "Enter     - >显示选项", "Enter+R   - >设置重复",
  };
  for (int i = 0; i < 17; ++i) {
    EXPECT_EQ(lines[i], want[i]) << "line " << i + 1;
    EXPECT_EQ(lines[i].find_first_of("\r\n"), std::string::npos) << "no lone break in line " << i + 1;
  }
  // A few lines byte for byte, as the compiler must have stored them.
  EXPECT_EQ(lines[0], "\xbf\xec\xcb\xd9\xc8\xeb\xc3\xc5\xd6\xb8\xc4\xcf:");
  EXPECT_EQ(lines[7], "\xc0\xfd\xc8\xe7:kestrova C:\\recording.rec") << "one backslash";
  EXPECT_EQ(lines[7].size(), 30u);
  EXPECT_EQ(lines[12], "Ctrl+ Shift+ Alt\xbc\xfc+R - >\xbf\xaa\xca\xbc/\xcd\xa3\xd6\xb9\xc2\xbc\xd6\xc6");
  EXPECT_EQ(lines[14], "O         - >\xb4\xf2\xbf\xaa") << "O and nine blanks";
  EXPECT_EQ(lines[15].substr(0, 10), "Enter     ") << "five blanks";
  EXPECT_EQ(lines[16].substr(0, 10), "Enter+R   ") << "three blanks";
}

TEST(DialogTexts, AboutBreaksFiveLinesWithLfThenSevenWithCrLf) {
  const std::string about = kAboutText;
  EXPECT_EQ(about.size(), 169u) << "bytes in all";
  const std::size_t first_cr = about.find('\r');
  ASSERT_NE(first_cr, std::string::npos);
  const std::string head = about.substr(0, first_cr);  // up to the first CR LF
  const std::size_t head_end = head.rfind('\n') + 1;
  std::vector<std::string> lf_lines = Split(about.substr(0, head_end), "\n");
  ASSERT_EQ(lf_lines.size(), 6u) << "five lines broken by LF alone";
  const char* want_lf[5] = {"", "", "", "KestrovaC \xb0\xe6\xb1\xbe    1.45", ""};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(lf_lines[i], want_lf[i]) << "line " << i + 1;
  EXPECT_EQ(lf_lines[5], "");

  std::vector<std::string> crlf_lines = Split(about.substr(head_end), "\r\n");
  ASSERT_EQ(crlf_lines.size(), 8u) << "seven lines broken by CR LF, nothing after";
  EXPECT_EQ(crlf_lines[7], "");
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(crlf_lines[i].find_first_of("\r\n"), std::string::npos) << "no lone break in line " << i + 6;
  // Lines 6 and 7 are the maker's notice: short, and ours.
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(crlf_lines[i].empty()) << "notice line " << i + 1;
    EXPECT_LE(crlf_lines[i].size(), 40u) << "notice line " << i + 1;
  }
  EXPECT_NE(crlf_lines[0].find("Kestrova"), std::string::npos) << "the notice names the program";
  EXPECT_EQ(crlf_lines[2],
            "\xb9\xb9\xbd\xa8\xd3\xda:2010\xc4\xea" "6\xd4\xc2" "10\xba\xc5" "4\xca\xb1" "02\xb7\xd6" "51\xc3\xeb");
  EXPECT_EQ(crlf_lines[3], "");
  EXPECT_EQ(crlf_lines[4],
            "\xc8\xe7\xb9\xfb\xc4\xe3\xcf\xb2\xbb\xb6\xd5\xe2\xb8\xf6\xb3\xcc\xd0\xf2,\xc7\xeb\xbf\xbc\xc2\xc7\xbe\xe8"
            "\xd4\xf9\xce\xd2\xc3\xc7\xb5\xc4\xcd\xf8\xd5\xbe.");
  EXPECT_EQ(crlf_lines[5], "\xd0\xbb\xd0\xbb!");
  EXPECT_EQ(crlf_lines[6], "");
}

TEST(RepeatPrompt, FirstTextIsTheCountAndAtLeastOne) {
  struct Case {
    std::int32_t count;
    const char* want;
  } cases[] = {
      {1, "1"}, {3, "3"}, {10, "10"}, {0, "1"}, {-1, "1"}, {INT_MIN, "1"}, {INT_MAX, "2147483647"},
  };
  for (const Case& c : cases) {
    char text[32];
    std::memset(text, 'x', sizeof text);
    RepeatTextFor(c.count, text);
    EXPECT_STREQ(text, c.want) << "count " << c.count;
  }
}

TEST(RepeatPrompt, AcceptedTextBecomesACountOfAtLeastOne) {
  struct Case {
    const char* text;
    std::int32_t want;
  } cases[] = {
      {"", 1},
      {"0", 1},
      {"3", 3},
      {"12", 12},
      {"007", 7},
      {"-5", 1},
      {"abc", 1},
      {"2147483647", INT_MAX},
      {"2147483648", 1},  // wraps to the most negative number
      {"4294967297", 1},  // wraps to 1
      {"5000000000", 705032704},
      // The most the edit box hands back: 30 digits, wrapping as TextToInt does.
      {"123456789012345678901234567890", 1312754386},
  };
  for (const Case& c : cases) EXPECT_EQ(RepeatCountFromText(c.text), c.want) << "text \"" << c.text << "\"";
}

TEST(WebSite, AddressAndFailureText) {
  char text[kWebTextCapacity];
  std::memset(text, 'x', sizeof text);
  ComposeWebAddress(true, text);
  EXPECT_STREQ(text, "http://www.kestrova.net") << "from the About box's link";
  ComposeWebAddress(false, text);
  EXPECT_STREQ(text, "http://www.kestrova.net/support.php#tools") << "from the menu";
  std::memset(text, 'x', sizeof text);
  ComposeWebFailure(text);
  EXPECT_STREQ(text, "\xce\xde\xb7\xa8\xc1\xac\xbd\xd3\xb5\xbd \"www.kestrova.net\"");
}
