#include "kestrova-rec/rec_file.h"

#include <algorithm>
#include <cstring>

#include "core/certificate_table.h"
#include "core/image_fields.h"
#include "core/text_number.h"
#include "files/recording_rules.h"
#include "kestrova-rec/rec_notes.h"
#include "kestrova-rec/rec_text.h"

namespace {

// The fields are found from the stub-size text behind them, since in a copy
// the markers have been written over.
constexpr std::size_t kFieldBytes = sizeof ImageFields::repeat_marker;
static_assert(offsetof(ImageFields, stub_size_text) == 2 * kFieldBytes, "the fields, then the size text");

std::uint32_t Le32(const std::uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

bool IsField(const std::uint8_t* at) {
  return std::count(at, at + kFieldBytes - 1, 0) == 0 && at[kFieldBytes - 1] == 0;
}

std::string FieldText(const Bytes& file, std::size_t at) {
  return std::string(reinterpret_cast<const char*>(&file[at]), kFieldBytes - 1);
}

// Occurrences of the five-character marker run in the image, overlapping
// ones counted.
std::size_t MarkerCount(const Bytes& image, char marker) {
  std::size_t count = 0, run = 0;
  for (std::size_t i = 0; i < kStubSize; ++i) {
    run = image[i] == static_cast<std::uint8_t>(marker) ? run + 1 : 0;
    count += run >= 5;
  }
  return count;
}

std::string Printable(const std::string& field) { return "\"" + Escaped(field) + "\""; }

std::string Count(std::size_t n, const char* one, const char* more) {
  return std::to_string(n) + (n == 1 ? one : more);
}

std::string Seconds(std::uint64_t ms) {
  std::string fraction = std::to_string(1000 + ms % 1000);
  return std::to_string(ms / 1000) + "." + fraction.substr(1) + " s";
}

// Whether the file begins as text would: no control bytes but line ends and
// tabs (a recording's first byte is 0, so a loadable one never passes).
bool LooksLikeText(const Bytes& file) {
  std::size_t n = std::min<std::size_t>(file.size(), 256);
  return std::all_of(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n),
                     [](std::uint8_t b) { return b >= 0x20 || b == '\n' || b == '\r' || b == '\t'; });
}

// Where the records behind a program image end: where the program finds its
// own end, at the certificate table of a signed file.
std::size_t RecordsEndOf(const Bytes& file) {
  if (file.size() < kStubSize || file.size() > 0xFFFFFFFFu) return file.size();
  return RecordsEnd(file.data(), kStubSize, static_cast<std::uint32_t>(file.size()), kStubSize);
}

}  // namespace

std::size_t ProgramImageFields(const Bytes& file) {
  if (file.size() < kStubSize || file[0] != 'M' || file[1] != 'Z') return kNoFields;
  std::uint32_t header = Le32(&file[0x3C]);
  if (header > kStubSize - 4 || std::memcmp(&file[header], "PE\0\0", 4) != 0) return kNoFields;
  std::string size_text = std::to_string(kStubSize);
  size_text.insert(0, size_text.size() < 6 ? 6 - size_text.size() : 0, '0');
  std::size_t length = size_text.size(), found = 0, count = 0;
  for (std::size_t i = 2 * kFieldBytes; i + length <= kStubSize; ++i)
    if (std::memcmp(&file[i], size_text.data(), length) == 0) found = i, ++count;
  std::size_t fields = found - 2 * kFieldBytes;
  if (count != 1 || !IsField(&file[fields]) || !IsField(&file[fields + kFieldBytes])) return kNoFields;
  return fields;
}

