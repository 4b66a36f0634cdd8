// File names in code page 936: a lead byte 0x81..0xFE and a second byte that
// may be a backslash.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "files/file_name_rules.h"

namespace {

// Whether no lead byte stands last: the text splits no character.
bool WholeCharacters(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (static_cast<unsigned char>(text[i]) >= 0x81 && ++i == text.size()) return false;
  return true;
}

std::string Times(int n, const std::string& piece) {
  std::string text;
  while (n-- > 0) text += piece;
  return text;
}

const std::string kJi = "\xbc\xc7";     // 记
const std::string kCheng = "\x81\x5c";  // 乗: its second byte is a backslash
const std::string kSize = "\"\n\n\xce\xc4\xbc\xfe\xb4\xf3\xd0\xa1:  ";  // "\n\n文件大小:

}  // namespace

TEST(FileNames, NamePartAndWholeCharacters) {
  struct Case {
    std::string path, part;
  } parts[] = {
      {"C:\\macros\\demo.rec", "demo.rec"}, {"demo.rec", "demo.rec"}, {"C:\\macros\\", ""}, {"", ""},
      {"C:/macros/demo.rec", "C:/macros/demo.rec"}, {"C:\\" + kCheng + ".rec", kCheng + ".rec"},
      {"C:\\x\\" + kCheng + "\\b.rec", "b.rec"}, {"C:\\" + kCheng + kCheng, kCheng + kCheng},
  };
  for (const Case& c : parts) EXPECT_EQ(std::string(FileNamePart(c.path.c_str())), c.part) << c.path;
  struct Append {
    std::string before, src;
    std::uint32_t cap;
    std::string after;
  } appends[] = {
      {"", Times(40, "a"), 30, Times(29, "a")},
      {"", "a" + Times(15, kJi), 30, "a" + Times(14, kJi)},  // the last character fits exactly
      {"", "a" + Times(15, kJi), 31, "a" + Times(14, kJi)},  // half a character is left out
      {"", Times(15, kJi), 31, Times(15, kJi)},
      {"", Times(20, kCheng), 30, Times(14, kCheng)},
      {"ab", Times(3, kJi), 6, "ab" + kJi}, {"abcde", "xyz", 6, "abcde"}, {"", "x", 1, ""},
  };
  for (const Append& c : appends) {
    char dst[64];
    std::memset(dst, '#', sizeof dst);
    std::strcpy(dst, c.before.c_str());
    AppendWhole(dst, c.cap, c.src.c_str());
    EXPECT_EQ(std::string(dst), c.after) << c.src << " in " << c.cap;
    EXPECT_EQ(dst[c.cap], '#') << c.src << ": wrote past the capacity";
  }
}

TEST(FileNames, EndingsGivenOnceComparedWithoutCaseAndCut) {
  struct Case {
    std::string name;
    const char* ending;
    int result;
    std::string given, cut;  // after EnsureEnding; after CutEnding(".rec") of the original
  } cases[] = {
      {"demo", ".rec", 1, "demo.rec", "demo"},     {"demo.REC", ".rec", 1, "demo.REC", "demo"},
      {"rec", ".rec", 1, "rec.rec", "rec"},        {"", ".rec", 1, ".rec", ""},
      {".rec", ".rec", 1, ".rec", ""},             {"a.rec.rec", ".rec", 1, "a.rec.rec", "a.rec"},
      {"demo.rec", ".exe", 1, "demo.rec.exe", "demo"}, {"demo.Exe", ".exe", 1, "demo.Exe", "demo.Exe"},
      {"demo.rec ", ".rec", 1, "demo.rec .rec", "demo.rec "},
      {Times(251, "n"), ".rec", 1, Times(251, "n") + ".rec", Times(251, "n")},
      {Times(252, "n"), ".rec", 0, Times(252, "n"), Times(252, "n")},
  };
  for (const Case& c : cases) {
    char name[kNameCapacity + 8];
    std::memset(name, '#', sizeof name);
    std::strcpy(name, c.name.c_str());
    EXPECT_EQ(EnsureEnding(name, kNameCapacity, c.ending), c.result) << c.name;
    EXPECT_EQ(std::string(name), c.given) << c.name;
    EXPECT_EQ(name[kNameCapacity], '#') << c.name << ": wrote past the name";
    std::strcpy(name, c.name.c_str());
    CutEnding(name, kRecordingEnding);
    EXPECT_EQ(std::string(name), c.cut) << c.name;
  }
}

TEST(FileNames, CommandLinePathLosesItsQuotesAndIsRefusedWhenCut) {
  struct Case {
    std::string tail;
    int whole;
    std::string path;
  } cases[] = {
      {"\"C:\\My Macros\\a.rec\"", 1, "C:\\My Macros\\a.rec"}, {"a\"b\" c\"", 1, "ab c"}, {"\"\"", 1, ""},
      {"\"" + kJi + ".rec\"", 1, kJi + ".rec"}, {"\"" + Times(255, "p") + "\"", 1, Times(255, "p")},
      {Times(256, "p"), 0, Times(255, "p")},
  };
  for (const Case& c : cases) {
    char path[kNameCapacity + 8];
    std::memset(path, '#', sizeof path);
    EXPECT_EQ(UnquotePath(path, kNameCapacity, c.tail.c_str()), c.whole) << c.tail;
    EXPECT_EQ(std::string(path), c.path) << c.tail;
    EXPECT_EQ(path[kNameCapacity], '#') << "wrote past the path";
  }
}

TEST(FileNames, CompiledTextGivesKilobytesUpToAMegabyteAndCutsLongNames) {
  const std::string head = "\xb1\xe0\xd2\xeb\xb3\xc9\xb9\xa6: \"";  // 编译成功: "
  struct Case {
    std::string name;
    std::uint32_t bytes;
    std::string unit;
  } cases[] = {
      {"x.exe", 1023, "0k"}, {"x.exe", 1048576, "1024k"}, {"x.exe", 1048577, "1 MB"}, {"x.exe", 0xFFFFFFFF, "4095 MB"},
      {Times(251, "n") + ".exe", 34768, "33k"}, {"a" + Times(125, kJi) + ".exe", 1048577, "1 MB"},
  };
  for (const Case& c : cases) {
    char text[kNameCapacity];
    ComposeCompiled(text, c.name.c_str(), c.bytes);
    const std::string got = text, tail = kSize + c.unit;
    ASSERT_GE(got.size(), head.size() + tail.size()) << got;
    const std::string shown = got.substr(head.size(), got.size() - head.size() - tail.size());
    EXPECT_EQ(got, head + shown + tail) << "the size stays whole";
    EXPECT_TRUE(shown == c.name || (got.size() >= 254 && WholeCharacters(shown) && c.name.find(shown) == 0)) << got;
  }
}

