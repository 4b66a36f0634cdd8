// Capture and playback decisions against a fake keyboard and the message
// numbers Windows gives input events.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <vector>

#include "core/key_sets.h"
#include "play/playback_rules.h"
#include "record/capture_rules.h"

namespace {

std::set<std::uint32_t> g_down;  // keys the fake keyboard holds
std::vector<std::uint32_t> g_asked, g_played;
bool FakeKeyDown(std::uint32_t vk) { return g_asked.push_back(vk), g_down.count(vk) != 0; }
void NotePlayed(const InputEvent& move) { g_played.push_back(move.param_l); }

// Records from a string of kinds: m move, k key down, c left press, C left
// press on the own window (0x1234), u left release there, n and t a note's
// head and text record, 0 end marker. Each record carries its index in param_l.
std::vector<InputEvent> Records(const char* kinds) {
  std::vector<InputEvent> records;
  for (std::uint32_t i = 0; kinds[i]; ++i) {
    const char k = kinds[i];
    std::uint32_t message = k == 'm' ? 512 : k == 'k' ? 256 : k == 'c' || k == 'C' ? 513 : k == 'u' ? 514
                          : k == 'n' ? kNoteMessage : k == 't' ? kNoteTextMessage : 0;
    records.push_back({message, i, 0, 0, k == 'C' || k == 'u' ? 0x1234u : 0x999u});
  }
  return records;
}

}  // namespace

TEST(Capture, ScanTakesTheLowestChangedKeyOnePerStep) {
  std::uint8_t snapshot[256] = {};
  snapshot[0] = 77;  // the mouse checksum shares the array and is never scanned
  g_down = {65, 17, 200, 255};
  g_asked.clear();
  EXPECT_EQ(ScanKeys(snapshot, FakeKeyDown), 17u);
  EXPECT_EQ(g_asked.front(), 1u) << "the scan starts at key 1";
  EXPECT_EQ(snapshot[65], 0) << "only the key taken is updated";
  EXPECT_EQ(ScanKeys(snapshot, FakeKeyDown), 65u);
  EXPECT_EQ(ScanKeys(snapshot, FakeKeyDown), 200u);
  g_asked.clear();
  EXPECT_EQ(ScanKeys(snapshot, FakeKeyDown), kNoKey) << "key 255 is never taken";
  EXPECT_EQ(g_asked.size(), 254u) << "keys 1 to 254 asked";
  g_down = {65, 200};
  EXPECT_EQ(ScanKeys(snapshot, FakeKeyDown), 17u) << "a release is a change too";
  EXPECT_EQ(snapshot[0], 77) << "checksum untouched";
}

TEST(Capture, RecordsKeysButtonsAndMovesAsWindowsNumbersThem) {
  struct Case {
    std::uint32_t vk;  // kNoKey: a step with no key change
    bool down;
    std::int32_t x, y;
    std::vector<std::uint32_t> record;  // message, param_l, param_h; none: nothing recorded
  } cases[] = {
      {1, true, 300, 400, {513, 300, 400}}, {1, false, 300, 400, {514, 300, 400}},
      {65, true, 300, 400, {256, 30 * 256 + 65, 30}}, {65, false, 300, 400, {257, 30 * 256 + 65, 30}},
      {kNoKey, false, 100, 100, {}}, {kNoKey, false, 101, 99, {}},  // the checksum x + y is the same
      {kNoKey, false, 356, 100, {}}, {kNoKey, false, 0, 300, {}}, {kNoKey, false, 300, 0, {}},  // wrapped; edges
      {kNoKey, false, 101, 100, {512, 101, 100}}, {kNoKey, false, -5, 300, {512, 0xFFFFFFFB, 300}},
      {kLeftShift, true, 10, 20, {512, 10, 20}}, {kLeftShift, true, 100, 100, {}},  // left Shift is never recorded
  };
  for (const Case& c : cases) {
    std::uint8_t checksum = MouseChecksum(100, 100);
    InputEvent r = {};
    const int made = MakeCaptureRecord(c.vk, c.down, 30, c.x, c.y, checksum, r);
    const std::vector<std::uint32_t> got = {r.message, r.param_l, r.param_h};
    EXPECT_EQ(made ? got : std::vector<std::uint32_t>(), c.record) << c.vk << " at " << c.x << "," << c.y;
    EXPECT_EQ(checksum, made && r.message == 512 ? MouseChecksum(c.x, c.y) : MouseChecksum(100, 100)) << c.x;
  }
  EXPECT_TRUE(BufferNeedsGrowth(0, 0)) << "the first step obtains the buffer";
  EXPECT_FALSE(BufferNeedsGrowth(899, 1000));
  EXPECT_TRUE(BufferNeedsGrowth(900, 1000)) << "a hundred records kept free";
}

