#include "kestrova-rec/rec_notes.h"

namespace {

// Text byte k of the text records from texts on, as the note lays them out.
std::uint32_t TextByte(const InputEvent* texts, std::size_t k) {
  const InputEvent& r = texts[k / kNoteTextBytesPerRecord];
  std::size_t field = k % kNoteTextBytesPerRecord / 4;
  std::uint32_t word = field == 0 ? r.param_l : field == 1 ? r.param_h : r.window;
  return word >> (8 * (k % 4)) & 0xFF;
}

/*
 * Why the note whose head is records[0] of count is torn, in the order a
 * reader meets it: its text records (those after the head at its time), the
 * class and the title in them, the bytes and records behind the title. The
 * head is record number (counted from 1).
 */
std::string WhyTorn(const InputEvent* records, std::size_t count, std::size_t number) {
  std::size_t texts = 0;
  while (1 + texts < count && records[1 + texts].message == kNoteTextMessage && records[1 + texts].time == records[0].time)
    ++texts;
  bool other_time = 1 + texts < count && records[1 + texts].message == kNoteTextMessage;
  std::string later = "record " + std::to_string(number + 1 + texts) + ", a text record of it, is at another time";
  if (!texts) return other_time ? later : "no text record follows its head";
  std::string bytes;
  for (std::size_t k = 0; k < texts * kNoteTextBytesPerRecord; ++k) bytes += static_cast<char>(TextByte(records + 1, k));
  std::size_t at = 0;
  for (const char* text : {"class", "title"}) {
    std::size_t end = bytes.find('\0', at);
    if (end == bytes.npos) end = bytes.size();
    if (end - at >= kNoteTextCapacity) return std::string("its ") + text + " is longer than 127 bytes";
    if (end == bytes.size())
      return other_time ? later : std::string("its ") + text + " does not end: a text record is missing";
    at = end + 1;
  }
  std::size_t needed = (at + kNoteTextBytesPerRecord - 1) / kNoteTextBytesPerRecord * kNoteTextBytesPerRecord;
  if (bytes.find_first_not_of('\0', at) < needed) return "bytes behind the end of its title";
  if (needed < bytes.size() || other_time) return "a text record more than its class and title need";
  return "a note of no window (an empty class) with a title or a place";
}

}  // namespace

std::size_t NoteAt(const InputEvent* records, std::size_t count, std::size_t i, WindowNote& note) {
  if (i >= count || records[i].message != kNoteMessage) return 0;
  std::size_t rest = count - i;
  // ReadNote looks one record past the longest note, for a text record too many.
  std::size_t most = kNoteMaxRecords + 1;
  return ReadNote(records + i, static_cast<std::uint32_t>(rest < most ? rest : most), note);
}

std::size_t FirstTornNote(const InputEvent* records, std::size_t count, std::string& why) {
  WindowNote note;
  for (std::size_t i = 0; i < count; ++i) {
    if (std::size_t n = NoteAt(records, count, i, note)) {
      i += n - 1;
    } else if (IsNoteRecord(records[i].message)) {
      // Playback passes a torn note's records over, as any it does not know.
      why = records[i].message == kNoteTextMessage ? "a text record of a window note without the note's head before it"
                                                    : "a torn window note: " + WhyTorn(records + i, count - i, i + 1);
      why += "; playback passes it over";
      return i;
    }
  }
  return count;
}
