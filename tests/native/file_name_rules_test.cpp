#include "files/file_name_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Whether the text splits no two-byte character: walking from its start,
// no lead byte stands last.
bool WholeCharacters(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x81 && c <= 0xFE) {
      if (i + 1 == text.size()) return false;
      ++i;
    }
  }
  return true;
}

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

const std::string kJi = "\xbc\xc7";      // 记
const std::string kCheng = "\x81\x5c";   // 乗: its second byte is a backslash

}  // namespace

TEST(FileTexts, StoredInGbk) {
  EXPECT_EQ(std::string(kNotRecording), "\xb2\xbb\xca\xc7\xd2\xbb\xb8\xf6\xd3\xd0\xd0\xa7\xb5\xc4\xbc\xc7\xc2\xbc");
  EXPECT_EQ(std::string(kSaveFailed), "\xb1\xa3\xb4\xe6\xca\xa7\xb0\xdc!");
  EXPECT_EQ(std::string(kCompileFailed), "\xb1\xe0\xd2\xeb\xca\xa7\xb0\xdc!");
  EXPECT_EQ(std::string(kRecordingEnding), ".rec");
  EXPECT_EQ(std::string(kProgramEnding), ".exe");
  struct Case {
    const char* filter;
    std::size_t size;
    std::string want;
  } filters[] = {
      {kRecordingFilter, sizeof "记录文件 (*.rec)\0*.rec\0所有文件 (*.*)\0*.*\0\0",
       std::string("\xbc\xc7\xc2\xbc\xce\xc4\xbc\xfe (*.rec)\0*.rec\0\xcb\xf9\xd3\xd0\xce\xc4\xbc\xfe (*.*)\0*.*\0\0", 43)},
      {kProgramFilter, sizeof "程序文件 (*.exe)\0*.exe\0所有文件 (*.*)\0*.*\0\0",
       std::string("\xb3\xcc\xd0\xf2\xce\xc4\xbc\xfe (*.exe)\0*.exe\0\xcb\xf9\xd3\xd0\xce\xc4\xbc\xfe (*.*)\0*.*\0\0", 43)},
  };
  for (const Case& c : filters) {
    ASSERT_EQ(c.size, 44u) << "filter bytes with the literal's own zero";
    EXPECT_EQ(std::string(c.filter, 43), c.want) << "filter ending in two zeros";
  }
}

TEST(FileNamePart, TheTextAfterTheLastBackslash) {
  struct Case {
    std::string path;
    std::string part;
  } cases[] = {
      {"C:\\macros\\demo.rec", "demo.rec"},
      {"demo.rec", "demo.rec"},
      {"C:\\macros\\", ""},
      {"", ""},
      {"\\", ""},
      {"C:/macros/demo.rec", "C:/macros/demo.rec"},
      {"\\\\server\\share\\a b.rec", "a b.rec"},
      {"C:\\" + kJi + kJi + ".rec", kJi + kJi + ".rec"},
      {"C:\\" + kCheng + ".rec", kCheng + ".rec"},
      {"C:\\x\\" + kCheng + "\\b.rec", "b.rec"},
      {"C:\\" + kCheng + kCheng, kCheng + kCheng},
  };
  for (const Case& c : cases) EXPECT_EQ(std::string(FileNamePart(c.path.c_str())), c.part) << c.path;
}

