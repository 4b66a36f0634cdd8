#include "app/hand_cursor.h"

#include "cursor_planes.h"  // generated from res/hand_cursor.txt

HCURSOR CreateHandCursor(HINSTANCE instance) {
  return CreateCursor(instance, kCursorHotX, kCursorHotY, 32, 32, kCursorAndPlane, kCursorXorPlane);
}
