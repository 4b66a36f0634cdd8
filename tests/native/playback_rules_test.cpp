#include "play/playback_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

std::vector<std::uint32_t> g_played;  // param_l of each move played
void RecordPlayed(const InputEvent& move) { g_played.push_back(move.param_l); }

// A buffer from a string of kinds: m move, k key, c click (left press), 0 end.
std::vector<InputEvent> Buffer(const char* kinds) {
  std::vector<InputEvent> records;
  for (std::uint32_t i = 0; kinds[i]; ++i) {
    InputEvent r = {};
    r.message = kinds[i] == 'm' ? 512 : kinds[i] == 'k' ? 256 : kinds[i] == 'c' ? 513 : 0;
    r.param_l = i;  // each move carries its own index
    records.push_back(r);
  }
  return records;
}

}  // namespace

TEST(RunDecision, CountsRunsAndHonoursStopRequests) {
  struct Case {
    bool stop;
    std::int32_t done, count;
    std::uint8_t continuous;
    bool want;
  } cases[] = {
      {false, 0, 1, 0, true},  {false, 1, 1, 0, false}, {false, 2, 3, 0, true},   {false, 3, 3, 0, false},
      {false, 0, 0, 0, false}, {false, 0, -5, 0, false}, {false, 7, 3, 1, true},  {false, 0, 0, 1, true},
      {true, 0, 3, 0, false},  {true, 0, 3, 1, false},   {false, INT_MAX - 1, INT_MAX, 0, true},
      {false, 5, 3, 2, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StartsAnotherRun(c.stop, c.done, c.count, c.continuous), c.want)
        << "stop " << c.stop << " done " << c.done << " count " << c.count << " continuous " << int(c.continuous);
}

TEST(RunEnd, AtTheEndMarkerOrTheBufferEnd) {
  std::vector<InputEvent> b = Buffer("kk0k");
  EXPECT_FALSE(RunEndsAt(b.data(), 4, 1));
  EXPECT_TRUE(RunEndsAt(b.data(), 4, 2)) << "end marker";
  EXPECT_TRUE(RunEndsAt(b.data(), 2, 2)) << "past the capacity";
  EXPECT_TRUE(RunEndsAt(b.data(), 4, 9));
}

TEST(MoveScaling, UnsignedLikeTheInjection) {
  EXPECT_EQ(ScaleToAbsolute(0, 1024), 0u);
  EXPECT_EQ(ScaleToAbsolute(512, 1024), 32767u);
  EXPECT_EQ(ScaleToAbsolute(1023, 1024), 65471u);
  EXPECT_EQ(ScaleToAbsolute(1024, 1024), 65535u);
  // 70000 * 65535 wraps modulo 2^32 before the division.
  EXPECT_EQ(ScaleToAbsolute(70000, 1024), static_cast<std::uint32_t>(70000u * 65535u) / 1024u);
  // -1 reads as 4294967295: (2^32 - 1) * 65535 mod 2^32 = 2^32 - 65535.
  EXPECT_EQ(ScaleToAbsolute(static_cast<std::uint32_t>(-1), 1024), (4294967296u - 65535u) / 1024u);
  EXPECT_EQ(ScaleToAbsolute(100, 0), 0u) << "no screen size, no division by zero";
}

TEST(FastBatch, PlaysEverySixthMoveAndTheLastOfASeries) {
  struct Case {
    const char* kinds;
    std::uint32_t start;
    bool held;
    std::vector<std::uint32_t> played;
    std::uint32_t next;
    const char* what;
  } cases[] = {
      {"kmmmmmmmmmmmmmk0", 1, false, {6, 12, 13}, 14, "indexes count from the buffer start"},
      {"kmk0", 1, false, {1}, 2, "a single move is the last of its series"},
      {"kk0", 1, false, {}, 1, "no move at p: nothing played"},
      {"kmmmmmmm0", 1, false, {6, 7}, 8, "a series running into the end marker"},
      {"kmmmmmmm", 1, false, {6, 7}, 8, "a series running to the end of the buffer"},
      {"cmmmmmmmk0", 1, true, {}, 1, "while the button is held every move is its own step"},
      {"mmmmmmm0", 0, false, {0, 6}, 7, "index 0 is a multiple of 6"},
  };
  for (const Case& c : cases) {
    std::vector<InputEvent> b = Buffer(c.kinds);
    g_played.clear();
    FastBatch batch = RunFastBatch(b.data(), static_cast<std::uint32_t>(b.size()), c.start, c.held, RecordPlayed);
    EXPECT_EQ(g_played, c.played) << c.what;
    EXPECT_EQ(batch.next, c.next) << c.what;
    EXPECT_EQ(batch.played, !c.played.empty()) << c.what;
  }
}