TEST(AppendWhole, CutsBeforeATwoByteCharacterThatWouldNotFit) {
  struct Case {
    std::string before, src;
    std::uint32_t cap;
    std::string after;
    const char* what;
  } cases[] = {
      {"", Repeat("a", 40), 30, Repeat("a", 29), "ASCII to 29"},
      {"", Repeat("a", 40), 31, Repeat("a", 30), "ASCII to 30"},
      {"", "short.rec", 30, "short.rec", "fits"},
      {"", "a" + Repeat(kJi, 15), 30, "a" + Repeat(kJi, 14), "29: the last character fits exactly"},
      {"", "a" + Repeat(kJi, 15), 31, "a" + Repeat(kJi, 14), "30: half a character is left out"},
      {"", Repeat(kJi, 15), 30, Repeat(kJi, 14), "29 of 30 bytes: 28"},
      {"", Repeat(kJi, 15), 31, Repeat(kJi, 15), "30 of 30 bytes: all"},
      {"", Repeat(kCheng, 20), 30, Repeat(kCheng, 14), "second bytes that look like backslashes"},
      {"ab", Repeat(kJi, 3), 6, "ab" + kJi, "behind a text"},
      {"abcde", "xyz", 6, "abcde", "full already"},
      {"", "abc\x81", 10, "abc\x81", "a lone lead byte at the end"},
      {"", "x", 1, "", "room for the zero only"},
  };
  for (const Case& c : cases) {
    char dst[64];
    std::memset(dst, '#', sizeof dst);
    std::strcpy(dst, c.before.c_str());
    AppendWhole(dst, c.cap, c.src.c_str());
    EXPECT_EQ(std::string(dst), c.after) << c.what;
    EXPECT_EQ(dst[c.cap], '#') << c.what << ": wrote past the capacity";
    if (WholeCharacters(c.before + c.src)) {
      EXPECT_TRUE(WholeCharacters(dst)) << c.what << ": half a character";
    }
  }
}

TEST(Endings, ComparedWithoutCase) {
  struct Case {
    const char* name;
    const char* ending;
    bool ends;
  } cases[] = {
      {"demo.rec", ".rec", true}, {"demo.REC", ".rec", true}, {"demo.Rec", ".rec", true},
      {".rec", ".rec", true},     {"rec", ".rec", false},     {"", ".rec", false},
      {"demo.rex", ".rec", false}, {"demo.rec ", ".rec", false}, {"demorec", ".rec", false},
      {"demo.exe", ".exe", true}, {"demo.EXE", ".exe", true}, {"demo.rec", ".exe", false},
      {"a.exe.rec", ".exe", false},
  };
  for (const Case& c : cases) EXPECT_EQ(EndsWithNoCase(c.name, c.ending), c.ends) << c.name << " " << c.ending;
}

TEST(Endings, GivenOnceAndOnlyWhenTheyFit) {
  struct Case {
    std::string name;
    const char* ending;
    int result;
    std::string after;
  } cases[] = {
      {"demo", ".rec", 1, "demo.rec"},
      {"demo.REC", ".rec", 1, "demo.REC"},
      {"de", ".rec", 1, "de.rec"},
      {"", ".rec", 1, ".rec"},
      {"rec", ".rec", 1, "rec.rec"},
      {"demo.rec", ".exe", 1, "demo.rec.exe"},
      {"demo.Exe", ".exe", 1, "demo.Exe"},
      {Repeat("n", 251), ".rec", 1, Repeat("n", 251) + ".rec"},
      {Repeat("n", 252), ".rec", 0, Repeat("n", 252)},
      {Repeat("n", 255), ".exe", 0, Repeat("n", 255)},
      {Repeat("n", 251) + ".rec", ".rec", 1, Repeat("n", 251) + ".rec"},
  };
  for (const Case& c : cases) {
    char name[kNameCapacity + 8];
    std::memset(name, '#', sizeof name);
    std::strcpy(name, c.name.c_str());
    EXPECT_EQ(EnsureEnding(name, kNameCapacity, c.ending), c.result) << c.name.size() << " bytes: " << c.name;
    EXPECT_EQ(std::string(name), c.after) << c.name;
    EXPECT_EQ(name[kNameCapacity], '#') << "wrote past the name";
  }
}

TEST(Endings, TheCompileProposalLosesItsRecEnding) {
  struct Case {
    const char* name;
    const char* after;
  } cases[] = {
      {"demo.rec", "demo"}, {"demo.REC", "demo"}, {".rec", ""},       {"rec", "rec"},
      {"demo", "demo"},     {"demo.exe", "demo.exe"}, {"a.rec.rec", "a.rec"}, {"", ""},
  };
  for (const Case& c : cases) {
    char name[kNameCapacity];
    std::strcpy(name, c.name);
    CutEnding(name, kRecordingEnding);
    EXPECT_EQ(std::string(name), c.after) << c.name;
  }
}

