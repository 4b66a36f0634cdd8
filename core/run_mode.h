// What the program is busy with. The two busy values equal the ids of the
// commands that start them, and the playback engine relies on that: it ends
// each run by posting the run mode itself as a command.
#ifndef KESTROVA_RUN_MODE_H
#define KESTROVA_RUN_MODE_H

#include <cstdint>

#include "core/ids.h"

enum RunMode : std::uint32_t {
  RUN_IDLE = 0,
  RUN_RECORDING = CMD_RECORD,
  RUN_PLAYING = CMD_PLAY,
};

static_assert(RUN_RECORDING == 32770 && RUN_PLAYING == 32771, "run modes are command ids");

#endif
