// kestrova-rec's text form and copies, against recordings made by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "kestrova-rec/rec_file.h"
#include "kestrova-rec/rec_text.h"

namespace {

Bytes Of(const std::vector<InputEvent>& records) {
  Bytes bytes(records.size() * sizeof(InputEvent));
  if (!records.empty()) std::memcpy(bytes.data(), records.data(), bytes.size());
  return bytes;
}

// The text with every run of blanks made one: the columns are for the eye.
std::string Squeezed(std::string text) {
  for (std::size_t at; (at = text.find("  ")) != std::string::npos;) text.erase(at, 1);
  for (std::size_t at; (at = text.find("\n ")) != std::string::npos;) text.erase(at + 1, 1);
  return text;
}

Bytes Pack(const std::string& text) {
  Bytes out;
  PackError error{};
  EXPECT_TRUE(PackText(text, out, error)) << "line " << error.line << ": " << error.what;
  return out;
}

}  // namespace

TEST(RecText, ShowsEveryKindOfRecordAndPacksBackTheSameBytes) {
  std::vector<InputEvent> records = {
      {512, 512, 384, 1000, 0x200A4},
      {256, 0x1D11, 0x1D, 1016, 0x200A4},
      {257, 0x1E41, 0x1E, 1036, 0x200A4},
      {256, 0x532E, 0x53, 1036, 0},
      {256, 0x27BA, 0x27, 1040, 0},
      {256, 0xFFFFFFFF, 0xFFFFFFFF, 1039, 0},  // the clock went back a millisecond
      {257, 0x123456A2, 0, 1100, 0},           // key field and scan code disagree
      {513, 120, 96, 1200, 0},
      {514, 120, 96, 1280, 0},
      {516, 0x80000000, 0xFFFFFFFF, 1290, 0},
      {517, 0x7FFFFFFF, 0, 1300, 0},
      {515, 7, 8, 1300, 0},
      {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0},
      {257, 0x3B70, 0x3B, 4, 0},  // the clock wrapped
      {0, 0, 0, 4, 0},
      {0, 5, 6, 10, 1},
      {512, 1, 2, 12, 0},
  };
  Bytes file = Of(records);
  std::string text = ShowFile(file);
  EXPECT_EQ(Squeezed(text),
            "# 17 records, 8589933.596 s, 4 key presses, 2 clicks\n"
            "# playback ends at the end marker, record 15 of 17; what follows it is never played\n"
            "start 1000\n"
            "0 move 512 384 window 0x000200a4\n"
            "16 key-down Ctrl scan 29 window 0x000200a4\n"
            "20 key-up A scan 30 window 0x000200a4\n"
            "0 key-down Delete scan 83\n"
            "4 key-down 0xba scan 39\n"
            "4294967295 key-down 0xff scan 4294967295\n"
            "61 key-up LeftCtrl scan 0 code 1193046\n"
            "100 left-down 120 96\n"
            "80 left-up 120 96\n"
            "10 right-down -2147483648 -1\n"
            "10 right-up 2147483647 0\n"
            "0 message 515 7 8 # not played\n"
            "4294965995 message 4294967295 4294967295 4294967295 # not played\n"
            "5 key-up F1 scan 59\n"
            "0 end # playback ends here\n"
            "6 message 0 5 6 window 0x00000001\n"
            "2 move 1 2\n");
  EXPECT_EQ(Pack(text), file) << "show then pack";
}

TEST(RecText, PackRebuildsTimesFromTheGapsOfAnEditedText) {
  Bytes shown = Of({{512, 10, 20, 500, 7}, {513, 10, 20, 700, 7}, {514, 10, 20, 750, 7}});
  std::string text = ShowFile(shown);
  // A person deletes the click's first line and writes a key in their own way.
  std::size_t press = text.find("left-down");
  text.erase(text.rfind('\n', press) + 1, text.find('\n', press) - text.rfind('\n', press));
  text += "  25\tKEY-DOWN num5   Window 0x10 # typed\r\n";
  Bytes packed = Pack(text);
  std::vector<InputEvent> expected = {{512, 10, 20, 500, 7}, {514, 10, 20, 550, 7}, {256, 0x65, 0, 575, 0x10}};
  EXPECT_EQ(packed, Of(expected)) << text;
}

