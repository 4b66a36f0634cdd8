// Feeds arbitrary bytes to kestrova-rec both ways: as a file to show (a
// recording or a self-playing copy), whose text must pack back to the very
// record bytes whenever the program would load them; and as a text to pack,
// whose recording must come back unchanged through show and pack, and the
// same with a byte-order mark before it.
#include <cstdint>
#include <cstdlib>
#include <string>
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
  PackErrors errors;
  bool packs = PackText(ShowFile(file), packed, errors);
  Require(packs || !CheckFile(file).empty());
  // Bytes after the last whole record are the only ones the text leaves out.
  auto records = file.begin() + static_cast<std::ptrdiff_t>(source.offset);
  if (packs) Require(packed == Bytes(records, records + static_cast<std::ptrdiff_t>(source.record_bytes / 20 * 20)));
}

void PackThenShow(const std::uint8_t* data, std::size_t size) {
  Bytes packed, again;
  PackErrors errors;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  bool packs = PackText(text, packed, errors);
  Require(packs == errors.first.empty() && errors.first.size() <= kShownErrors && errors.count >= errors.first.size());
  if (!packs) return;
  Require(CheckFile(packed).empty());
  Require(PackText(ShowFile(packed), again, errors) && again == packed);
  if (text.substr(0, 3) != "\xEF\xBB\xBF")
    Require(PackText("\xEF\xBB\xBF" + std::string(text), again, errors) && again == packed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ShowThenPack(data, size);
  PackThenShow(data, size);
  return 0;
}
