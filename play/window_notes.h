// Playback that follows windows: the notes a recording holds name the window
// the input after them went to; the playback finds that window again before
// that input plays, and moves the mouse input with it.
#ifndef KESTROVA_WINDOW_NOTES_H
#define KESTROVA_WINDOW_NOTES_H

#include <windows.h>

#include <cstdint>

#include "core/input_event.h"

// Where the input at the play position stands with its window.
enum WindowReach {
  WINDOW_AWAITED,     // not there yet: look again soon
  WINDOW_REACHED,     // the record may play
  WINDOW_NEVER_CAME,  // the wait is over
};

/*
 * Passes over the notes at the play position (taking each when following
 * windows; a torn note's records stay to be played, as nothing, one by one)
 * and says whether the record there may play: the window of the last note is
 * there (and, for a key going down, in front, brought there when it is not),
 * or the note names none. The time waited is added to the run's start once
 * the window is there, so that what follows keeps its recorded pauses.
 */
WindowReach ReachWindow(const InputEvent* records, std::uint32_t capacity);

// The box that names the window that never came (title and class).
void SayWindowNeverCame();

#endif
