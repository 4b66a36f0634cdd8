// The toolbar's pictures: their mask and their painting.
#ifndef KESTROVA_TOOLBAR_H
#define KESTROVA_TOOLBAR_H

#include <windows.h>

// Makes a monochrome mask of the bitmap: 1 where it has the mask colour (the
// given colour, or its top-left pixel's when that is 0), 0 elsewhere. Turns
// the masked pixels of the bitmap itself black, which painting relies on.
// Returns none without a bitmap.
HBITMAP MakeToolbarMask(HBITMAP bitmap, COLORREF mask_colour);

// Paints the six buttons through the mask (WM_PAINT).
void PaintToolbar(HWND window);

#endif
