#include "core/admission.h"

#include "core/ids.h"
#include "core/run_mode.h"

namespace {

// The table's gates laid out by id, so that a lookup is one index.
struct Gates {
  Gate at[kCommandIdCount];
};

constexpr Gates GatesById() {
  Gates gates = {};
  for (Gate& gate : gates.at) gate = GATE_UNKNOWN;
#define KESTROVA_GATE_ROW(id, gate, handler) gates.at[(id) - CMD_OPEN] = gate;
  KESTROVA_COMMAND_TABLE(KESTROVA_GATE_ROW)
#undef KESTROVA_GATE_ROW
  return gates;
}

constexpr Gates kGates = GatesById();

}  // namespace

Gate CommandGate(std::uint32_t id) {
  std::uint32_t index = id - CMD_OPEN;
  return index < kCommandIdCount ? kGates.at[index] : GATE_UNKNOWN;
}

Admission AdmitCommand(std::uint32_t id, std::uint32_t run_mode, bool has_buffer, std::uint32_t record_count) {
  switch (CommandGate(id)) {
    case GATE_NONE:
      return ADMIT_RUN;
    case GATE_IDLE:
      return run_mode == RUN_IDLE ? ADMIT_RUN : ADMIT_DROP;
    case GATE_IDLE_RECORDED:
      if (run_mode != RUN_IDLE) return ADMIT_DROP;
      return has_buffer && record_count ? ADMIT_RUN : ADMIT_NO_RECORDING;
    case GATE_PLAYABLE:
      if (run_mode == RUN_RECORDING) return ADMIT_DROP;
      return has_buffer ? ADMIT_RUN : ADMIT_NO_RECORDING;
    default:
      return ADMIT_DROP;
  }
}
