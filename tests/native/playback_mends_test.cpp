// The stop trim of the closing hotkey chord, and where a played click lands.
#include <gtest/gtest.h>

#include <vector>

#include "play/playback_rules.h"
#include "record/capture_rules.h"

namespace {

constexpr std::uint32_t kMain = 0x1234;  // the program's own window
constexpr std::uint32_t kDown = 256, kUp = 257, kMove = 512, kLeftDown = 513, kLeftUp = 514;

InputEvent Key(std::uint32_t message, std::uint32_t vk) { return {message, vk, 0, 0, 0x99}; }
InputEvent Mouse(std::uint32_t message, std::uint32_t window) { return {message, 10, 20, 0, window}; }

// "ab" typed into another window.
std::vector<InputEvent> Word() {
  return {Mouse(kMove, 0x99), Key(kDown, 'A'), Key(kUp, 'A'), Key(kDown, 'B'), Key(kUp, 'B')};
}

}  // namespace

TEST(StopTrim, CutsTheClosingChordAndNothingTheUserMadeBeforeIt) {
  struct Case {
    std::vector<InputEvent> tail;  // behind the word
    std::uint32_t kept;            // records kept behind the word
    const char* what;
  } cases[] = {
      {{Key(kDown, 17), Key(kDown, 162), Key(kDown, 16), Key(kDown, 18), Key(kDown, 164), Key(kDown, 'R')}, 0,
       "Ctrl, Shift, Alt, R in that order, the left-hand codes too"},
      {{Key(kDown, 'R'), Key(kDown, 16), Key(kDown, 17), Key(kDown, 18), Key(kDown, 163), Key(kDown, 165)}, 0,
       "R first, then the right-hand modifiers"},
      {{Key(kDown, 18), Key(kDown, 17), Key(kDown, 16)}, 0, "R not captured before the stop"},
      {{Key(kDown, 17), Mouse(kMove, 0x99), Key(kDown, 16), Key(kDown, 18), Key(kDown, 'R')}, 0,
       "a move made while pressing the chord goes with it"},
      {{Key(kDown, 17), Key(kDown, 'R'), Key(kUp, 'R'), Key(kUp, 17), Key(kDown, 17), Key(kDown, 16), Key(kDown, 18)},
       4, "a genuine Ctrl+R before the chord stays, released"},
      {{Key(kDown, 16), Key(kDown, 'C'), Key(kUp, 'C'), Key(kDown, 17), Key(kDown, 18), Key(kDown, 'R')}, 3,
       "Shift+C typed and still held: the key after it ends the cut"},
      {{Key(kDown, 17), Key(kDown, 'S'), Key(kUp, 'S'), Key(kUp, 17), Mouse(kMove, 0x99), Mouse(kLeftDown, kMain),
        Mouse(kLeftUp, kMain)},
       5, "stopped by the red button: Ctrl+S used in the recording stays, the click goes"},
      {{Key(kDown, 16), Mouse(kMove, kMain), Mouse(kLeftDown, kMain)}, 2,
       "stopped by the red button with Shift held: only the click goes"},
  };
  for (const Case& c : cases) {
    std::vector<InputEvent> records = Word();
    records.insert(records.end(), c.tail.begin(), c.tail.end());
    std::uint32_t count = static_cast<std::uint32_t>(records.size());
    EXPECT_EQ(TrimmedCount(records.data(), count, kMain), Word().size() + c.kept) << c.what;
  }

  std::vector<InputEvent> only_chord = {Key(kDown, 17), Key(kDown, 16), Key(kDown, 18), Key(kDown, 'R')};
  EXPECT_EQ(TrimmedCount(only_chord.data(), 4, kMain), 1u) << "record 0 is never cut";
}

TEST(ClickPosition, AButtonMovesTheCursorToWhereItWasRecorded) {
  struct Case {
    InputEvent record;
    std::int32_t x, y;
    bool move;
    const char* what;
  } cases[] = {
      {{kLeftDown, 120, 96, 0, 0}, 120, 96, false, "already there"},
      {{kLeftDown, 120, 96, 0, 0}, 300, 40, true, "left press elsewhere"},
      {{kLeftUp, 120, 96, 0, 0}, 120, 97, true, "left release one pixel off"},
      {{516, 5, 5, 0, 0}, 6, 5, true, "right press"},
      {{517, 5, 5, 0, 0}, 5, 5, false, "right release in place"},
      {{kLeftDown, static_cast<std::uint32_t>(-8), 10, 0, 0}, -8, 10, false, "left of the primary screen"},
      {{kMove, 120, 96, 0, 0}, 0, 0, false, "a move moves by itself"},
      {{kDown, 'A', 0, 0, 0}, 0, 0, false, "keys have no position"},
      {{515, 120, 96, 0, 0}, 0, 0, false, "a double-click record plays nothing"},
  };
  for (const Case& c : cases) EXPECT_EQ(NeedsMoveBeforeButton(c.record, c.x, c.y), c.move) << c.what;
}
