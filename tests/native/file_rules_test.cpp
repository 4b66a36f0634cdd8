// File names in code page 936: a lead byte 0x81..0xFE and a second byte that
// may be a backslash.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/certificate_table.h"
#include "core/file_name.h"
#include "files/file_name_rules.h"
#include "files/recording_rules.h"

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
      {"C:/macros/demo.rec", "demo.rec"}, {"C:\\" + kCheng + ".rec", kCheng + ".rec"},
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

// The file a save writes is the one the dialog asked about, or the user is
// asked again (kNameChanged); a name no file can have is refused.
TEST(FileNames, NameToWriteAddsTheEndingOnceDropsWhatWindowsDropsAndRefusesDevices) {
  const std::string n251 = Times(251, "n");
  struct Case {
    std::string asked;
    const char* ending;
    int result;
    std::string written, cut;  // after NameToWrite; after CutEnding(".rec") of the name asked
  } cases[] = {
      {"C:\\m\\demo", ".rec", kNameChanged, "C:\\m\\demo.rec", "C:\\m\\demo"},
      {"demo.v2", ".rec", kNameChanged, "demo.v2.rec", "demo.v2"}, {"tool.v2", ".exe", kNameChanged, "tool.v2.exe", ""},
      {"demo.REC", ".rec", kNameAsAsked, "demo.REC", "demo"}, {"a.rec.rec", ".rec", kNameAsAsked, "a.rec.rec", "a.rec"},
      {"demo.rec", ".exe", kNameChanged, "demo.rec.exe", "demo"}, {"demo.Exe", ".exe", kNameAsAsked, "demo.Exe", ""},
      {"demo.rec. . ", ".rec", kNameChanged, "demo.rec", "demo.rec. . "},
      {"demo  .", ".rec", kNameChanged, "demo.rec", ""},
      {"x\\" + kCheng + ". ", ".rec", kNameChanged, "x\\" + kCheng + ".rec", ""},  // a second byte is no folder
      {"C:\\m\\. .", ".rec", kNameRefused, "", ""}, {"C:\\m\\", ".rec", kNameRefused, "", ""},
      {"C:\\m\\Nul.v2", ".rec", kNameRefused, "", ""}, {"C:\\m\\com1 ", ".exe", kNameRefused, "", ""},
      {n251, ".rec", kNameChanged, n251 + ".rec", ""}, {n251 + "  ", ".rec", kNameChanged, n251 + ".rec", ""},
      {n251 + ".rec", ".rec", kNameAsAsked, n251 + ".rec", n251}, {n251 + "n", ".rec", kNameRefused, "", ""},
      {n251 + "n.rec", ".rec", kNameRefused, "", ""},  // as the dialog returns a name typed without the ending
  };
  for (const Case& c : cases) {
    char name[kAskedCapacity + 8];
    std::memset(name, '#', sizeof name);
    std::strcpy(name, c.asked.c_str());
    const int result = NameToWrite(name, c.ending);
    EXPECT_EQ(result, c.result) << c.asked;
    EXPECT_EQ(result ? std::string(name) : "", c.written) << c.asked;
    EXPECT_EQ(name[kAskedCapacity], '#') << c.asked << ": wrote past the name";
    std::strcpy(name, c.asked.c_str());
    CutEnding(name, kRecordingEnding);
    EXPECT_EQ(c.cut.empty() ? "" : std::string(name), c.cut) << c.asked;
  }
  const char* devices[] = {"con", "C:\\m\\CON", "nul.txt", "NUL.tar.gz", "Com9.rec", "lpt1  .exe", "aux", "prn. ",
                           "conin$", "CONOUT$.x", "C:/m/lpt3", "\\\\.\\C:", "//./pipe/x"};
  const std::string files[] = {"com0", "com10", "lpt", "cons", "console.rec", "icon", "C:\\con\\x.rec", "com#",
                               " nul", "\\\\?\\C:\\x", kCheng + "con"};
  for (const char* device : devices) EXPECT_TRUE(NamesDevice(device)) << device;
  for (const std::string& file : files) EXPECT_FALSE(NamesDevice(file.c_str())) << file;
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

TEST(Recordings, SignedFilesEndAtTheirCertificateTable) {
  // Headers as the PE format lays them out: "PE\0\0" at 0x80, the optional
  // header 24 bytes on, its directory count at 92 and the certificate-table
  // entry at 128 (108 and 144 in a 64-bit image).
  struct Case {
    std::uint16_t magic;
    std::uint32_t directories, table, table_size, size, end;
    const char* what;
  } cases[] = {
      {0x10b, 16, 0, 0, 34768, 34768, "unsigned copy: to the file's end"},
      {0x10b, 16, 32768, 1500, 34268, 32768, "signed program: no records"},
      {0x20b, 16, 34768, 1500, 36268, 34768, "signed 64-bit copy"},
      {0x10b, 16, 33192, 1500, 34692, 33188, "4 bytes of padding after 21 records"},
      {0x10b, 16, 34772, 1500, 36272, 34772, "4 bytes after 100 records: no padding"},
      {0x10b, 4, 32768, 1500, 34268, 34268, "no certificate directory"},
      {0x10b, 16, 32768, 0, 34268, 34268, "an empty table"},
      {0x10b, 16, 34269, 1500, 34268, 34268, "a table beyond the file"},
      {0x10b, 16, 1024, 1500, 34268, 34268, "a table inside the image"},
      {0x10c, 16, 32768, 1500, 34268, 34268, "no known optional header"},
  };
  for (const Case& c : cases) {
    std::uint8_t header[1024] = {0x4d, 0x5a};
    auto put = [&](std::uint32_t at, std::uint32_t v) { std::memcpy(header + at, &v, 4); };
    const std::uint32_t wide = c.magic == 0x20b ? 16 : 0;
    put(0x3c, 0x80), put(0x80, 0x4550), put(0x98, c.magic), put(0x98 + 92 + wide, c.directories);
    put(0x98 + 128 + wide, c.table), put(0x98 + 132 + wide, c.table_size);
    EXPECT_EQ(RecordsEnd(header, sizeof header, c.size, 32768), c.end) << c.what;
    put(0x80, 0x4551);
    EXPECT_EQ(RecordsEnd(header, sizeof header, c.size, 32768), c.size) << c.what << ": no PE signature";
  }
}

TEST(Recordings, OnlyAKeyDownOrAMoveFirstLoads) {
  // Record 0's message (the program's own start move, a key down, and none
  // that older versions and other readers refuse), and the file's length.
  const std::uint32_t cases[][3] = {{512, 40, 1}, {256, 20, 1}, {257, 40, 0}, {513, 40, 0}, {514, 40, 0}, {516, 40, 0},
                                    {517, 40, 0}, {522, 40, 0}, {526, 40, 0}, {512, 41, 0}, {512, 1, 0},  {0, 20, 1}};
  for (const auto& c : cases) {
    InputEvent records[3] = {{c[0], 10, 20, 0, 0}, {513, 10, 20, 0, 0}};
    EXPECT_EQ(IsRecording(reinterpret_cast<const std::uint8_t*>(records), c[1]), c[2] == 1)
        << "record 0 of message " << c[0] << ", " << c[1] << " bytes";
  }
}
