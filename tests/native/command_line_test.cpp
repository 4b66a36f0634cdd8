#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/command_tail.h"
#include "app/settings_path.h"

TEST(CommandTail, SkipsTheProgramPathAndTheBlanksAfterIt) {
  struct Case {
    const char* line;
    const char* tail;
  } cases[] = {
      {"\"C:\\Program Files\\k.exe\" a.rec", "a.rec"},
      {"\"C:\\Program Files\\k.exe\"a.rec", "a.rec"},
      {"\"C:\\k.exe\"", ""},
      {"\"C:\\unterminated k.exe", ""},
      {"C:\\k.exe a.rec", "a.rec"},
      {"C:\\k.exe \t  \"C:\\My Macros\\a.rec\"", "\"C:\\My Macros\\a.rec\""},
      {"k.exe", ""},
      {"k.exe   ", ""},
      {"", ""},
      {"k.exe a b ", "a b "},
      // Bytes of 128 and above are part of names, never blanks.
      {"C:\\\xc2\xbc\xd6\xc6.exe \xce\xc4.rec", "\xce\xc4.rec"},
      {"\"C:\\\xc2\xbc \xd6\xc6.exe\" \xa0x", "\xa0x"},
      // Control characters count as blanks, like the space.
      {"k.exe\x01\x1f" "x", "x"},
  };
  for (const Case& c : cases) EXPECT_EQ(std::string(CommandTail(c.line)), c.tail) << "line [" << c.line << "]";
}

TEST(SettingsPath, CutsAtTheLastFullStopAndAppendsIni) {
  struct Case {
    const char* own;
    const char* want;
  } cases[] = {
      {"C:\\tools\\kestrova.exe", "C:\\tools\\kestrova.ini"},
      {"C:\\tools\\kestrova.backup.exe", "C:\\tools\\kestrova.backup.ini"},
      // No full stop in the file name: the one in the folder name is used.
      {"C:\\tools.old\\run", "C:\\tools.ini"},
      {"C:\\tools\\run", "C:\\tools\\run.ini"},
      {"C:\\a.exe", "C:\\a.ini"},
      {"", ".ini"},
  };
  for (const Case& c : cases) {
    char out[kPathCapacity];
    EXPECT_EQ(MakeSettingsPath(out, c.own), 1) << c.own;
    EXPECT_STREQ(out, c.want) << c.own;
  }
}

TEST(SettingsPath, RefusesAPathWithNoRoomForTheExtension) {
  char out[kPathCapacity];
  // 251 bytes without a full stop take the last room: 251 + 4 = 255 fits.
  std::string fits = "C:\\" + std::string(248, 'a');
  ASSERT_EQ(fits.size(), 251u);
  EXPECT_EQ(MakeSettingsPath(out, fits.c_str()), 1);
  EXPECT_EQ(std::string(out), fits + ".ini");
  // One more byte and ".ini" would be cut: no settings path at all.
  std::string too_long = fits + "b";
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(MakeSettingsPath(out, too_long.c_str()), 0);
  EXPECT_STREQ(out, "") << "a cut name must not be used";
  // An extension makes room however long the path.
  std::string with_extension = std::string(251, 'a') + ".exe";
  EXPECT_EQ(MakeSettingsPath(out, with_extension.c_str()), 1);
  EXPECT_EQ(std::string(out), std::string(251, 'a') + ".ini");
  // A path that does not even fit the buffer is refused too.
  std::string huge(400, 'c');
  EXPECT_EQ(MakeSettingsPath(out, (huge + ".exe").c_str()), 0);
  EXPECT_STREQ(out, "");
}
