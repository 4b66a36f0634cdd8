#include "core/window_note.h"

#include "core/text.h"

namespace {

constexpr std::uint32_t kLongest = kNoteTextCapacity - 1;

// The word of a text record that holds text byte k % 12.
std::uint32_t& TextWord(InputEvent& record, std::uint32_t k) {
  std::uint32_t word = k % kNoteTextBytesPerRecord / 4;
  return word == 0 ? record.param_l : word == 1 ? record.param_h : record.window;
}

// Text byte k of the text records that start at texts.
std::uint32_t TextByte(const InputEvent* texts, std::uint32_t k) {
  return TextWord(const_cast<InputEvent&>(texts[k / kNoteTextBytesPerRecord]), k) >> (8 * (k % 4)) & 0xFF;
}

std::uint32_t KeptLength(const char* text) {
  std::uint32_t n = TextLength(text);
  return n < kLongest ? n : kLongest;
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
  std::uint32_t n = NoteLength(note);
  if (n > room) return 0;
  records[0] = {kNoteMessage, static_cast<std::uint32_t>(note.left), static_cast<std::uint32_t>(note.top), time,
                (note.width & 0xFFFF) | (note.height & 0xFFFF) << 16};
  for (std::uint32_t i = 1; i < n; ++i) records[i] = {kNoteTextMessage, 0, 0, time, 0};
  // The class, its zero, the title: the title's zero and the rest are the
  // zeros already there.
  std::uint32_t k = 0;
  const char* const texts[] = {note.window_class, note.title};
  for (const char* text : texts) {
    for (std::uint32_t i = 0, length = KeptLength(text); i < length; ++i, ++k)
      TextWord(records[1 + k / kNoteTextBytesPerRecord], k) |= static_cast<std::uint32_t>(
          static_cast<unsigned char>(text[i])) << (8 * (k % 4));
    ++k;
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
  std::uint32_t k = 0;
  char* const texts[] = {note.window_class, note.title};
  for (char* text : texts) {
    for (std::uint32_t length = 0;; ++length, ++k) {
      std::uint32_t at = 1 + k / kNoteTextBytesPerRecord;
      if (at >= count || records[at].message != kNoteTextMessage || records[at].time != head.time) return 0;
      std::uint32_t byte = TextByte(records + 1, k);
      if (length == kLongest && byte) return 0;
      text[length] = static_cast<char>(byte);
      if (!byte) break;
    }
    ++k;
  }
  // The rest of the last text record is zero, and no text record follows.
  for (; k % kNoteTextBytesPerRecord; ++k)
    if (TextByte(records + 1, k)) return 0;
  std::uint32_t n = 1 + k / kNoteTextBytesPerRecord;
  if (n < count && records[n].message == kNoteTextMessage) return 0;
  if (!note.window_class[0] && (note.title[0] || head.param_l || head.param_h || head.window)) return 0;
  return n;
}

int NoteMatch(const WindowNote& note, const char* window_class, const char* title) {
  if (!TextEqual(note.window_class, window_class)) return 0;
  return TextEqual(note.title, title) ? 2 : 1;
}
