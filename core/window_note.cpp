#include "core/window_note.h"

#include "core/mouse_records.h"
#include "core/text.h"

namespace {

constexpr std::uint32_t kLongest = kNoteTextCapacity - 1;

std::uint32_t KeptLength(const char* text) {
  std::uint32_t n = TextLength(text);
  return n < kLongest ? n : kLongest;
}

// Text byte i (0 to 11) of a text record: param_l, param_h and window, least
// significant byte first, is their order in memory on the little-endian
// machines the program and the tool run on (their files are that memory).
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "records lie in memory as in their files");
char& TextByte(const InputEvent& record, std::uint32_t i) {
  return const_cast<char*>(reinterpret_cast<const char*>(&record.param_l))[i + i / 8 * 4];
}

}  // namespace

void KeepNoteText(char* text) {
  std::uint32_t i = 0;
  while (text[i]) {
    auto c = static_cast<unsigned char>(text[i]);
    std::uint32_t step = c >= 0x81 && c <= 0xFE ? 2 : 1;
    if (i + step > kLongest || (step == 2 && !text[i + 1])) break;
    i += step;
  }
  text[i] = 0;
}

std::uint32_t NoteLength(const WindowNote& note) {
  return 1 + (KeptLength(note.window_class) + KeptLength(note.title) + 2 + kNoteTextBytesPerRecord - 1) /
                 kNoteTextBytesPerRecord;
}

std::uint32_t WriteNote(const WindowNote& note, std::uint32_t time, InputEvent* records, std::uint32_t room) {
  // The class, its zero, the title, its zero, zeros to the end of the last record.
  char bytes[2 * kNoteTextCapacity + kNoteTextBytesPerRecord] = {};
  CopyBounded(bytes, kNoteTextCapacity, note.window_class);
  char* title = bytes + TextLength(bytes) + 1;
  CopyBounded(title, kNoteTextCapacity, note.title);
  std::uint32_t n = 1 + static_cast<std::uint32_t>(title - bytes + TextLength(title) + kNoteTextBytesPerRecord) /
                            kNoteTextBytesPerRecord;
  if (n > room) return 0;
  records[0] = {kNoteMessage, static_cast<std::uint32_t>(note.left), static_cast<std::uint32_t>(note.top), time,
                (note.width & 0xFFFF) | (note.height & 0xFFFF) << 16};
  for (std::uint32_t r = 1, k = 0; r < n; ++r) {
    records[r] = {kNoteTextMessage, 0, 0, time, 0};
    for (std::uint32_t i = 0; i < kNoteTextBytesPerRecord; ++i) TextByte(records[r], i) = bytes[k++];
  }
  return n;
}

std::uint32_t ReadNote(const InputEvent* records, std::uint32_t count, WindowNote& note) {
  if (count < 2 || records[0].message != kNoteMessage) return 0;
  const InputEvent& head = records[0];
  note.left = static_cast<std::int32_t>(head.param_l);
  note.top = static_cast<std::int32_t>(head.param_h);
  note.width = head.window & 0xFFFF;
  note.height = head.window >> 16;
  // Byte by byte: the class up to its zero, the title up to its zero, then
  // only zeros to the end of that text record.
  char* text = note.window_class;
  std::uint32_t n = 1, length = 0, zeros = 0;
  for (; zeros < 2; ++n) {
    if (n == count || records[n].message != kNoteTextMessage || records[n].time != head.time) return 0;
    for (std::uint32_t i = 0; i < kNoteTextBytesPerRecord; ++i) {
      char byte = TextByte(records[n], i);
      if (zeros == 2) {
        if (byte) return 0;
      } else if (length == kNoteTextCapacity) {
        return 0;  // longer than a note keeps
      } else if (!(text[length++] = byte)) {
        ++zeros;
        text = note.title;
        length = 0;
      }
    }
  }
  // No text record more, whatever its time.
  if (n < count && records[n].message == kNoteTextMessage) return 0;
  if (!note.window_class[0] && (note.title[0] || head.param_l || head.param_h || head.window)) return 0;
  return n;
}

int NoteMatch(const WindowNote& note, const char* window_class, const char* title) {
  if (!TextEqual(note.window_class, window_class)) return 0;
  return TextEqual(note.title, title) ? 2 : 1;
}

NoteWindow NoteWindowFor(const InputEvent& record) {
  std::uint32_t m = record.message;
  // A key going down: the middle and side buttons are keys too.
  if (m == 256) return ButtonOfKey(record.param_l & 0xFF, true).flags ? NOTE_UNDER_CURSOR : NOTE_FOREGROUND;
  return m == 513 || m == 516 || IsWheelTurn(m) ? NOTE_UNDER_CURSOR : NOTE_NONE;
}
