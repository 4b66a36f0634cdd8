#include "play/window_notes.h"

#include "core/describe_window.h"
#include "core/ids.h"
#include "core/message_box.h"
#include "core/product_name.h"
#include "core/run_clock.h"
#include "core/state.h"
#include "core/text.h"
#include "play/playback_rules.h"

namespace {

// Looks for the window of the note followed, of the same class: the first
// with the same title, top of the z-order first, else the first at all; and
// takes how far it moved.
HWND FindWindowOfNote(Following& f) {
  HWND found = nullptr;
  WindowNote seen;
  std::int32_t left = 0, top = 0, best = 0;
  for (HWND w = nullptr; best < 2 && (w = FindWindowExA(nullptr, w, f.note.window_class, nullptr));) {
    int match = DescribeWindow(w, seen) ? NoteMatch(f.note, seen.window_class, seen.title) : 0;
    if (match > best) best = match, found = w, left = seen.left, top = seen.top;
  }
  Offset offset = NoteOffset(f.note, left, top);
  f.dx = offset.dx;
  f.dy = offset.dy;
  return f.window = found;
}

// The window, or a window it owns (a dialog it opened), has the keyboard.
bool InFront(HWND window) {
  HWND front = GetForegroundWindow();
  return front == window || GetAncestor(front, GA_ROOTOWNER) == window;
}

}  // namespace

WindowReach ReachWindow(const InputEvent* records, std::uint32_t capacity) {
  Following& f = g_app.following;
  std::uint32_t p = g_app.play_position, n;
  WindowNote note;
  while ((n = ReadNote(records + p, capacity - p, note))) {
    p += n;
    if (!g_app.follow_windows) continue;  // passed over whole
    f.note = note;
    f.window = nullptr;
    f.dx = f.dy = 0;
  }
  g_app.play_position = p;
  if (RunEndsAt(records, capacity, p) || !f.note.window_class[0]) return WINDOW_REACHED;
  // A key going down needs its window in front; mouse input only the place
  // the window was found at (the window a click closes is gone for the input
  // after it, and so is the one a key closes for its release). A window not
  // in front is brought there, and the key waits for the next look: the
  // window's own thread takes the keyboard only once it has handled that, and
  // a key played before goes nowhere. One that does not come to the front
  // (gone, perhaps) is looked for again.
  HWND found = f.window ? f.window : FindWindowOfNote(f);
  if (found && NoteWindowFor(records[p]) == NOTE_FOREGROUND && !InFront(found)) {
    SetForegroundWindow(found);
    found = f.window = nullptr;
  }
  std::uint32_t now = RunClock(), waited = f.wait_start ? now - f.wait_start : 0;
  if (found) {
    g_app.start_tick += waited;
    f.wait_start = 0;
    return WINDOW_REACHED;
  }
  if (waited >= WaitLimit(g_app.window_wait)) return WINDOW_NEVER_CAME;
  if (!f.wait_start) f.wait_start = now;
  return WINDOW_AWAITED;
}

void SayWindowNeverCame() {
  const WindowNote& note = g_app.following.note;
  char text[2 * kNoteTextCapacity + 32];
  CopyBounded(text, sizeof text, "窗口没有出现:\n\n\"");
  AppendBounded(text, sizeof text, note.title);
  AppendBounded(text, sizeof text, "\"\n");
  AppendBounded(text, sizeof text, note.window_class);
  ShowWarning(text, kProductName);
}