RecSource ReadSource(const Bytes& file) {
  RecSource source{};
  std::size_t fields = ProgramImageFields(file);
  if (fields != kNoFields) {
    std::size_t end = RecordsEndOf(file);
    source.kind = end > kStubSize ? FileKind::kCopy : FileKind::kProgramImage;
    source.offset = kStubSize;
    source.record_bytes = end - kStubSize;
    source.signature_bytes = file.size() - end;
    source.repeat_field = FieldText(file, fields);
    source.speed_field = FieldText(file, fields + kFieldBytes);
  } else if ((file.size() >= 2 && file[0] == 'M' && file[1] == 'Z') ||
             (file.size() >= 4 && std::memcmp(file.data(), "\x7f" "ELF", 4) == 0)) {
    source.kind = FileKind::kOtherProgram;
  } else if (!file.empty() && file[0] != 0 && LooksLikeText(file)) {
    source.kind = FileKind::kText;
  } else {
    source.record_bytes = file.size();
  }
  return source;
}

std::string LoadProblem(const std::uint8_t* bytes, std::size_t n) {
  if (n > 0xFFFFFFFFu) return "the file is larger than the program can read";
  if (IsRecording(bytes, static_cast<std::uint32_t>(n))) {
    std::vector<InputEvent> records = RecordsOf(bytes, n);
    std::string why;
    std::size_t torn = FirstTornNote(records.data(), records.size(), why);
    return torn < records.size() ? "record " + std::to_string(torn + 1) + ": " + why : std::string();
  }
  if (n == 0) return "there are no record bytes";
  if (n % sizeof(InputEvent)) return std::to_string(n) + " bytes are not a whole number of 20-byte records";
  std::uint32_t message = RecordsOf(bytes, sizeof(InputEvent))[0].message;
  return "the first record's message is " + std::to_string(message) +
         "; the program loads a recording only when its first record is a key-down, a move or another "
         "message whose low byte is 0";
}

std::string StubProblem(const Bytes& stub) {
  std::size_t end = RecordsEndOf(stub);
  if (end != kStubSize)
    return "it is " + std::to_string(end) + " bytes" + (end < stub.size() ? " without its signature" : "") +
           "; a Kestrova program image is " + std::to_string(kStubSize);
  std::size_t fields = ProgramImageFields(stub);
  if (fields == kNoFields)
    return "not a Kestrova program image: no program image holding the stub-size text behind its two fields";
  if (FieldText(stub, fields) != "@@@@@" || FieldText(stub, fields + kFieldBytes) != "$$$$$")
    return "its fields hold " + Printable(FieldText(stub, fields)) + " and " +
           Printable(FieldText(stub, fields + kFieldBytes)) + ", not the markers: the image of a copy, not the program";
  for (char marker : {'@', '$'}) {
    std::size_t n = MarkerCount(stub, marker);
    if (n != 1)
      return "it holds \"" + std::string(5, marker) + "\" " + std::to_string(n) +
             " times; a program image holds it exactly once";
  }
  return {};
}

std::string CheckFile(const Bytes& file) {
  RecSource source = ReadSource(file);
  if (source.kind == FileKind::kOtherProgram)
    return "a program, but neither a Kestrova program image nor a self-playing copy";
  if (source.kind == FileKind::kProgramImage)
    return std::string("a Kestrova program image with nothing appended") +
           (source.signature_bytes ? " but its signature" : "") + ": not a self-playing copy";
  if (source.kind == FileKind::kText) return "a text, not a recording: pack turns the text form into a recording";
  std::string problem = LoadProblem(file.data() + source.offset, source.record_bytes);
  return problem.empty() || source.kind != FileKind::kCopy ? problem : "its records: " + problem;
}

