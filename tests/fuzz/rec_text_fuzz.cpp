// Feeds arbitrary bytes to kestrova-rec both ways: as a file to show (a
// recording or a self-playing copy), whose text must pack back to the very
// record bytes whenever the program would load them; and as a text to pack,
// whose recording must come back unchanged through show and pack, and the
// same with a byte-order mark before it. The records of whatever loads go
// through every edit, with parameters taken from the bytes: each result
// loads with its window notes whole, keeps its order of times, or the cut
// says why there is none. And the bytes as a window's class and title: the
// note's words pack back into the very note.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "kestrova-rec/rec_edit.h"
#include "kestrova-rec/rec_file.h"
#include "kestrova-rec/rec_notes.h"
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

bool Loads(const Records& records) {
  return !records.empty() && LoadProblem(reinterpret_cast<const std::uint8_t*>(records.data()), records.size() * 20).empty();
}

void Edit(const std::uint8_t* data, std::size_t size) {
  Bytes file(data, data + size);
  RecSource source = ReadSource(file);
  if (!CheckFile(file).empty()) return;
  Records records = RecordsOf(file.data() + source.offset, source.record_bytes), edited = records, part;
  std::uint64_t knob = size > 8 ? data[size - 1] * 977u + data[size - 2] * 13u + data[size - 3] : 1000;
  Retime(edited, 100 + knob % 99901, knob & 1 ? kNoCap : knob % 5000);
  std::vector<std::uint64_t> before = ElapsedMs(records), after = ElapsedMs(edited);
  for (std::size_t i = 1; i < edited.size(); ++i)
    Require(static_cast<std::int32_t>(edited[i].time - edited[i - 1].time) >= 0 && after[i] <= before[i] * 10 + 1);
  Require(Loads(edited));
  std::string why = Cut(records, knob % 3000, knob % 3000 + data[0] * 20u, part);
  Require(why.empty() ? Loads(part) && !IsNoteRecord(part.back().message)
                      : part.empty() || why.find("no mouse record") != std::string::npos);
  Join(edited, records, static_cast<std::uint32_t>(knob));
  MovePositions(edited, {{1 + data[0] * 9, 2 + data[size / 2]}, {2 + data[1], 1 + data[0] * 13}, -data[2], data[3], {}});
  // A note of no window may come between the two.
  Require(Loads(edited) && edited.size() >= 2 * records.size() && edited.size() <= 2 * records.size() + 2);
}

void NoteWordsPackBack(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size), window_class = text.substr(0, text.find('\0'));
  std::string title = window_class.size() < size ? text.substr(window_class.size() + 1) : "";
  WindowNote note = {static_cast<std::int32_t>(size) - 99, -7, static_cast<std::uint32_t>(size & 0xFFFF), 480, {}, {}};
  if (window_class.empty()) note = {}, title.clear();  // a note of no window
  window_class.copy(note.window_class, kNoteTextCapacity - 1);
  title.substr(0, title.find('\0')).copy(note.title, kNoteTextCapacity - 1);
  InputEvent records[1 + kNoteMaxRecords] = {{512, 1, 2, 0, 0}};
  std::size_t n = 1 + WriteNote(note, 0, records + 1, kNoteMaxRecords);
  Bytes packed;
  PackErrors errors;
  Require(PackText("0 move 1 2\n0 " + NoteWords(note) + "\n", packed, errors) &&
          packed == Bytes(reinterpret_cast<std::uint8_t*>(records), reinterpret_cast<std::uint8_t*>(records + n)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ShowThenPack(data, size);
  PackThenShow(data, size);
  Edit(data, size);
  NoteWordsPackBack(data, size);
  return 0;
}
