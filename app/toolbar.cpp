#include "app/toolbar.h"

#include "core/state.h"
#include "core/toolbar_layout.h"

HBITMAP MakeToolbarMask(HBITMAP bitmap, COLORREF mask_colour) {
  if (!bitmap) return nullptr;
  HDC colour_dc = CreateCompatibleDC(nullptr);
  HDC mask_dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old_colour = SelectObject(colour_dc, bitmap);
  BITMAP info;
  GetObjectA(bitmap, sizeof info, &info);
  HBITMAP mask = CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr);
  HGDIOBJ old_mask = SelectObject(mask_dc, mask);
  if (!mask_colour) mask_colour = GetPixel(colour_dc, 0, 0);
  // Colour to monochrome: pixels of the background colour become 1.
  SetBkColor(colour_dc, mask_colour);
  BitBlt(mask_dc, 0, 0, info.bmWidth, info.bmHeight, colour_dc, 0, 0, SRCCOPY);
  // Monochrome to colour: 1 becomes the mask colour and cancels it out under
  // XOR, 0 becomes black and leaves the picture as it was.
  BitBlt(colour_dc, 0, 0, info.bmWidth, info.bmHeight, mask_dc, 0, 0, SRCINVERT);
  SelectObject(colour_dc, old_colour);
  SelectObject(mask_dc, old_mask);
  DeleteDC(colour_dc);
  DeleteDC(mask_dc);
  return mask;
}

void PaintToolbar(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  HDC memory = CreateCompatibleDC(dc);
  for (int i = 0; i < kButtonCount; ++i) {
    int source_x = kButtonSize * ButtonImage(i, g_app.run_mode);
    // The mask blacks out the picture's place and keeps the button face
    // around it; the strip, black where it is not picture, is ORed on top.
    HGDIOBJ old = SelectObject(memory, g_app.toolbar_mask);
    BitBlt(dc, ButtonLeft(i), kButtonTop, kButtonSize, kButtonSize, memory, source_x, 0, SRCAND);
    SelectObject(memory, old);
    old = SelectObject(memory, g_app.toolbar_strip);
    BitBlt(dc, ButtonLeft(i), kButtonTop, kButtonSize, kButtonSize, memory, source_x, 0, SRCPAINT);
    SelectObject(memory, old);
  }
  DeleteDC(memory);
  EndPaint(window, &ps);
}
