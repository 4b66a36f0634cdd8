// What a window note says of a window on the screen: read alike when a
// recording notes the window and when a playback looks for it again.
#ifndef KESTROVA_DESCRIBE_WINDOW_H
#define KESTROVA_DESCRIBE_WINDOW_H

#include <windows.h>

#include "core/window_note.h"

/*
 * Fills note with the window's class, title (both as KeepNoteText cuts them)
 * and outer rectangle. Returns 0, the note left as a no-window note, when the
 * window is none a note can name: none at all, the desktop, an invisible one,
 * or one of Kestrova's own (its main window, or one that window owns).
 */
int DescribeWindow(HWND window, WindowNote& note);

#endif
