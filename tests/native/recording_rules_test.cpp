#include "files/recording_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

// count records, the first with the given message, the rest key downs,
// plus extra bytes of 0x55 behind them.
std::vector<std::uint8_t> Records(std::uint32_t count, std::uint32_t first_message, std::uint32_t extra = 0) {
  std::vector<InputEvent> records(count);
  for (std::uint32_t i = 0; i < count; ++i) records[i] = {i ? 256u : first_message, 0x1E41, 0x1E, 1000 + i, 0x10010};
  std::vector<std::uint8_t> bytes(count * sizeof(InputEvent));
  if (count) std::memcpy(bytes.data(), records.data(), bytes.size());
  bytes.insert(bytes.end(), extra, 0x55);
  return bytes;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
std::string Text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

}  // namespace

TEST(IsRecording, WholeRecordsWithAZeroFirstByte) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    bool valid;
    const char* what;
  } cases[] = {
      {{}, false, "0 bytes"},
      {{0}, false, "1 byte"},
      {{0, 0}, false, "2 bytes"},
      {std::vector<std::uint8_t>(19, 0), false, "19 bytes"},
      {Records(1, 256), true, "20 bytes, a key down"},
      {Records(2, 256), true, "40 bytes"},
      {Records(2, 256, 1), false, "41 bytes"},
      {Records(2, 256, 19), false, "59 bytes"},
      {Records(3, 256), true, "60 bytes"},
      {std::vector<std::uint8_t>(20, 0), true, "one zero record"},
      {Records(1, 257), false, "first record a key up (257)"},
      {Records(1, 512), true, "first record a move (512)"},
      {Records(1, 513), false, "first record a left press (513)"},
      {Records(1, 514), false, "first record a left release (514)"},
      {Records(1, 516), false, "first record a right press (516)"},
      {Records(1, 517), false, "first record a right release (517)"},
      {Records(1, 768), true, "first record 768: the low byte is 0"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsRecording(c.bytes.data(), static_cast<std::uint32_t>(c.bytes.size())), c.valid) << c.what;
}

TEST(RecordingLength, CountsUpToTheFirstEndMarkerBehindRecordZero) {
  struct Case {
    std::vector<std::uint32_t> messages;
    std::uint32_t capacity;
    std::uint32_t count;
    const char* what;
  } cases[] = {
      {{}, 0, 0, "no records"},
      {{0}, 1, 1, "a zero record 0 is a record, not the end marker"},
      {{0, 256, 257, 0}, 4, 3, "a file that starts with a zero record"},
      {{256, 257, 0, 256}, 4, 2, "records after the end marker do not count"},
      {{256, 257, 512}, 3, 3, "no end marker: up to the capacity"},
      {{256, 257, 512, 0}, 4, 3, "the end marker last"},
      {{256, 257, 512, 0}, 2, 2, "capacity before the end marker"},
      {{512, 0, 0, 0, 0}, 5, 1, "zero records behind"},
  };
  for (const Case& c : cases) {
    std::vector<InputEvent> records;
    for (std::uint32_t m : c.messages) records.push_back({m, 1, 2, 3, 4});
    EXPECT_EQ(RecordingLength(records.data(), c.capacity), c.count) << c.what;
  }
}

TEST(FormatMarkerValue, FiveDigitsWithLeadingZerosLikePrintf) {
  struct Case {
    std::int32_t value;
    const char* text;
  } cases[] = {
      {0, "00000"},       {1, "00001"},         {3, "00003"},         {42, "00042"},
      {12345, "12345"},   {99999, "99999"},     {123456, "123456"},   {-3, "-0003"},
      {-1234, "-1234"},   {-12345, "-12345"},   {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"},
  };
  for (const Case& c : cases) {
    char text[kMarkerTextCapacity];
    std::memset(text, 'x', sizeof text);
    FormatMarkerValue(c.value, text);
    EXPECT_EQ(std::string(text), c.text) << "value " << c.value;
  }
}

TEST(PatchMarker, WritesTheValueOverTheFirstRunOfFiveMarkers) {
  struct Case {
    std::string image;
    std::uint32_t n;  // bytes searched
    char marker;
    std::int32_t value;
    int found;
    std::string after;
    const char* what;
  } cases[] = {
      {"MZ..@@@@@..$$$$$..", 18, '@', 3, 1, "MZ..00003..$$$$$..", "repeat count 3"},
      {"MZ..@@@@@..$$$$$..", 18, '$', 1, 1, "MZ..@@@@@..00001..", "speed 1"},
      {"MZ..@@@@@..$$$$$..", 18, '$', 0, 1, "MZ..@@@@@..00000..", "speed 0"},
      {"@@@@@", 5, '@', 123456, 1, "12345", "only the first five characters of 123456"},
      {"x@@@@@@y", 8, '@', 7, 1, "x00007@y", "a run of six: the first five"},
      {"@@@@.@@@@@.@@@@@", 16, '@', 2, 1, "@@@@.00002.@@@@@", "four are no marker; the first marker only"},
      {"abc@@@@@", 8, '@', 9, 1, "abc00009", "a marker at the very end"},
      {"abc@@@@@", 7, '@', 9, 0, "abc@@@@@", "a marker cut by the end of the bytes searched"},
      {"@@@@ @@@@", 9, '@', 9, 0, "@@@@ @@@@", "no run of five"},
      {"$$$$$", 5, '@', 9, 0, "$$$$$", "the other marker"},
      {"", 0, '@', 9, 0, "", "no bytes"},
      {"..@@@@@", 7, '@', -3, 1, "..-0003", "a negative count"},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> image = Bytes(c.image);
    image.push_back(0);  // never part of the bytes searched
    EXPECT_EQ(PatchMarker(image.data(), c.n, c.marker, c.value), c.found) << c.what;
    image.pop_back();
    EXPECT_EQ(Text(image), c.after) << c.what;
  }
}

TEST(PatchMarker, PatchesBothMarkersOfAnImageOnce) {
  std::string image(4000, '\0');
  image.replace(1000, 5, std::string(5, '@'));
  image.replace(1006, 5, std::string(5, '$'));
  image.replace(3000, 5, std::string(5, '@'));  // a second repeat marker stays
  std::vector<std::uint8_t> bytes = Bytes(image);
  ASSERT_EQ(PatchMarker(bytes.data(), 4000, '@', 25), 1);
  ASSERT_EQ(PatchMarker(bytes.data(), 4000, '$', 1), 1);
  std::string after = Text(bytes);
  EXPECT_EQ(after.substr(1000, 11), std::string("00025") + '\0' + "00001");
  EXPECT_EQ(after.substr(3000, 5), "@@@@@") << "the second repeat marker";
  EXPECT_EQ(after.substr(0, 1000), image.substr(0, 1000)) << "bytes before the markers";
  EXPECT_EQ(after.substr(1011), image.substr(1011)) << "bytes after the markers";
}