TEST(Capture, StopCutsOnlyTheClosingClickOrWhatAStoppedRunDidNotPlay) {
  constexpr std::uint32_t kRecording = 99;  // no play position: a recording stopped
  struct Case {
    const char* kinds;
    std::uint32_t position, want;
  } cases[] = {
      {"", kRecording, 0}, {"C", kRecording, 1},         // record 0 is never examined
      {"kCu", kRecording, 1}, {"kCumm", kRecording, 1},  // the closing click goes, its release and moves with it
      {"kCukk", kRecording, 5},  // an earlier press on the own window (a caption bar dragged) is the user's
      {"kCkc", kRecording, 4}, {"kcu", kRecording, 3},  // the last press is on another window
      {"kk0k", 2, 4},  // a playback stopped on the end marker
      {"kcntCu", kRecording, 2}, {"kcntk", 4, 2}, {"kntc", kRecording, 4},  // no note is left at the end
  };
  for (const Case& c : cases) {
    std::vector<InputEvent> r = Records(c.kinds);
    const std::uint32_t n = static_cast<std::uint32_t>(r.size());
    EXPECT_EQ(c.position == kRecording ? TrimmedCount(r.data(), n, 0x1234) : PlaybackCutCount(r.data(), n, c.position),
              c.want) << c.kinds << " stopped at " << c.position;
  }
}

