#include "files/file_dialog.h"

#include <cstddef>

#include "core/text.h"
#include "files/file_name_rules.h"

namespace {

// OPENFILENAME_SIZE_VERSION_400A, which the headers spell in a way no
// constant expression accepts: the record up to its template name. Older
// systems refuse the longer record.
constexpr DWORD kDialogRecordSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
#ifndef _WIN64
static_assert(kDialogRecordSize == 76, "the dialog record of Windows 95 and NT 4");
#endif

}  // namespace

void FillFileDialog(OPENFILENAMEA& dialog, HWND owner, char* name, const char* filter, int mode) {
  ZeroMemory(&dialog, sizeof dialog);
  dialog.lStructSize = kDialogRecordSize;
  dialog.hwndOwner = owner && IsWindow(owner) ? owner : GetForegroundWindow();
  dialog.lpstrFilter = filter;
  dialog.lpstrFile = name;
  dialog.nMaxFile = kAskedCapacity;
  dialog.lpstrInitialDir = name;
  dialog.Flags = mode == kAskOpen ? OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST
                                  : OFN_LONGNAMES | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  // The ending of the filter's first pattern ("*.rec"), which the dialog adds
  // to a name typed without one: it then asks before replacing the file that
  // the name will be written to, not only one typed with its ending.
  if (mode != kAskOpen) dialog.lpstrDefExt = filter + TextLength(filter) + 3;
}

int AskFileName(HWND owner, char* name, const char* filter, int mode) {
  // A name too long once the dialog has added the ending comes back, and the
  // caller refuses it saying so, where the dialog would close without a word.
  OPENFILENAMEA dialog;
  FillFileDialog(dialog, owner, name, filter, mode);
  if (!(mode == kAskOpen ? GetOpenFileNameA : GetSaveFileNameA)(&dialog)) name[0] = 0;
  return name[0] != 0;
}
