// Playback that follows windows: the notes a recording holds name the window
// the input after them went to; the playback finds that window again before
// that input plays, and moves the mouse input with it.
#ifndef KESTROVA_WINDOW_NOTES_H
#define KESTROVA_WINDOW_NOTES_H

#include <windows.h>

#include <cstdint>

#include "core/input_event.h"

/*
 * Passes over the notes at the play position (taking each when following
 * windows; a torn note's records stay to be played, as nothing, one by one)
 * and returns 1 when the record there may play: the window of the last note
 * is there (and, for a key going down, in front, brought there when it is
 * not), or the note names none. Otherwise returns 0, having armed the step
 * again to look once more, or, once the wait is over, having stopped the
 * playback and said which window never came. The time waited is added to
 * the run's start, so that what follows keeps its recorded pauses.
 */
int ReachWindow(HWND window, const InputEvent* records, std::uint32_t capacity);

#endif
