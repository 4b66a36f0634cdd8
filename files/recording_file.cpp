#include "files/recording_file.h"

#include <windows.h>

#include "core/caption.h"
#include "core/file_name.h"
#include "core/file_size.h"
#include "core/heap_block.h"
#include "core/message_box.h"
#include "core/state.h"
#include "files/file_io.h"
#include "files/file_name_rules.h"
#include "files/recording_rules.h"

void ShowNotRecording(const char* path) { ShowWarning(kNotRecording, path); }

void ShowRecordingName(const char* path, std::uint32_t limit) {
  g_app.shown_name[0] = 0;
  AppendWhole(g_app.shown_name, limit + 1, FileNamePart(path));
  WriteCaption();
}

std::uint32_t LoadRecording(const char* path, std::int32_t offset, std::uint32_t end) {
  constexpr std::uint32_t kSpareBytes = 4096;  // zero records: the end marker and more
  // A device is never opened: it holds no recording, and may never answer.
  std::uint32_t size = NamesDevice(path) ? 0 : end ? end : FileSizeOf(path);
  // A size that leaves no room for the spare bytes reads nothing at all.
  std::uint32_t room = size + kSpareBytes < size ? 0 : size;
  auto* block = static_cast<std::uint8_t*>(AllocateBlock(room + kSpareBytes, 1));
  if (!block) return 0;
  std::uint32_t from = static_cast<std::uint32_t>(offset);
  std::uint32_t n = room > from ? ReadFileAt(path, offset, block, room - from) : 0;
  // The recording in hand stays until the file proves to be one: after the
  // warning it still plays and saves, and the file's bytes never play.
  if (!IsRecording(block, n)) {
    FreeBlock(block);
    ShowNotRecording(path);
    return 0;
  }
  if (g_app.event_buffer) FreeBlock(g_app.event_buffer);
  g_app.event_buffer = reinterpret_cast<InputEvent*>(block);
  // The records read, not the file's size: behind a self-playing copy's
  // records lies the image, which is no part of the recording.
  g_app.event_count = RecordingLength(n);
  ShowRecordingName(path, 29);
  return n;
}
