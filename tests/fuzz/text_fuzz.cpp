// Feeds arbitrary bytes to everything that reads texts the program does not
// control: the command line, numbers typed or stored in files, the path the
// program was started from, and the title line's inputs.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/command_tail.h"
#include "app/settings_path.h"
#include "core/text.h"
#include "core/text_number.h"
#include "core/title_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  const char* line = text.c_str();  // stops at the first zero byte, as the program's texts do
  std::size_t length = std::strlen(line);

  const char* tail = CommandTail(line);
  if (tail < line || tail > line + length) std::abort();

  std::int32_t value = TextToInt(line);
  char digits[12];
  IntToText(value, digits);
  if (TextToInt(digits) != value) std::abort();

  char settings[kPathCapacity];
  if (MakeSettingsPath(settings, line)) {
    std::size_t n = std::strlen(settings);
    if (n < 4 || std::strcmp(settings + n - 4, ".ini") != 0) std::abort();
  } else if (settings[0]) {
    std::abort();
  }

  char small[8];
  CopyBounded(small, sizeof small, line);
  if (std::strlen(small) >= sizeof small) std::abort();

  if (size >= 24) {
    TitleInputs in = {};
    std::memcpy(&in.run_mode, data, 4);
    in.run_mode = in.run_mode % 3 == 0 ? 0 : 32769 + in.run_mode % 3;
    std::memcpy(&in.now_tick, data + 4, 4);
    std::memcpy(&in.repetitions_done, data + 8, 4);
    std::memcpy(&in.repeat_count, data + 12, 4);
    std::memcpy(&in.cursor_x, data + 16, 4);
    in.continuous_playback = data[20];
    in.tips = data[21] & 1;
    in.shown_name = line + 22 <= line + length ? line + 22 : "";
    in.window_right = in.window_bottom = 1000;
    char title[kTitleCapacity];
    ComposeTitle(in, title);
    if (std::strlen(title) >= kTitleCapacity || !title[0]) std::abort();
  }
  return 0;
}
