// The shell's decisions: the command line, the settings file's name, numbers
// typed or stored as text, the caption, which commands run, where the window
// goes and which button a click hits.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "app/command_tail.h"
#include "app/placement.h"
#include "app/settings_path.h"
#include "core/admission.h"
#include "core/run_mode.h"
#include "core/text_number.h"
#include "core/title_line.h"
#include "core/toolbar_layout.h"

TEST(CommandLine, TailSkipsTheProgramPathAndTheBlanksAfterIt) {
  struct Case {
    const char* line;
    const char* tail;
  } cases[] = {
      {"\"C:\\Program Files\\k.exe\" a.rec", "a.rec"}, {"\"C:\\Program Files\\k.exe\"a.rec", "a.rec"},
      {"\"C:\\unterminated k.exe", ""}, {"C:\\k.exe \t  \"C:\\My Macros\\a.rec\"", "\"C:\\My Macros\\a.rec\""},
      {"k.exe   ", ""}, {"", ""}, {"k.exe a b ", "a b "},
      {"C:\\\xc2\xbc\xd6\xc6.exe \xce\xc4.rec", "\xce\xc4.rec"},  // bytes from 128 on are never blanks
      {"\"C:\\\xc2\xbc \xd6\xc6.exe\" \xa0x", "\xa0x"}, {"k.exe\x01\x1f" "x", "x"},  // control bytes are
  };
  for (const Case& c : cases) EXPECT_STREQ(CommandTail(c.line), c.tail) << c.line;
}

TEST(CommandLine, SettingsFileIsNamedLikeTheProgramOrNotAtAll) {
  const std::string fits = "C:\\" + std::string(248, 'a');  // 251 bytes: with ".ini" the last room
  struct Case {
    std::string own;
    int made;
    std::string want;
  } cases[] = {
      {"C:\\tools\\kestrova.backup.exe", 1, "C:\\tools\\kestrova.backup.ini"},
      {"C:\\tools.old\\run", 1, "C:\\tools.ini"},  // the last full stop, in a folder name too
      {"C:\\tools\\run", 1, "C:\\tools\\run.ini"}, {fits, 1, fits + ".ini"}, {fits + "b", 0, ""},
      {std::string(251, 'a') + ".exe", 1, std::string(251, 'a') + ".ini"},
      {std::string(400, 'c') + ".exe", 0, ""},
  };
  for (const Case& c : cases) {
    char out[kPathCapacity];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(MakeSettingsPath(out, c.own.c_str()), c.made) << c.own;
    EXPECT_EQ(std::string(out), c.want) << c.own << ": a cut name must not be used";
  }
}

TEST(Numbers, TextToIntReadsTheFirstDigitsWrappingAndIntToTextWritesThem) {
  struct Case {
    const char* text;
    std::int32_t value;
  } reads[] = {
      {"032768", 32768}, {"abc-12x34", -12}, {"--7", -7}, {"x5-", 5}, {"", 0}, {"-", 0}, {"a-b3", 3},
      {"+9", 9}, {"-2147483648", INT_MIN}, {"10000000000", 1410065408}, {"4294967297", 1},
      {"\xb4\xce\xca\xfd" "12", 12}, {"\xb4-\xce" "3", 3},  // code page 936 bytes are no digits or signs
  };
  for (const Case& c : reads) EXPECT_EQ(TextToInt(c.text), c.value) << c.text;
  EXPECT_EQ(TextToInt(nullptr), 0);
  const Case writes[] = {{"0", 0}, {"-1", -1}, {"1000000000", 1000000000}, {"-2147483648", INT_MIN}};
  for (const Case& c : writes) {
    char out[12];
    std::memset(out, 'x', sizeof out);
    IntToText(c.value, out);
    EXPECT_STREQ(out, c.text);
  }
}

