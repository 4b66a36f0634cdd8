// The pointing-hand cursor, made from the generated cursor planes.
#ifndef KESTROVA_HAND_CURSOR_H
#define KESTROVA_HAND_CURSOR_H

#include <windows.h>

// The pointing hand shown over the toolbar and over the About box's link.
HCURSOR CreateHandCursor(HINSTANCE instance);

#endif
