#include "core/admission.h"

#include <gtest/gtest.h>

#include "core/run_mode.h"

namespace {

const char* Name(Admission a) {
  return a == ADMIT_RUN ? "run" : a == ADMIT_DROP ? "drop" : "no-recording";
}

}  // namespace

TEST(Admission, FollowsTheRunModeTable) {
  const std::uint32_t modes[3] = {RUN_IDLE, RUN_RECORDING, RUN_PLAYING};
  // Expected admission per mode (idle, recording, playing), with a recording
  // of two records loaded.
  struct Row {
    std::uint32_t id;
    Admission want[3];
  } rows[] = {
      {CMD_OPEN, {ADMIT_RUN, ADMIT_DROP, ADMIT_DROP}},
      {CMD_SAVE, {ADMIT_RUN, ADMIT_DROP, ADMIT_DROP}},
      {CMD_RECORD, {ADMIT_RUN, ADMIT_RUN, ADMIT_RUN}},
      {CMD_PLAY, {ADMIT_RUN, ADMIT_DROP, ADMIT_RUN}},
      {CMD_COMPILE, {ADMIT_RUN, ADMIT_DROP, ADMIT_DROP}},
      {CMD_OPTIONS, {ADMIT_RUN, ADMIT_DROP, ADMIT_DROP}},
      {0x8006, {ADMIT_DROP, ADMIT_DROP, ADMIT_DROP}},
      {0x8009, {ADMIT_DROP, ADMIT_DROP, ADMIT_DROP}},
      {CMD_SPEED_NORMAL, {ADMIT_RUN, ADMIT_RUN, ADMIT_RUN}},
      {CMD_SPEED_FAST, {ADMIT_RUN, ADMIT_RUN, ADMIT_RUN}},
      {CMD_CONTINUOUS, {ADMIT_RUN, ADMIT_RUN, ADMIT_RUN}},
      {CMD_SET_REPEAT, {ADMIT_RUN, ADMIT_RUN, ADMIT_RUN}},
      {CMD_HELP, {ADMIT_RUN, ADMIT_RUN, ADMIT_RUN}},
      {CMD_WEBSITE, {ADMIT_RUN, ADMIT_RUN, ADMIT_RUN}},
      {CMD_ABOUT, {ADMIT_RUN, ADMIT_RUN, ADMIT_RUN}},
      {CMD_TIPS, {ADMIT_RUN, ADMIT_RUN, ADMIT_RUN}},
      {CMD_SAVE_SETTINGS, {ADMIT_RUN, ADMIT_RUN, ADMIT_RUN}},
      {0x7FFF, {ADMIT_DROP, ADMIT_DROP, ADMIT_DROP}},
      {0x8013, {ADMIT_DROP, ADMIT_DROP, ADMIT_DROP}},
      {0, {ADMIT_DROP, ADMIT_DROP, ADMIT_DROP}},
  };
  for (const Row& row : rows)
    for (int m = 0; m < 3; ++m)
      EXPECT_STREQ(Name(AdmitCommand(row.id, modes[m], true, 2)), Name(row.want[m]))
          << "id 0x" << std::hex << row.id << " mode " << std::dec << modes[m];
}

TEST(Admission, NeedsARecordingForSaveCompileAndPlay) {
  struct Case {
    std::uint32_t id;
    bool buffer;
    std::uint32_t count;
    Admission want;
  } cases[] = {
      {CMD_SAVE, false, 0, ADMIT_NO_RECORDING},
      {CMD_SAVE, true, 0, ADMIT_NO_RECORDING},
      {CMD_SAVE, true, 1, ADMIT_RUN},
      {CMD_COMPILE, false, 0, ADMIT_NO_RECORDING},
      {CMD_COMPILE, true, 0, ADMIT_NO_RECORDING},
      {CMD_COMPILE, true, 1, ADMIT_RUN},
      // Play asks only for a buffer: an empty one plays a run that ends at once.
      {CMD_PLAY, false, 0, ADMIT_NO_RECORDING},
      {CMD_PLAY, true, 0, ADMIT_RUN},
      {CMD_OPEN, false, 0, ADMIT_RUN},
      {CMD_OPTIONS, false, 0, ADMIT_RUN},
  };
  for (const Case& c : cases)
    EXPECT_STREQ(Name(AdmitCommand(c.id, RUN_IDLE, c.buffer, c.count)), Name(c.want))
        << "id 0x" << std::hex << c.id << " buffer " << c.buffer << " count " << c.count;
  EXPECT_STREQ(Name(AdmitCommand(CMD_PLAY, RUN_PLAYING, false, 0)), "no-recording");
  EXPECT_STREQ(Name(AdmitCommand(CMD_SAVE, RUN_PLAYING, false, 0)), "drop") << "busy wins over missing";
}