TEST(Playback, RunsCountedAndStopped) {
  struct Case {
    bool stop;
    std::int32_t done, count;
    std::uint8_t continuous;
    bool want;
  } cases[] = {
      {false, 0, 1, 0, true},  {false, 1, 1, 0, false}, {false, 2, 3, 0, true}, {false, 0, 0, 0, false},
      {false, 0, -5, 0, false}, {false, 7, 3, 1, true}, {true, 0, 3, 1, false},
      {false, INT_MAX - 1, INT_MAX, 0, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StartsAnotherRun(c.stop, c.done, c.count, c.continuous), c.want) << c.done << "/" << c.count;
}

// Where the system puts an absolute move over a virtual desktop.
std::int32_t Lands(std::uint32_t n, std::int32_t origin, std::int32_t size) {
  return n > 65535 ? INT_MIN : static_cast<std::int32_t>(n * std::int64_t{size} / 65536) + origin;
}

TEST(Playback, AnAbsoluteMoveLandsOnItsPixelOnEveryDesktop) {
  for (std::int32_t size = 1, misses = 0; size <= 16384 && !misses; ++size) {
    std::int32_t origin = size % 2 ? -size : size % 3 * 1280;  // a monitor left of the primary one, or none
    for (std::int32_t x = origin; x < origin + size; ++x)
      if (Lands(AbsoluteCoordinate(x, origin, size), origin, size) != x && !misses++)
        ADD_FAILURE() << "pixel " << x << " of a desktop from " << origin << ", " << size << " wide, lands on "
                      << Lands(AbsoluteCoordinate(x, origin, size), origin, size);
  }
  struct Case {
    std::int32_t pixel, origin, size, lands;
  } off[] = {{-1921, -1920, 3840, -1920}, {1920, -1920, 3840, 1919}, {-5000, 0, 1024, 0}, {99999, -1280, 2304, 1023}};
  for (const Case& c : off)
    EXPECT_EQ(Lands(AbsoluteCoordinate(c.pixel, c.origin, c.size), c.origin, c.size), c.lands) << "pixel " << c.pixel;
  EXPECT_EQ(AbsoluteCoordinate(5, 0, 0), 0u) << "no desktop, no division by zero";
}

// 20 s of mouse movement polled at the mouse's rate, the tick count wrapping
// at 7 s, a key pressed and let go in the next gap every second, played
// through a model of the wait (times in us): a wait below its least (the
// window timer's 10 ms; none for the main loop's) counts as the least; the
// step runs at the first clock tick at or after the wait's end, then late;
// the clock moves on at ticks (the system's 15.6 ms, or 1 ms while the timer
// resolution is raised); a step costs its own time and 0.1 ms a record. Each
// step plays what the rule says: the product's, or one record per step, which
// falls behind where a step outlasts the records' gap.
TEST(Playback, NormalSpeedKeepsTheRecordedPaceOnASlowTimerAndABusyMachine) {
  using Rule = std::uint32_t (*)(const InputEvent*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t);
  const Rule one_per_step = [](auto, auto, std::uint32_t p, auto, auto) { return p + 1; };
  struct Case {
    const char* what;
    std::uint32_t gap_us;
    std::int64_t tick, least_ms, late, step_cost;
    bool one_per_step_behind, keys_within_a_tick;  // of their moments, and a step's cost
  } cases[] = {
      {"quiet, 64 Hz mouse, 15.6 ms system tick", 15625, 15625, 10, 0, 300, false, true},
      {"quiet, 125 Hz mouse, 15.6 ms system tick", 8000, 15625, 10, 0, 300, true, false},
      {"busy: timer 6 ms late, 5 ms steps, 1 ms tick", 15625, 1000, 10, 6000, 5000, true, false},
      {"busy: timer 30 ms late, 15 ms steps", 15625, 15625, 10, 30000, 15000, true, false},
      {"the loop's wait, 1 ms tick, quiet, 125 Hz mouse", 8000, 1000, 0, 0, 300, false, true},
      {"the loop's wait, 1 ms tick, busy: 4 ms late, 5 ms steps", 8000, 1000, 0, 4000, 5000, true, false},
  };
  for (const Case& c : cases) {
    std::vector<InputEvent> r;
    for (std::uint32_t i = 0, key = 1000000 / c.gap_us; i * std::uint64_t{c.gap_us} <= 20000000; ++i)
      r.push_back({i % key == 0 ? 256u : i % key == 1 ? 257u : 512u, i, i, 4294960000u + i * c.gap_us / 1000, 0});
    const auto n = static_cast<std::uint32_t>(r.size());
    std::vector<std::uint32_t> step(n);  // the step each record took
    std::int64_t key_late = 0;
    auto played_over_recorded = [&](Rule rule) {
      auto fires = [&](std::int64_t armed, std::uint32_t wait) {
        return (armed + std::max<std::int64_t>(wait, c.least_ms) * 1000 + c.tick - 1) / c.tick * c.tick + c.late;
      };
      auto tick_count = [&](std::int64_t now) { return static_cast<std::uint32_t>(now / c.tick * c.tick / 1000); };
      const std::int64_t start = 7 * c.tick + 4321, first = fires(start, 25);
      const std::uint32_t base = tick_count(start) + 25;
      std::int64_t now = first, last = first;
      for (std::uint32_t p = 0, steps = 1; p < n; ++steps, now += c.step_cost) {
        if (p) now = fires(now, TimeToRecord(base, r[0].time, r[p].time, tick_count(now)));
        for (std::uint32_t end = rule(r.data(), n, p, base, tick_count(now)); p < end; ++p, now += 100) {
          step[p] = steps, last = now;
          const std::int64_t due = (std::int64_t{base} + (r[p].time - r[0].time)) * 1000;
          if (r[p].message != 512) key_late = std::max(key_late, now - due);
        }
      }
      return (last - first) / ((r.back().time - r[0].time) * 1000.0);
    };
    EXPECT_EQ(played_over_recorded(one_per_step) > 1.01, c.one_per_step_behind) << c.what << ": one per step behind";
    key_late = 0;
    EXPECT_NEAR(played_over_recorded(DueRecordsEnd), 1.0, 0.01) << c.what << ": played over recorded length";
    EXPECT_EQ(key_late <= c.tick + c.step_cost, c.keys_within_a_tick) << c.what << ": latest key " << key_late << " us";
    std::uint32_t shared = 0;  // key records played in the step of the record before them
    for (std::size_t p = 1; p < n; ++p) shared += r[p].message != 512 && step[p] == step[p - 1];
    EXPECT_EQ(shared, 0u) << c.what << ": key records sharing a step with the record before";
  }
}

TEST(Playback, FastSpeedPlaysEverySixthMoveAndTheLastOfASeries) {
  struct Case {
    const char* kinds;
    std::uint32_t start;
    bool held;
    std::vector<std::uint32_t> played;
    std::uint32_t next;
  } cases[] = {
      {"kmmmmmmmmmmmmmk0", 1, false, {6, 12, 13}, 14},  // indexes count from the buffer start
      {"kmk0", 1, false, {1}, 2},
      {"kk0", 1, false, {}, 1},
      {"kmmmmmmm", 1, false, {6, 7}, 8},  // a series running to the end of the buffer
      {"cmmmmmmmk0", 1, true, {}, 1},     // while the button is held every move is a step
  };
  for (const Case& c : cases) {
    std::vector<InputEvent> r = Records(c.kinds);
    g_played.clear();
    FastBatch batch = RunFastBatch(r.data(), static_cast<std::uint32_t>(r.size()), c.start, c.held, NotePlayed);
    EXPECT_EQ(g_played, c.played) << c.kinds;
    EXPECT_EQ(batch.next, c.next) << c.kinds;
    EXPECT_EQ(batch.played, !c.played.empty()) << c.kinds;
  }
}

TEST(Playback, ExtendedAndLockKeysOfARealKeyboard) {
  // Virtual-key numbers: Shift 16, Ctrl 17, Alt 18, Caps Lock 20, Page Up 33,
  // Left 37, Delete 46, '/' 47, Windows keys 91 and 92, Applications 93,
  // Num Lock 144, Scroll Lock 145.
  const std::set<std::uint32_t> extended = {17, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 91, 92, 93};
  const std::set<std::uint32_t> lock = {20, 144, 145};
  for (std::uint32_t vk = 0; vk <= 255; ++vk) {
    EXPECT_EQ(IsExtendedKey(vk), extended.count(vk) != 0) << "vk " << vk;
    EXPECT_EQ(IsLockKey(vk), lock.count(vk) != 0) << "vk " << vk;
  }
}

// The closing hotkey chord, and where a played click lands.
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

TEST(Capture, StopCutsTheClosingChordAndNothingTheUserMadeBeforeIt) {
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
      {{Key(kDown, 16), Mouse(kMove, kMain), Mouse(kLeftDown, kMain)}, 2,
       "stopped by the red button with Shift held: only the click goes"},
      {{Key(kUp, 'B'), Key(kNoteMessage, 0), Key(kNoteTextMessage, 0), Key(kDown, 17), Key(kNoteMessage, 0),
        Key(kNoteTextMessage, 0), Key(kDown, 16), Key(kDown, 18), Key(kDown, 'R')}, 1, "notes before and among the chord's keys"},
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

TEST(Playback, AButtonOrATurnPlaysWhereItWasMade) {
  // After a move to (40, 50). The middle and side buttons are key records of
  // VK 4, 5, 6, with no place of their own: they go where the move went.
  struct Case {
    InputEvent record;
    std::int32_t x, y, to_x, to_y;  // the cursor; where it goes first (-1: nowhere)
  } cases[] = {
      {{513, 120, 96, 0, 0}, 300, 40, 120, 96},  {{514, 120, 96, 0, 0}, 120, 97, 120, 96},
      {{516, 5, 5, 0, 0}, 6, 5, 5, 5},           {{513, 0xFFFFFFF8, 10, 0, 0}, -8, 10, -1, -1},
      {{515, 120, 96, 0, 0}, 0, 0, -1, -1},      {{kWheelMessage, 7, 8, 0, 0xFFFFFF88}, 0, 0, 7, 8},
      {{kHWheelMessage, 7, 8, 0, 120}, 7, 8, -1, -1}, {{256, 4, 0, 0, 0}, 1, 1, 40, 50},
      {{257, 6, 0, 0, 0}, 40, 50, -1, -1},       {{256, 5, 0, 0, 0}, 9, 9, 40, 50},
      {{256, 'A', 0, 0, 0}, 1, 1, -1, -1},
  };
  for (const Case& c : cases) {
    const InputEvent records[] = {{512, 40, 50, 0, 0}, c.record};
    const InputEvent* to = PlaceToMoveTo(records, 1, c.x, c.y);
    EXPECT_EQ(to ? std::to_string(static_cast<std::int32_t>(to->param_l)) + "," + std::to_string(to->param_h) : "-1,-1",
              std::to_string(c.to_x) + "," + std::to_string(c.to_y))
        << "record " << c.record.message << " " << c.record.param_l << " with the cursor at " << c.x << "," << c.y;
  }
}

TEST(Notes, TheWindowAButtonOrKeyNotesHowFarItsClickMovesAndHowLongItIsAwaited) {
  const InputEvent records[] = {{256, 4, 0, 0, 0}, {256, 6, 0, 0, 0}, {256, 0x1e41, 0, 0, 0}, {257, 4, 0, 0, 0}, {514, 0, 0, 0, 0}};
  const NoteWindow want[] = {NOTE_UNDER_CURSOR, NOTE_UNDER_CURSOR, NOTE_FOREGROUND, NOTE_NONE, NOTE_NONE};  // the middle and side buttons
  for (int i = 0; i < 5; ++i) EXPECT_EQ(NoteWindowFor(records[i]), want[i]) << "record " << i;
  const Offset moved = NoteOffset({-200, 80, 640, 480, "Notepad", ""}, 1500, -20);  // to the monitor on the right
  EXPECT_EQ(std::to_string(moved.dx) + "," + std::to_string(moved.dy), "1700,-100");
  EXPECT_EQ(WaitLimit(10) + WaitLimit(INT_MAX), 86410000u) << "ten seconds, and a day at the most";
}

TEST(Capture, AMiddleOrSideButtonWaitsForTheMoveToWhereItWasPressed) {
  // The last place recorded is (40, 50); the scan has just taken the key down.
  struct Case {
    std::uint32_t vk;
    std::int32_t x, y;
    bool move;
  } cases[] = {{4, 60, 70, true}, {6, 40, 51, true}, {5, 40, 50, false}, {1, 60, 70, false}, {kNoKey, 60, 70, false}};
  for (const Case& c : cases) {
    const InputEvent records[] = {{512, 40, 50, 0, 0}, {256, 'A', 0, 0, 0}};
    std::uint8_t snapshot[256] = {};
    snapshot[c.vk] = 1;
    InputEvent r = {};
    EXPECT_EQ(MoveBeforeButtonKey(c.vk, snapshot, records, 2, c.x, c.y, r), c.move ? 1 : 0) << "vk " << c.vk;
    EXPECT_TRUE(!c.move || (r.message == 512 && r.param_l == static_cast<std::uint32_t>(c.x) && snapshot[c.vk] == 0 &&
                            snapshot[0] == MouseChecksum(c.x, c.y)))
        << "vk " << c.vk << ": the move, the key left for the next step, the move's checksum";
  }
}
