#include "kestrova-rec/rec_file.h"

#include <cstring>

#include "core/image_fields.h"
#include "core/text_number.h"
#include "files/recording_rules.h"
#include "kestrova-rec/rec_text.h"

namespace {

// The fields are found from the stub-size text behind them, since in a copy
// the markers have been written over.
constexpr std::size_t kFieldBytes = sizeof ImageFields::repeat_marker;
static_assert(offsetof(ImageFields, stub_size_text) == 2 * kFieldBytes, "the fields, then the size text");

bool FindFields(const Bytes& file, RecSource& source) {
  std::string size_text = std::to_string(kStubSize);
  size_text.insert(0, size_text.size() < 6 ? 6 - size_text.size() : 0, '0');
  std::size_t length = size_text.size(), found = 0, count = 0;
  for (std::size_t i = 2 * kFieldBytes; i + length <= kStubSize; ++i)
    if (std::memcmp(&file[i], size_text.data(), length) == 0) found = i, ++count;
  if (count != 1 || file[found - 1] != 0 || file[found - 1 - kFieldBytes] != 0) return false;
  source.repeat_field.assign(reinterpret_cast<const char*>(&file[found - 2 * kFieldBytes]), kFieldBytes - 1);
  source.speed_field.assign(reinterpret_cast<const char*>(&file[found - kFieldBytes]), kFieldBytes - 1);
  return true;
}

// Occurrences of the five-character marker run, overlapping ones counted.
std::size_t MarkerCount(const Bytes& image, char marker) {
  std::size_t count = 0, run = 0;
  for (std::uint8_t byte : image) {
    run = byte == static_cast<std::uint8_t>(marker) ? run + 1 : 0;
    count += run >= 5;
  }
  return count;
}

std::string Printable(const std::string& field) {
  std::string shown = field;
  for (char& c : shown)
    if (c < 0x20 || c > 0x7E) c = '?';
  return "\"" + shown + "\"";
}

std::string Count(std::size_t n, const char* one, const char* more) {
  return std::to_string(n) + (n == 1 ? one : more);
}

std::string Seconds(std::uint64_t ms) {
  std::string fraction = std::to_string(1000 + ms % 1000);
  return std::to_string(ms / 1000) + "." + fraction.substr(1) + " s";
}

}  // namespace

RecSource ReadSource(const Bytes& file) {
  RecSource source{};
  source.copy = file.size() >= 2 && file[0] == 'M' && file[1] == 'Z';
  source.offset = source.copy ? kStubSize : 0;
  source.record_bytes = file.size() > source.offset ? file.size() - source.offset : 0;
  source.fields_found = source.copy && file.size() >= kStubSize && FindFields(file, source);
  return source;
}

std::string LoadProblem(const std::uint8_t* bytes, std::size_t n) {
  if (n > 0xFFFFFFFFu) return "the file is larger than the program can read";
  if (IsRecording(bytes, static_cast<std::uint32_t>(n))) return {};
  if (n == 0) return "there are no record bytes";
  if (n % sizeof(InputEvent)) return std::to_string(n) + " bytes are not a whole number of 20-byte records";
  std::uint32_t message = RecordsOf(bytes, sizeof(InputEvent))[0].message;
  return "the first record's message is " + std::to_string(message) +
         "; the program loads a recording only when its first record is a key-down, a move or another "
         "message whose low byte is 0";
}

std::string CheckFile(const Bytes& file) {
  RecSource source = ReadSource(file);
  if (source.copy && !source.record_bytes)
    return "a program image with nothing appended: not a self-playing copy";
  std::string problem = LoadProblem(file.data() + source.offset, source.record_bytes);
  return problem.empty() || !source.copy ? problem : "its records: " + problem;
}

std::string ShowFile(const Bytes& file) {
  RecSource source = ReadSource(file);
  const std::uint8_t* bytes = file.data() + source.offset;
  std::vector<InputEvent> records = RecordsOf(bytes, source.record_bytes);
  RecordingSummary s = Summarize(records);
  std::string out;
  if (source.copy) {
    out += "# self-playing copy: a " + std::to_string(kStubSize) + "-byte program image, then the records\n";
    if (source.fields_found) {
      std::int32_t repeat = TextToInt(source.repeat_field.c_str());
      bool fast = static_cast<std::uint8_t>(TextToInt(source.speed_field.c_str())) == 1;
      out += "# repeat field " + Printable(source.repeat_field) + ": " + std::to_string(repeat) +
             (repeat == 1 ? " run" : " runs") + "; speed field " + Printable(source.speed_field) +
             (fast ? ": fast\n" : ": normal\n");
    } else {
      out += "# its repeat and speed fields were not found\n";
    }
  }
  out += "# " + Count(s.records, " record, ", " records, ") + Seconds(s.duration_ms) + ", " +
         Count(s.key_presses, " key press, ", " key presses, ") + Count(s.clicks, " click\n", " clicks\n");
  if (s.played < s.records)
    out += "# playback ends at the end marker, record " + std::to_string(s.played + 1) + " of " +
           std::to_string(s.records) + "; what follows it is never played\n";
  std::string problem = CheckFile(file);
  if (!problem.empty()) out += "# the program would not load this: " + problem + "\n";
  if (std::size_t rest = source.record_bytes % sizeof(InputEvent))
    out += "# " + std::to_string(rest) + " bytes after the last whole record are not shown\n";
  AppendRecordLines(out, records);
  return out;
}

std::string CompileCopy(const Bytes& recording, const Bytes& stub, std::int32_t repeat_count, bool fast, Bytes& out) {
  if (ReadSource(recording).copy) return "a program image, not a recording: take its records out with extract first";
  std::string problem = LoadProblem(recording.data(), recording.size());
  if (!problem.empty()) return "not a recording the program loads: " + problem;
  std::vector<InputEvent> records = RecordsOf(recording.data(), recording.size());
  // The program writes the recording's length: up to the end marker behind
  // record 0, never the marker.
  std::uint32_t count = RecordingLength(records.data(), static_cast<std::uint32_t>(records.size()));
  if (stub.size() != kStubSize)
    return "the stub is " + std::to_string(stub.size()) + " bytes; a program image is " + std::to_string(kStubSize);
  for (char marker : {'@', '$'}) {
    std::size_t n = MarkerCount(stub, marker);
    if (n != 1)
      return "the stub holds \"" + std::string(5, marker) + "\" " + std::to_string(n) +
             " times; a program image holds it exactly once";
  }
  out = stub;
  PatchMarker(out.data(), static_cast<std::uint32_t>(out.size()), '@', repeat_count);
  PatchMarker(out.data(), static_cast<std::uint32_t>(out.size()), '$', fast ? 1 : 0);
  out.insert(out.end(), recording.begin(), recording.begin() + count * sizeof(InputEvent));
  return {};
}

std::string ExtractRecords(const Bytes& file, Bytes& out) {
  RecSource source = ReadSource(file);
  if (!source.copy) return "not a self-playing copy: it does not start as a program image";
  std::string problem = CheckFile(file);
  if (!problem.empty()) return problem;
  out.assign(file.begin() + static_cast<std::ptrdiff_t>(source.offset), file.end());
  return {};
}