TEST(Caption, ClocksRunsNamesTipsAndTheWindowAwaited) {
  const WindowNote menu = {0, 0, 9, 9, "#32768", ""};  // what a playback waits for
  const std::uint32_t idle = RUN_IDLE, rec = RUN_RECORDING, play = RUN_PLAYING;
  struct Case {
    std::uint32_t mode, start, now;
    std::int32_t done, count;
    std::uint8_t continuous, tips;
    const char* name;
    std::int32_t x, y;  // the window's outer rectangle is (100, 200)-(237, 249)
    std::string want;
    const WindowNote* awaited = nullptr;
  } cases[] = {
      {rec, 1000, 1999, 0, 1, 0, 1, "a.rec", 150, 210, "录制 00:00"},
      {rec, 0, 61000, 0, 1, 0, 1, "", 150, 210, "录制 01:01"},
      {rec, 0, 125u * 60000, 0, 1, 0, 1, "", 0, 0, "录制 125:00"},
      {rec, 0xFFFFF000u, 0x1000, 0, 1, 0, 1, "", 0, 0, "录制 00:08"},  // the tick count wrapped
      {play, 10, 3010, 1, 3, 0, 1, "", 0, 0, "播放 00:03 (2/3)"},
      {play, 10, 3010, 2, 12345, 1, 1, "", 0, 0, "播放 00:03 (3/0*)"},
      {play, 10, 3010, 0, -4, 0, 1, "", 0, 0, "播放 00:03 (1/-4)"},
      {idle, 0, 0, 0, 1, 0, 1, "", 122, 210, kButtonTips[0]}, {idle, 0, 0, 0, 1, 0, 1, "", 150, 200, kButtonTips[2]},
      {idle, 0, 0, 0, 1, 0, 2, "", 150, 210, "Kestrova"},  // only a tips flag of 1 shows tips
      {play, 10, 3010, 1, 3, 0, 1, "", 0, 0, "等待窗口: #32768", &menu},  // by its class when it has no title
      {idle, 0, 0, 0, 1, 0, 1, "a.rec", 0, 0, "a.rec", &menu},
  };
  for (const Case& c : cases) {
    TitleInputs in = {c.mode, c.now, c.start, c.done, c.count, c.continuous, c.tips, c.name, c.x, c.y, 100, 200, 237, 249, c.awaited};
    char out[kTitleCapacity];
    ComposeTitle(in, out);
    EXPECT_EQ(std::string(out), c.want) << "mode " << c.mode << " at " << c.x << "," << c.y;
  }
}

TEST(Commands, RunModeAndRecordingDecideWhatRuns) {
  const Admission R = ADMIT_RUN, D = ADMIT_DROP, N = ADMIT_NO_RECORDING;
  struct Case {
    std::uint32_t id;
    Admission with_records[3], without_buffer[3];  // idle, recording, playing
  } cases[] = {
      {CMD_OPEN, {R, D, D}, {R, D, D}},     {CMD_SAVE, {R, D, D}, {N, D, D}},
      {CMD_RECORD, {R, R, R}, {R, R, R}},   {CMD_PLAY, {R, D, R}, {N, D, N}},
      {CMD_COMPILE, {R, D, D}, {N, D, D}},  {CMD_OPTIONS, {R, D, D}, {R, D, D}},
      {0x8006, {D, D, D}, {D, D, D}},       {0x8009, {D, D, D}, {D, D, D}},
      {CMD_SPEED_NORMAL, {R, R, R}, {R, R, R}}, {CMD_FOLLOW_WINDOWS, {R, R, R}, {R, R, R}},
      {0x7FFF, {D, D, D}, {D, D, D}},       {0x8014, {D, D, D}, {D, D, D}},
  };
  const std::uint32_t modes[3] = {RUN_IDLE, RUN_RECORDING, RUN_PLAYING};
  for (const Case& c : cases)
    for (int m = 0; m < 3; ++m) {
      EXPECT_EQ(AdmitCommand(c.id, modes[m], true, 2), c.with_records[m]) << std::hex << c.id << " mode " << m;
      EXPECT_EQ(AdmitCommand(c.id, modes[m], false, 0), c.without_buffer[m]) << std::hex << c.id << " mode " << m;
    }
  EXPECT_EQ(AdmitCommand(CMD_SAVE, RUN_IDLE, true, 0), ADMIT_NO_RECORDING) << "an empty buffer is no recording";
  EXPECT_EQ(AdmitCommand(CMD_PLAY, RUN_IDLE, true, 0), ADMIT_RUN) << "but plays a run that ends at once";
}

TEST(Window, PlacementAndTheButtonUnderAClick) {
  EXPECT_EQ(PlaceEdge(5, 140, 137), 3) << "a screen too small: the far rule wins";
  EXPECT_EQ(CentredEdge(1023, 137), 511 - 68) << "each half truncated";
  const std::uint32_t last_column[6] = {22, 43, 64, 85, 106, 65535};
  for (int button = 0; button < 6; ++button) {
    EXPECT_EQ(ButtonAtClick(last_column[button]), button);
    EXPECT_EQ(ButtonAtClick(last_column[button] + 1), button + 1 < 6 ? button + 1 : 0) << "x read from the low word";
  }
  EXPECT_EQ(ButtonAtClick(0x00300000u | 50), 2) << "y is not examined";
  for (int i = 0; i < kButtonCount; ++i) {
    EXPECT_EQ(ButtonImage(i, RUN_PLAYING), i);
    EXPECT_EQ(ButtonImage(i, RUN_RECORDING), i == 2 ? 6 : i) << "the record button turns red";
  }
}
