// The process entry: the product links no C runtime, so this is where it
// starts.
#include <windows.h>

#include "app/command_tail.h"
#include "app/startup.h"

// Used: only the linker names it, as the image's entry, and the link-time
// optimiser would otherwise find nobody calling it and drop the program.
extern "C"
#ifdef __i386__
    // The loader leaves the stack 4-byte aligned; the compiler expects 16.
    __attribute__((force_align_arg_pointer))
#endif
    __attribute__((used, externally_visible)) void WinMainCRTStartup() {
  STARTUPINFOA startup_info = {};
  startup_info.cb = sizeof startup_info;
  GetStartupInfoA(&startup_info);
  int show = startup_info.dwFlags & STARTF_USESHOWWINDOW ? startup_info.wShowWindow : SW_SHOWDEFAULT;
  const char* tail = CommandTail(GetCommandLineA());
  ExitProcess(static_cast<UINT>(Startup(GetModuleHandleA(nullptr), tail, show)));
}