TEST(UnquotePath, DropsEveryQuoteAndKeepsTheRest) {
  struct Case {
    std::string tail;
    int whole;
    std::string path;
  } cases[] = {
      {"\"C:\\My Macros\\a.rec\"", 1, "C:\\My Macros\\a.rec"},
      {"C:\\a.rec", 1, "C:\\a.rec"},
      {"a\"b\" c\"", 1, "ab c"},
      {"\"\"", 1, ""},
      {"  a  b ", 1, "  a  b "},
      {"\"" + kJi + ".rec\"", 1, kJi + ".rec"},
      {Repeat("p", 255), 1, Repeat("p", 255)},
      {"\"" + Repeat("p", 255) + "\"", 1, Repeat("p", 255)},
      {Repeat("p", 256), 0, Repeat("p", 255)},
      {"\"" + Repeat("p", 400) + "\"", 0, Repeat("p", 255)},
  };
  for (const Case& c : cases) {
    char path[kNameCapacity + 8];
    std::memset(path, '#', sizeof path);
    EXPECT_EQ(UnquotePath(path, kNameCapacity, c.tail.c_str()), c.whole) << c.tail.size() << " bytes: " << c.tail;
    EXPECT_EQ(std::string(path), c.path) << c.tail;
    EXPECT_EQ(path[kNameCapacity], '#') << "wrote past the path";
  }
}

TEST(ComposeCompiled, NameAndSizeInKilobytesOrMegabytes) {
  const std::string head = "\xb1\xe0\xd2\xeb\xb3\xc9\xb9\xa6: \"";                // 编译成功: "
  const std::string size = "\"\n\n\xce\xc4\xbc\xfe\xb4\xf3\xd0\xa1:  ";          // "\n\n文件大小:
  struct Case {
    std::string name;
    std::uint32_t bytes;
    std::string text;
  } cases[] = {
      {"x.exe", 32768 + 20 * 100, head + "x.exe" + size + "33k"},
      {"x.exe", 32768, head + "x.exe" + size + "32k"},
      {"x.exe", 1023, head + "x.exe" + size + "0k"},
      {"x.exe", 1048576, head + "x.exe" + size + "1024k"},
      {"x.exe", 1048577, head + "x.exe" + size + "1 MB"},
      {"x.exe", 32768 + 20 * 1000000, head + "x.exe" + size + "19 MB"},
      {"x.exe", 0xFFFFFFFF, head + "x.exe" + size + "4095 MB"},
      {kJi + ".exe", 40000, head + kJi + ".exe" + size + "39k"},
  };
  for (const Case& c : cases) {
    char text[kNameCapacity];
    ComposeCompiled(text, c.name.c_str(), c.bytes);
    EXPECT_EQ(std::string(text), c.text) << c.bytes;
  }
  EXPECT_EQ(std::string("编译成功: \""), head) << "the compiler's code page";
}

TEST(ComposeCompiled, ALongNameIsCutToFitTheText) {
  const std::string size = "\"\n\n\xce\xc4\xbc\xfe\xb4\xf3\xd0\xa1:  ";
  struct Case {
    std::string name;
    std::uint32_t bytes;
    std::string unit;
  } cases[] = {
      {Repeat("n", 251) + ".exe", 34768, "33k"},
      {Repeat(kJi, 125) + ".exe", 34768, "33k"},
      {"a" + Repeat(kJi, 125) + ".exe", 1048577, "1 MB"},
      {Repeat(kCheng, 127), 0xFFFFFFFF, "4095 MB"},
  };
  for (const Case& c : cases) {
    char text[kNameCapacity + 8];
    std::memset(text, '#', sizeof text);
    ComposeCompiled(text, c.name.c_str(), c.bytes);
    std::string got = text;
    EXPECT_EQ(text[kNameCapacity], '#') << "wrote past the text";
    EXPECT_LE(got.size(), 255u);
    ASSERT_GE(got.size(), 11 + size.size() + c.unit.size());
    EXPECT_EQ(got.substr(got.size() - size.size() - c.unit.size()), size + c.unit) << "the size stays whole";
    std::string shown = got.substr(11, got.size() - 11 - size.size() - c.unit.size());
    EXPECT_EQ(c.name.compare(0, shown.size(), shown), 0) << "the name's start: " << shown;
    EXPECT_LT(shown.size(), c.name.size()) << "cut";
    EXPECT_GE(shown.size() + 1, 255 - 11 - size.size() - c.unit.size()) << "cut no shorter than needed";
    EXPECT_TRUE(WholeCharacters(shown)) << "no half character";
  }
}
