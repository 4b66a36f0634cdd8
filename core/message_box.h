// The program's message boxes, one flag set for each kind.
#ifndef KESTROVA_MESSAGE_BOX_H
#define KESTROVA_MESSAGE_BOX_H

#include <windows.h>

// In front of everything and of every window of the program. An information
// box tells what happened; a warning says something cannot be done.
constexpr UINT kInformationFlags = MB_TOPMOST | MB_SETFOREGROUND | MB_TASKMODAL | MB_ICONINFORMATION;
constexpr UINT kWarningFlags = MB_TOPMOST | MB_SETFOREGROUND | MB_TASKMODAL | MB_ICONWARNING;
// Asked before a file is replaced: No, the default, writes nothing.
constexpr UINT kReplaceFlags = kWarningFlags | MB_YESNO | MB_DEFBUTTON2;
// Start-up failed before there is a window to own the box.
constexpr UINT kFailureFlags = MB_SETFOREGROUND | MB_TASKMODAL | MB_ICONWARNING;
// The repeat prompt asks; the About box shows the program's own icon.
constexpr UINT kPromptFlags = MB_OKCANCEL | MB_ICONQUESTION | MB_TOPMOST;
constexpr UINT kAboutFlags = MB_OK | MB_USERICON | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST;

static_assert(kInformationFlags == 0x52040 && kWarningFlags == 0x52030 && kReplaceFlags == 0x52134 &&
                  kFailureFlags == 0x12030,
              "the fixed flag sets of the boxes");

// A box owned by the main window with the information flags; returns its answer.
int ShowInformation(const char* text, const char* caption);

// The same with the warning flags.
int ShowWarning(const char* text, const char* caption);

#endif
