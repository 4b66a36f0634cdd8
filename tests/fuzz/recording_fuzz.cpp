// Feeds arbitrary bytes to what reads recording files and program images:
// the record count up to the end marker, a window note (whatever it reads,
// written again, gives the same records), the marker patch and where a
// signed file's records end; and, as a text, to the file name rules that take names the user or
// the command line gives.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/certificate_table.h"
#include "core/file_name.h"
#include "core/text.h"
#include "core/window_note.h"
#include "files/file_name_rules.h"
#include "files/recording_rules.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// The first run of five marker bytes in the n bytes, or n when there is none.
std::size_t FirstRun(const std::vector<std::uint8_t>& bytes, std::size_t n, std::uint8_t marker) {
  for (std::size_t i = 0; i + 5 <= n; ++i)
    if (std::memcmp(&bytes[i], std::string(5, static_cast<char>(marker)).data(), 5) == 0) return i;
  return n;
}

void CheckRecording(const std::uint8_t* data, std::size_t size) {
  std::vector<InputEvent> records(size / sizeof(InputEvent));
  if (!records.empty()) std::memcpy(records.data(), data, records.size() * sizeof(InputEvent));
  std::uint32_t capacity = static_cast<std::uint32_t>(records.size());
  std::uint32_t count = RunLength(records.data(), capacity);
  Require(count <= capacity && (capacity == 0 || count >= 1));
  for (std::uint32_t i = 1; i < count; ++i) Require(records[i].message != 0);
  Require(count == capacity || records[count].message == 0);
  WindowNote note;
  std::vector<InputEvent> written(kNoteMaxRecords);
  std::uint32_t n = ReadNote(records.data(), capacity, note);  // reads past the records are caught
  Require(n == 0 || (WriteNote(note, records[0].time, written.data(), n) == n &&
                     std::memcmp(written.data(), records.data(), n * sizeof(InputEvent)) == 0));
}

void CheckPatch(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return;
  // The first bytes choose the marker, the value and how many bytes count.
  char marker = data[0] & 1 ? '@' : '$';
  std::int32_t value;
  std::memcpy(&value, data + 1, 4);
  std::vector<std::uint8_t> image(data + 5, data + size);
  std::size_t n = image.empty() ? 0 : data[0] % (image.size() + 1);
  std::vector<std::uint8_t> before = image;
  std::size_t at = FirstRun(before, n, static_cast<std::uint8_t>(marker));
  int found = PatchMarker(image.data(), static_cast<std::uint32_t>(n), marker, value);
  Require(found == (at < n));
  char text[kMarkerTextCapacity];
  FormatMarkerValue(value, text);
  Require(std::strlen(text) >= 5);
  for (std::size_t i = 0; i < image.size(); ++i) {
    bool patched = found && i >= at && i < at + 5;
    Require(image[i] == (patched ? static_cast<std::uint8_t>(text[i - at]) : before[i]));
  }
}

void CheckSigned(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> header(data, data + size);  // exactly as long: a read past it is caught
  std::uint32_t n = static_cast<std::uint32_t>(size), at = CertificateEntryAt(header.data(), n);
  std::uint32_t end = RecordsEnd(header.data(), n, 40000, 32768);
  Require((at == 0 || at + 8 <= n) && end <= 40000 && (end == 40000 || end >= 32768));
}

void CheckNames(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  const char* name = text.c_str();  // up to the first zero byte, as names are
  std::size_t length = std::strlen(name);

  const char* part = FileNamePart(name);
  Require(part >= name && part <= name + length);
  Require(part == name || part[-1] == '\\' || part[-1] == '/');

  char path[kNameCapacity + 1];
  path[kNameCapacity] = 'G';
  int whole = UnquotePath(path, kNameCapacity, name);
  Require(path[kNameCapacity] == 'G' && std::strlen(path) < kNameCapacity);
  Require(std::strchr(path, '"') == nullptr);
  Require(whole == (length - std::count(name, name + length, '"') < kNameCapacity));

  char shown[33];
  shown[32] = 'G';
  shown[0] = 0;
  AppendWhole(shown, 30, name);
  Require(shown[32] == 'G' && std::strlen(shown) <= 29);
  Require(std::strncmp(shown, name, std::strlen(shown)) == 0);

  char asked[kAskedCapacity + 1];
  asked[kAskedCapacity] = 'G';
  CopyBounded(asked, kAskedCapacity, name);
  const std::string typed = asked;
  int named = NameToWrite(asked, kRecordingEnding);
  Require(asked[kAskedCapacity] == 'G');
  Require(named == kNameRefused || (std::strlen(asked) < kNameCapacity && EndsWithNoCase(asked, kRecordingEnding) &&
                                    !NamesDevice(asked) && (named == kNameChanged) == (typed != asked)));
  CutEnding(path, kRecordingEnding);
  Require(std::strlen(path) < kNameCapacity);

  char result[kNameCapacity + 1];
  result[kNameCapacity] = 'G';
  std::uint32_t bytes = size >= 4 ? static_cast<std::uint32_t>(data[0]) << 24 | data[1] << 16 | data[2] << 8 | data[3] : 0;
  ComposeCompiled(result, name, bytes);
  Require(result[kNameCapacity] == 'G' && std::strlen(result) < kNameCapacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckRecording(data, size);
  CheckPatch(data, size);
  CheckSigned(data, size);
  CheckNames(data, size);
  return 0;
}
