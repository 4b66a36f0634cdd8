// Which commands the run mode lets through, and which need a recording.
#ifndef KESTROVA_ADMISSION_H
#define KESTROVA_ADMISSION_H

#include <cstdint>

#include "core/ids.h"

constexpr std::uint32_t kCommandCount = CMD_SAVE_SETTINGS - CMD_OPEN + 1;  // 19 ids from CMD_OPEN

enum Gate : std::uint8_t {
  GATE_NONE,            // runs in every mode
  GATE_IDLE,            // runs only while idle
  GATE_IDLE_RECORDED,   // idle, and a recording with at least one record
  GATE_PLAYABLE,        // not while recording, and an event buffer exists
  GATE_UNUSED,          // an id without a command
};

enum Admission : std::uint8_t {
  ADMIT_DROP,          // ignored without a word
  ADMIT_NO_RECORDING,  // the no-recording message instead
  ADMIT_RUN,
};

// The gate of each command, indexed by id - CMD_OPEN.
extern const Gate kCommandGates[kCommandCount];

// Decides what becomes of a command id (low word of wParam already taken) in
// the given state. Ids outside the table are dropped.
Admission AdmitCommand(std::uint32_t id, std::uint32_t run_mode, bool has_buffer, std::uint32_t event_count);

#endif
