#include "core/post_command.h"

#include "core/state.h"

void PostCommand(WPARAM wparam, LPARAM lparam) { PostMessageA(g_app.main_window, WM_COMMAND, wparam, lparam); }