std::string ShowFile(const Bytes& file) {
  RecSource source = ReadSource(file);
  if (source.kind != FileKind::kRecording && source.kind != FileKind::kCopy) return {};
  const std::uint8_t* bytes = file.data() + source.offset;
  std::vector<InputEvent> records = RecordsOf(bytes, source.record_bytes);
  RecordingSummary s = Summarize(records);
  std::string out;
  if (source.kind == FileKind::kCopy) {
    std::int32_t repeat = TextToInt(source.repeat_field.c_str());
    bool fast = static_cast<std::uint8_t>(TextToInt(source.speed_field.c_str())) == 1;
    out += "# self-playing copy: a " + std::to_string(kStubSize) + "-byte program image, then the records" +
           (source.signature_bytes ? ", then its signature\n" : "\n");
    out += "# repeat field " + Printable(source.repeat_field) + ": " + std::to_string(repeat) +
           (repeat == 1 ? " run" : " runs") + "; speed field " + Printable(source.speed_field) +
           (fast ? ": fast\n" : ": normal\n");
  }
  out += "# " + Count(s.records, " record, ", " records, ") + Seconds(s.duration_ms) + ", " +
         Count(s.key_presses, " key press, ", " key presses, ") + Count(s.clicks, " click, ", " clicks, ") +
         Count(s.scrolls, " scroll", " scrolls") +
         (s.window_notes ? ", " + Count(s.window_notes, " window note\n", " window notes\n") : "\n");
  if (s.steps_back) out += "# the clock steps back " + Count(s.steps_back, " time\n", " times\n");
  if (s.played < s.records)
    out += "# playback ends at the end marker, record " + std::to_string(s.played + 1) + " of " +
           std::to_string(s.records) + "; what follows it is never played\n";
  std::string problem = CheckFile(file);
  // The program loads a recording with a torn note (and passes its records
  // over): that problem tells itself.
  bool loads = IsRecording(bytes, static_cast<std::uint32_t>(std::min<std::size_t>(source.record_bytes, 0xFFFFFFFFu)));
  if (!problem.empty()) out += (loads ? "# " : "# the program would not load this: ") + problem + "\n";
  if (std::size_t rest = source.record_bytes % sizeof(InputEvent))
    out += "# " + std::to_string(rest) + " bytes after the last whole record are not shown\n";
  AppendRecordLines(out, records);
  return out;
}

std::string CompileCopy(const Bytes& recording, const Bytes& stub, std::int32_t repeat_count, bool fast, Bytes& out) {
  if (recording.size() > 0xFFFFFFFFu - kStubSize) return "the copy would be larger than the program can read";
  if (stub.size() < kStubSize) return "the stub is shorter than a program image";
  // A signature vouches for the program alone: the copy leaves it out and
  // clears the entry that names it, as the program's compile does.
  out.assign(stub.begin(), stub.begin() + kStubSize);
  if (std::uint32_t at = CertificateEntryAt(out.data(), kStubSize)) std::fill_n(&out[at], 8, 0);
  PatchMarker(out.data(), static_cast<std::uint32_t>(out.size()), '@', repeat_count);
  PatchMarker(out.data(), static_cast<std::uint32_t>(out.size()), '$', fast ? 1 : 0);
  // Every record goes in: the copy's length is its whole tail, as a
  // recording's is its whole file.
  out.insert(out.end(), recording.begin(), recording.end());
  return {};
}

std::string UnplayedNote(const Bytes& recording) {
  std::vector<InputEvent> records = RecordsOf(recording.data(), recording.size());
  std::size_t played = PlayedRecords(records);
  if (played + 1 >= records.size()) return {};  // no end marker, or nothing behind it
  return "record " + std::to_string(played + 1) + " is an end marker: the copy keeps all " +
         std::to_string(records.size()) + " records, but its playback stops there and never plays the " +
         std::to_string(records.size() - played - 1) + " after it";
}

std::string ExtractRecords(const Bytes& file, Bytes& out) {
  RecSource source = ReadSource(file);
  if (source.kind == FileKind::kRecording || source.kind == FileKind::kText)
    return "not a self-playing copy: it does not start as a program image";
  std::string problem = CheckFile(file);
  if (!problem.empty()) return problem;
  auto records = file.begin() + static_cast<std::ptrdiff_t>(source.offset);
  out.assign(records, records + static_cast<std::ptrdiff_t>(source.record_bytes));
  return {};
}
