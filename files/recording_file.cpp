#include "files/recording_file.h"

#include <windows.h>

#include "core/file_size.h"
#include "core/state.h"
#include "core/heap_block.h"
#include "files/file_io.h"
#include "files/file_name_rules.h"
#include "files/recording_rules.h"

constexpr UINT kWarningFlags = MB_TOPMOST | MB_SETFOREGROUND | MB_TASKMODAL | MB_ICONWARNING;
static_assert(kWarningFlags == 0x52030, "a warning in front of everything");

void ShowNotRecording(const char* path) { MessageBoxA(g_app.main_window, kNotRecording, path, kWarningFlags); }

void ShowRecordingName(const char* path, std::uint32_t limit) {
  g_app.shown_name[0] = 0;
  AppendWhole(g_app.shown_name, limit + 1, FileNamePart(path));
  SetWindowTextA(g_app.main_window, g_app.shown_name);
}

std::uint32_t LoadRecording(const char* path, std::int32_t offset) {
  constexpr std::uint32_t kSpareBytes = 4096;  // zero records: the end marker and more
  if (g_app.event_buffer) FreeBlock(g_app.event_buffer);
  g_app.event_buffer = nullptr;
  std::uint32_t size = FileSizeOf(path);
  // A size that leaves no room for the spare bytes reads nothing at all.
  std::uint32_t room = size + kSpareBytes < size ? 0 : size;
  auto* block = static_cast<std::uint8_t*>(AllocateBlock(room + kSpareBytes, 1));
  g_app.event_buffer = reinterpret_cast<InputEvent*>(block);
  if (!block) return 0;
  std::uint32_t n = ReadFileAt(path, offset, block, room);
  if (!IsRecording(block, n)) {
    ShowNotRecording(path);
    FreeBlock(block);
    g_app.event_buffer = nullptr;
    return 0;
  }
  // The records read, not the file's size: behind a self-playing copy's
  // records lies the image, which is no part of the recording.
  g_app.event_count = n / sizeof(InputEvent);
  ShowRecordingName(path, 29);
  return n;
}
