// Which commands the run mode lets through, and which need a recording.
#ifndef KESTROVA_ADMISSION_H
#define KESTROVA_ADMISSION_H

#include <cstdint>

#include "core/ids.h"

// Command ids run from CMD_OPEN to CMD_LAST, with a gap after the toolbar's.
constexpr std::uint32_t kCommandIdCount = CMD_LAST - CMD_OPEN + 1;

enum Gate : std::uint8_t {
  GATE_NONE,            // runs in every mode (the menu's commands: the menu opens only while idle)
  GATE_IDLE,            // runs only while idle
  GATE_IDLE_RECORDED,   // idle, and a recording with at least one record
  GATE_PLAYABLE,        // not while recording, and an event buffer exists
  GATE_UNKNOWN,         // an id that is no command
};

enum Admission : std::uint8_t {
  ADMIT_DROP,          // ignored without a word
  ADMIT_NO_RECORDING,  // the no-recording message instead
  ADMIT_RUN,
};

// The gate of a command id in the command table (core/ids.h).
Gate CommandGate(std::uint32_t id);

// Decides what becomes of a command id (low word of wParam already taken) in
// the given state; record_count is the recording's length, not the play
// position. Ids that are no command are dropped.
Admission AdmitCommand(std::uint32_t id, std::uint32_t run_mode, bool has_buffer, std::uint32_t record_count);

#endif
