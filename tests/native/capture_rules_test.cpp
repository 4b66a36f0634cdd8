#include "record/capture_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

std::set<std::uint32_t> g_down;  // keys the fake keyboard holds
std::vector<std::uint32_t> g_asked;

bool FakeKeyDown(std::uint32_t vk) {
  g_asked.push_back(vk);
  return g_down.count(vk) != 0;
}

InputEvent Record(std::uint32_t message, std::uint32_t window = 0) {
  InputEvent r = {};
  r.message = message;
  r.window = window;
  return r;
}

}  // namespace

TEST(KeyScan, TakesTheLowestChangedKeyOnePerStep) {
  std::uint8_t snapshot[256] = {};
  snapshot[0] = 77;  // the mouse checksum shares the array and is never scanned
  g_down = {65, 17, 200};
  g_asked.clear();
  EXPECT_EQ(ScanKeys(snapshot, FakeKeyDown), 17u);
  EXPECT_EQ(g_asked.front(), 1u) << "the scan starts at key 1";
  EXPECT_EQ(g_asked.back(), 17u) << "and stops at the first difference";
  EXPECT_EQ(snapshot[17], 1);
  EXPECT_EQ(snapshot[65], 0) << "only the key taken is updated";
  EXPECT_EQ(ScanKeys(snapshot, FakeKeyDown), 65u);
  EXPECT_EQ(ScanKeys(snapshot, FakeKeyDown), 200u);
  g_asked.clear();
  EXPECT_EQ(ScanKeys(snapshot, FakeKeyDown), kNoKey) << "nothing changed";
  EXPECT_EQ(g_asked.size(), 254u) << "keys 1 to 254, never 0 or 255";
  EXPECT_EQ(g_asked.back(), 254u);
  g_down = {65, 200};
  EXPECT_EQ(ScanKeys(snapshot, FakeKeyDown), 17u) << "a release is a change too";
  EXPECT_EQ(snapshot[17], 0);
  EXPECT_EQ(snapshot[0], 77) << "checksum untouched";
  g_down = {255};
  EXPECT_EQ(ScanKeys(snapshot, FakeKeyDown), 65u);
}

TEST(CaptureRecord, KeysAndButtons) {
  struct Case {
    std::uint32_t vk;
    bool down;
    std::uint32_t message, param_l, param_h;
  } cases[] = {
      {1, true, 513, 300, 400},       {1, false, 514, 300, 400},     {2, true, 516, 300, 400},
      {2, false, 517, 300, 400},      {65, true, 256, 30 * 256 + 65, 30}, {65, false, 257, 30 * 256 + 65, 30},
      {4, true, 256, 30 * 256 + 4, 30},  // the middle button is just a key here
      {161, true, 256, 30 * 256 + 161, 30}, {254, false, 257, 30 * 256 + 254, 30},
  };
  for (const Case& c : cases) {
    std::uint8_t checksum = 9;
    InputEvent r = {};
    ASSERT_EQ(MakeCaptureRecord(c.vk, c.down, 30, 300, 400, checksum, r), 1) << "vk " << c.vk;
    EXPECT_EQ(r.message, c.message) << "vk " << c.vk << " down " << c.down;
    EXPECT_EQ(r.param_l, c.param_l) << "vk " << c.vk;
    EXPECT_EQ(r.param_h, c.param_h) << "vk " << c.vk;
    EXPECT_EQ(checksum, 9) << "a key leaves the mouse checksum alone";
  }
}

TEST(CaptureRecord, MovesFollowTheChecksumRule) {
  struct Case {
    std::int32_t x, y;
    bool recorded;
    const char* what;
  } cases[] = {
      {100, 100, false, "same place"},
      {101, 99, false, "+1/-1 keeps x + y"},
      {356, 100, false, "+256 in x wraps the checksum"},
      {101, 100, true, "+1 in x"},
      {0, 300, false, "left column never records"},
      {300, 0, false, "top row never records"},
      {-5, 300, true, "a second screen to the left"},
  };
  for (const Case& c : cases) {
    std::uint8_t checksum = MouseChecksum(100, 100);
    InputEvent r = {};
    EXPECT_EQ(MakeCaptureRecord(kNoKey, false, 0, c.x, c.y, checksum, r), c.recorded ? 1 : 0) << c.what;
    if (c.recorded) {
      EXPECT_EQ(r.message, 512u) << c.what;
      EXPECT_EQ(r.param_l, static_cast<std::uint32_t>(c.x)) << c.what;
      EXPECT_EQ(r.param_h, static_cast<std::uint32_t>(c.y)) << c.what;
      EXPECT_EQ(checksum, MouseChecksum(c.x, c.y)) << c.what;
    } else {
      EXPECT_EQ(checksum, MouseChecksum(100, 100)) << c.what;
    }
  }
  std::uint8_t checksum = 0;
  InputEvent r = {};
  EXPECT_EQ(MakeCaptureRecord(kLeftShift, true, 42, 10, 20, checksum, r), 1)
      << "left Shift records nothing itself, so a move may be recorded in its step";
  EXPECT_EQ(r.message, 512u);
  checksum = MouseChecksum(10, 20);
  EXPECT_EQ(MakeCaptureRecord(kLeftShift, true, 42, 10, 20, checksum, r), 0) << "left Shift alone";
}

TEST(BufferGrowth, KeepsAHundredFreeRecords) {
  EXPECT_TRUE(BufferNeedsGrowth(0, 0)) << "the first step obtains the buffer";
  EXPECT_FALSE(BufferNeedsGrowth(899, 20000 / 20));
  EXPECT_TRUE(BufferNeedsGrowth(900, 20000 / 20));
  EXPECT_FALSE(BufferNeedsGrowth(1899, 40000 / 20));
  EXPECT_TRUE(BufferNeedsGrowth(1900, 40000 / 20));
}

TEST(StopTrim, CutsAtTheLastPressOnTheOwnWindow) {
  const std::uint32_t kOwn = 0x1234, kOther = 0x999;
  struct Case {
    std::vector<InputEvent> records;
    std::uint32_t want;
    const char* what;
  } cases[] = {
      {{}, 0, "empty recording"},
      {{Record(513, kOwn)}, 1, "record 0 is never examined"},
      {{Record(256), Record(513, kOwn), Record(514, kOwn)}, 1, "the closing click and its release go"},
      {{Record(256), Record(513, kOwn), Record(514), Record(256), Record(257)}, 1, "everything after the press goes"},
      {{Record(256), Record(513, kOther), Record(514, kOther)}, 3, "a press on another window stays"},
      {{Record(256), Record(514, kOwn)}, 2, "a release on the own window is no press"},
      {{Record(256), Record(513, kOwn), Record(256), Record(513, kOwn), Record(257)}, 3, "the last press wins"},
      {{Record(256), Record(256), Record(0), Record(256)}, 2, "an end marker stops the walk"},
      {{Record(256), Record(257), Record(512)}, 3, "nothing to cut"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TrimmedCount(c.records.data(), static_cast<std::uint32_t>(c.records.size()), kOwn), c.want) << c.what;
}
