// One recorded input event: 20 bytes, laid out as the platform's journal
// record (EVENTMSG). Recording files and compiled copies store these bytes
// unchanged, so the layout is fixed here once.
#ifndef KESTROVA_INPUT_EVENT_H
#define KESTROVA_INPUT_EVENT_H

#include <cstddef>
#include <cstdint>

struct InputEvent {
  std::uint32_t message;  // window-message number of the event; 0 ends a recording
  std::uint32_t param_l;  // keys: scan code * 256 + virtual key; mouse: screen x
  std::uint32_t param_h;  // keys: scan code; mouse: screen y
  std::uint32_t time;     // tick count when captured, milliseconds
  std::uint32_t window;   // foreground window when captured, as 32 bits
};

static_assert(sizeof(InputEvent) == 20, "a record is 20 bytes");
static_assert(offsetof(InputEvent, param_l) == 4 && offsetof(InputEvent, param_h) == 8 &&
                  offsetof(InputEvent, time) == 12 && offsetof(InputEvent, window) == 16,
              "record fields lie as in EVENTMSG");

#endif
