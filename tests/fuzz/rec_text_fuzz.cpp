// Feeds arbitrary bytes to kestrova-rec both ways: as a file to show (a
// recording or a self-playing copy), whose text must pack back to the very
// record bytes whenever the program would load them; and as a text to pack,
// whose recording must come back unchanged through show and pack.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "kestrova-rec/rec_file.h"
#include "kestrova-rec/rec_text.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void ShowThenPack(const std::uint8_t* data, std::size_t size) {
  Bytes file(data, data + size);
  RecSource source = ReadSource(file);
  Bytes packed;
  PackError error;
  bool packs = PackText(ShowFile(file), packed, error);
  Require(packs || !CheckFile(file).empty());
  // Bytes after the last whole record are the only ones the text leaves out.
  auto records = file.begin() + static_cast<std::ptrdiff_t>(source.offset);
  if (packs) Require(packed == Bytes(records, records + static_cast<std::ptrdiff_t>(source.record_bytes / 20 * 20)));
}

void PackThenShow(const std::uint8_t* data, std::size_t size) {
  Bytes packed, again;
  PackError error;
  if (!PackText(std::string_view(reinterpret_cast<const char*>(data), size), packed, error)) {
    Require(error.line >= 1);
    return;
  }
  Require(CheckFile(packed).empty());
  Require(PackText(ShowFile(packed), again, error) && again == packed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ShowThenPack(data, size);
  PackThenShow(data, size);
  return 0;
}
