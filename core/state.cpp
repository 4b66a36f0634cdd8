#include "core/state.h"

#include "core/text.h"

// Zero in the image (.bss); the few fields that start elsewhere than zero are
// set by ResetAppState, which keeps a kilobyte of zeros out of the file.
AppState g_app;

// Each marker text must stand in the image exactly once, here: whatever looks
// for them builds its pattern at run time.
const ImageFields g_image_fields = {"@@@@@", "$$$$$", "032768"};

void ResetAppState() {
  ZeroMemory(&g_app, sizeof g_app);
  g_app.stub_size = 32768;
  g_app.tips = 1;
  g_app.repeat_count = 1;
  g_app.follow_windows = 1;
  g_app.window_wait = 10;
  CopyBounded(g_app.repeat_text, sizeof g_app.repeat_text, "1");
}