TEST(RecText, PackNamesTheLineAndWhatIsWrongThere) {
  struct Case {
    const char* text;
    std::size_t line;
    const char* what;
  } cases[] = {
      {"start 5\n\n0 kez-down A\n", 3, "unknown event \"kez-down\""},
      {"0 key-down Ctrlx\n", 1, "unknown key \"Ctrlx\""},
      {"# note\n0 move 1\n", 2, "needs a position"},
      {"0 move 1 2\nx move 1 2\n", 2, "gap in milliseconds"},
      {"0 move 1 2147483648\n", 1, "a position is two numbers"},
      {"0 move 1 2 scan 3\n", 1, "unexpected \"scan\""},
      {"0 key-down A scan 1 scan 2\n", 1, "a second scan"},
      {"0 key-down A code 16777216\n", 1, "code is a number from 0 to 16777215"},
      {"0 key-down A window\n", 1, "window needs a number"},
      {"0 move 1 2\nstart 5\n", 2, "start comes before the first record"},
      {"7\n", 1, "a gap without an event"},
      {"# nothing\n\n", 2, "no records"},
      {"start 9\n\n0 key-up A\n0 key-down A\n", 3, "the program loads a recording only when"},
  };
  for (const Case& c : cases) {
    Bytes out;
    PackError error{};
    EXPECT_FALSE(PackText(c.text, out, error)) << c.text;
    EXPECT_EQ(error.line, c.line) << c.text << error.what;
    EXPECT_NE(error.what.find(c.what), std::string::npos) << c.text << "gave: " << error.what;
  }
}

TEST(RecCopy, CompilesAsTheProgramDoesAndReadsTheCopyBack) {
  // A stand-in for the program's image: its fields as the program lays them
  // out, and no marker anywhere else.
  Bytes stub(kStubSize);
  for (std::size_t i = 0; i < stub.size(); ++i) stub[i] = static_cast<std::uint8_t>(i % 251 + 1) & 0x3F;
  stub[0] = 'M', stub[1] = 'Z';
  const char fields[] = "@@@@@\0$$$$$\0" "032768";
  constexpr std::size_t kFields = 20000;
  std::memcpy(&stub[kFields], fields, sizeof fields);
  Bytes recording = Of({{256, 0x1E41, 0x1E, 10, 3}, {257, 0x1E41, 0x1E, 90, 3}, {0, 0, 0, 0, 0}, {513, 1, 1, 99, 3}});

  Bytes copy;
  ASSERT_EQ(CompileCopy(recording, stub, 123456, true, copy), "");
  ASSERT_EQ(copy.size(), kStubSize + 40) << "the records before the end marker follow the image";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&copy[kFields]), 12), std::string("12345\0" "00001\0", 12));
  std::memcpy(&copy[kFields], fields, 12);
  EXPECT_TRUE(std::equal(stub.begin(), stub.end(), copy.begin())) << "nothing else of the image changes";
  EXPECT_TRUE(std::equal(copy.begin() + kStubSize, copy.end(), recording.begin()));

  ASSERT_EQ(CompileCopy(recording, stub, 3, false, copy), "");
  EXPECT_NE(ShowFile(copy).find("repeat field \"00003\": 3 runs; speed field \"00000\": normal\n# 2 records"),
            std::string::npos)
      << ShowFile(copy);
  Bytes extracted;
  EXPECT_EQ(ExtractRecords(copy, extracted), "");
  EXPECT_EQ(extracted, Bytes(recording.begin(), recording.begin() + 40));

  Bytes twice = stub, none = stub, short_stub(stub.begin(), stub.end() - 1);
  std::memcpy(&twice[200], "$$$$$", 5);
  none[kFields] = '#';
  Bytes leading_end = Of({{0, 0, 0, 0, 0}, {256, 0x41, 0, 0, 0}});
  struct {
    const Bytes &recording, &stub;
    const char* why;
  } refusals[] = {
      {recording, short_stub, "the stub is 32767 bytes"},
      {recording, twice, "holds \"$$$$$\" 2 times"},
      {recording, none, "holds \"@@@@@\" 0 times"},
      {Of({{514, 0, 0, 0, 0}}), stub, "first record's message is 514"},
      {copy, stub, "extract"},
  };
  Bytes led;
  ASSERT_EQ(CompileCopy(leading_end, stub, 1, false, led), "");
  EXPECT_EQ(led.size(), kStubSize + 40) << "a zero record 0 is a record: the program plays from record 1";
  for (const auto& r : refusals) {
    Bytes out;
    std::string why = CompileCopy(r.recording, r.stub, 1, false, out);
    EXPECT_NE(why.find(r.why), std::string::npos) << why;
    EXPECT_TRUE(out.empty()) << r.why;
  }

  Bytes odd = copy;
  odd.push_back(0);  // one byte more than the records
  EXPECT_NE(CheckFile(stub).find("nothing appended"), std::string::npos);
  EXPECT_NE(CheckFile(odd).find("41 bytes are not a whole number"), std::string::npos);
}
