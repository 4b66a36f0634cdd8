#include "core/admission.h"

#include "core/run_mode.h"

const Gate kCommandGates[kCommandCount] = {
    GATE_IDLE,           // CMD_OPEN
    GATE_IDLE_RECORDED,  // CMD_SAVE
    GATE_NONE,           // CMD_RECORD: starts while idle, stops anything else
    GATE_PLAYABLE,       // CMD_PLAY
    GATE_IDLE_RECORDED,  // CMD_COMPILE
    GATE_IDLE,           // CMD_OPTIONS
    GATE_UNUSED, GATE_UNUSED, GATE_UNUSED, GATE_UNUSED,
    GATE_NONE,  // CMD_SPEED_NORMAL; these come from the menu, which opens only while idle
    GATE_NONE,  // CMD_SPEED_FAST
    GATE_NONE,  // CMD_CONTINUOUS
    GATE_NONE,  // CMD_SET_REPEAT
    GATE_NONE,  // CMD_HELP
    GATE_NONE,  // CMD_WEBSITE: also from the About box's link
    GATE_NONE,  // CMD_ABOUT
    GATE_NONE,  // CMD_TIPS
    GATE_NONE,  // CMD_SAVE_SETTINGS
};

Admission AdmitCommand(std::uint32_t id, std::uint32_t run_mode, bool has_buffer, std::uint32_t event_count) {
  std::uint32_t index = id - CMD_OPEN;
  if (index >= kCommandCount) return ADMIT_DROP;
  switch (kCommandGates[index]) {
    case GATE_NONE:
      return ADMIT_RUN;
    case GATE_IDLE:
      return run_mode == RUN_IDLE ? ADMIT_RUN : ADMIT_DROP;
    case GATE_IDLE_RECORDED:
      if (run_mode != RUN_IDLE) return ADMIT_DROP;
      return has_buffer && event_count ? ADMIT_RUN : ADMIT_NO_RECORDING;
    case GATE_PLAYABLE:
      if (run_mode == RUN_RECORDING) return ADMIT_DROP;
      return has_buffer ? ADMIT_RUN : ADMIT_NO_RECORDING;
    default:
      return ADMIT_DROP;
  }
}
