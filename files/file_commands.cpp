#include "files/file_commands.h"

#include "core/file_size.h"
#include "core/message_box.h"
#include "core/product_name.h"
#include "core/run_mode.h"
#include "core/state.h"
#include "core/text.h"
#include "files/compiled_image.h"
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
 * Asks where to write, proposing the name in name (kAskedCapacity bytes), and
 * makes the answer the name of the file to write (NameToWrite). When that is
 * not the name the dialog asked about and a file has it, the user is asked
 * again, about that file. The file is first written under a work name beside
 * it (into work, MAX_PATH bytes): a new, empty file that no file had been,
 * made here, so that no file of the user's is ever touched but the one
 * chosen. Returns 0 when the user cancelled or said No, or when the name can
 * be no file (a device, a folder, too long) or no work file could be made
 * (said: a cut name would be some other file's). Also 0 when a recording was
 * started from its hotkey while a box was up: the recording to write is not
 * made yet, and half of it is no recording.
 */
int AskTarget(char* name, char* work, const char* filter, const char* ending, const char* failure) {
  if (!AskFileName(g_app.main_window, name, filter, kAskSave)) return 0;
  int named = NameToWrite(name, ending);
  DWORD found = named ? GetFileAttributesA(name) : INVALID_FILE_ATTRIBUTES;
  bool folder = found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY);
  if ((named == kNameChanged && found != INVALID_FILE_ATTRIBUTES && !folder &&
       MessageBoxA(g_app.main_window, kReplaceQuestion, name, kReplaceFlags) != IDYES) ||
      g_app.run_mode == RUN_RECORDING)
    return 0;
  char folder_path[kAskedCapacity];
  CopyBounded(folder_path, sizeof folder_path, name);
  folder_path[FileNamePart(name) - name] = 0;  // the target's folder, with its backslash
  if (!named || folder || !GetTempFileNameA(folder_path, "kst", 0, work)) {
    ShowFailure(failure, name);
    return 0;
  }
  return 1;
}

/*
 * Writes the recording behind the first image bytes of the work file, which
 * holds just those when ready, and puts the work file in the target's place
 * once it is whole, so that a failed write never costs the file that was
 * there, nor does a power cut soon after leave it empty or short. Returns
 * the bytes written; 0 on failure: the work file is then deleted, the target
 * left as it was and the failure shown.
 */
std::uint32_t WriteRecording(const char* work, const char* target, bool ready, std::uint32_t image,
                             const char* failure) {
  std::uint32_t bytes = g_app.event_count * sizeof(InputEvent);
  if (ready && bytes && WriteFileAt(work, static_cast<std::int32_t>(image), g_app.event_buffer, bytes) == bytes &&
      FileSizeOf(work) == image + bytes && PutInPlace(work, target))
    return bytes;
  DeleteFileA(work);
  ShowFailure(failure, target);
  return 0;
}

}  // namespace

void OnOpenCommand(WPARAM, LPARAM) {
  char name[kAskedCapacity];
  name[0] = 0;
  // A recording or a playback started from its hotkey while the dialog was
  // up works on the recording in hand: the chosen file is then not loaded.
  if (AskFileName(g_app.main_window, name, kRecordingFilter, kAskOpen) && name[0] && g_app.run_mode == RUN_IDLE)
    LoadRecording(name, 0);
}

void OnSaveCommand(WPARAM, LPARAM) {
  char name[kAskedCapacity], work[MAX_PATH];
  CopyBounded(name, sizeof name, g_app.shown_name);
  if (AskTarget(name, work, kRecordingFilter, kRecordingEnding, kSaveFailed) &&
      WriteRecording(work, name, true, 0, kSaveFailed))
    ShowRecordingName(name, 30);
}

void OnCompileCommand(WPARAM, LPARAM) {
  char name[kAskedCapacity], work[MAX_PATH];
  CopyBounded(name, sizeof name, g_app.shown_name);
  CutEnding(name, kRecordingEnding);
  if (!AskTarget(name, work, kProgramFilter, kProgramEnding, kCompileFailed)) return;
  std::uint32_t image = WriteCompiledImage(work);
  std::uint32_t bytes = WriteRecording(work, name, image != 0, image, kCompileFailed);
  if (!bytes) return;
  char text[kNameCapacity];
  ComposeCompiled(text, FileNamePart(name), image + bytes);
  ShowInformation(text, kProductName);
}
