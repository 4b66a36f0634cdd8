#include "core/message_box.h"

#include "core/state.h"

int ShowInformation(const char* text, const char* caption) {
  return MessageBoxA(g_app.main_window, text, caption, kInformationFlags);
}

int ShowWarning(const char* text, const char* caption) {
  return MessageBoxA(g_app.main_window, text, caption, kWarningFlags);
}
