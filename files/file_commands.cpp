#include "files/file_commands.h"

#include "core/file_size.h"
#include "core/heap_block.h"
#include "core/message_box.h"
#include "core/product_name.h"
#include "core/state.h"
#include "core/text.h"
#include "files/file_dialog.h"
#include "files/file_io.h"
#include "files/file_name_rules.h"
#include "files/recording_file.h"
#include "files/recording_rules.h"

namespace {

// Shows the failure text with the path behind it, cut between characters
// when the two would not fit. Saving fails in the same box as compiling: one
// look for both, and a long path wraps in the text where a caption would cut
// it off.
void ShowFailure(const char* failure, const char* path) {
  char text[kNameCapacity];
  CopyBounded(text, sizeof text, failure);
  AppendWhole(text, sizeof text, path);
  ShowInformation(text, kProductName);
}

/*
 * Asks where to write, proposing the name in name, gives the answer the
 * ending and deletes the file of that name. Returns 0 when the user
 * cancelled, or when the name with its ending would not fit (said; a cut name
 * would be some other file's).
 */
int AskTarget(char* name, const char* filter, const char* ending, const char* failure) {
  if (!AskFileName(g_app.main_window, name, filter, kAskSave)) return 0;
  if (!EnsureEnding(name, kNameCapacity, ending)) {
    ShowFailure(failure, name);
    return 0;
  }
  DeleteFileA(name);
  return 1;
}

/*
 * Writes the recording behind the first image bytes of the file, which
 * holds just those when ready. Returns the bytes written; 0 when the file
 * was not ready or did not take the whole recording: then it is deleted and
 * the failure shown.
 */
std::uint32_t WriteRecording(const char* path, bool ready, std::uint32_t image, const char* failure) {
  std::uint32_t bytes = g_app.event_count * sizeof(InputEvent);
  if (ready && bytes && WriteFileAt(path, static_cast<std::int32_t>(image), g_app.event_buffer, bytes) == bytes &&
      FileSizeOf(path) == image + bytes)
    return bytes;
  DeleteFileA(path);
  ShowFailure(failure, path);
  return 0;
}

/*
 * Writes the repeat count and the speed over the markers of the program
 * image in the file. Returns the image's size, 0 when it could not be read
 * and written back whole.
 */
std::uint32_t PatchImage(const char* path) {
  std::uint32_t size = FileSizeOf(path);
  if (!size || size + 4096 < size) return 0;
  auto* image = static_cast<std::uint8_t*>(AllocateBlock(size + 4096, 1));
  if (!image) return 0;
  std::uint32_t n = ReadFileAt(path, 0, image, size);
  PatchMarker(image, n, '@', g_app.repeat_count);
  PatchMarker(image, n, '$', g_app.playback_speed);
  if (n != size || WriteFileAt(path, 0, image, n) != n) size = 0;
  FreeBlock(image);
  return size;
}

}  // namespace

void OnOpenCommand(WPARAM, LPARAM) {
  char name[kNameCapacity];
  name[0] = 0;
  if (AskFileName(g_app.main_window, name, kRecordingFilter, kAskOpen) && name[0]) LoadRecording(name, 0);
}

void OnSaveCommand(WPARAM, LPARAM) {
  char name[kNameCapacity];
  CopyBounded(name, sizeof name, g_app.shown_name);
  if (AskTarget(name, kRecordingFilter, kRecordingEnding, kSaveFailed) && WriteRecording(name, true, 0, kSaveFailed))
    ShowRecordingName(name, 30);
}

void OnCompileCommand(WPARAM, LPARAM) {
  char name[kNameCapacity];
  CopyBounded(name, sizeof name, g_app.shown_name);
  CutEnding(name, kRecordingEnding);
  if (!AskTarget(name, kProgramFilter, kProgramEnding, kCompileFailed)) return;
  std::uint32_t image = CopyFileA(g_app.own_path, name, FALSE) ? PatchImage(name) : 0;
  std::uint32_t bytes = WriteRecording(name, image != 0, image, kCompileFailed);
  if (!bytes) return;
  char text[kNameCapacity];
  ComposeCompiled(text, FileNamePart(name), image + bytes);
  ShowInformation(text, kProductName);
}
