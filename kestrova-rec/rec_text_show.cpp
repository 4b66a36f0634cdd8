#include "kestrova-rec/rec_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "files/recording_rules.h"
#include "kestrova-rec/rec_notes.h"
#include "kestrova-rec/rec_text_words.h"

namespace {

void AppendNumber(std::string& out, std::uint64_t value) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void AppendSigned(std::string& out, std::int32_t value) {
  char digits[16];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void AppendHex8(std::string& out, std::uint32_t value) {
  char hex[10] = {'0', 'x'};
  for (int i = 0; i < 8; ++i) hex[2 + i] = "0123456789abcdef"[(value >> (28 - 4 * i)) & 15];
  out.append(hex, 10);
}

void PadTo(std::string& out, std::size_t from, std::size_t width) {
  if (out.size() - from < width) out.append(width - (out.size() - from), ' ');
}

// What playback makes of the record, for the comment: nothing for a
// message it does not know, and the end of the run at its end marker.
enum Fate { kPlayed, kPassedOver, kEndsRun, kNeverReached };

// The gap before the record: the difference of the two times, negative when
// the clock stepped back, and a clock that wrapped still counts forward.
std::int32_t GapBefore(std::uint32_t time, std::uint32_t previous) {
  return static_cast<std::int32_t>(time - previous);
}

std::size_t DigitsOf(std::int32_t gap) {
  char digits[16];
  return static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, gap).ptr - digits);
}

// The gap, right-aligned in its column, and the blanks before the event.
void AppendGap(std::string& out, std::int32_t gap, std::size_t width) {
  char digits[16];
  char* end = std::to_chars(digits, digits + sizeof digits, gap).ptr;
  if (static_cast<std::size_t>(end - digits) < width) out.append(width - static_cast<std::size_t>(end - digits), ' ');
  out.append(digits, end);
  out += "  ";
}

// All the records of a whole note, as one line.
void AppendNoteLine(std::string& out, std::int32_t gap, std::size_t width, const WindowNote& note) {
  AppendGap(out, gap, width);
  out += NoteWords(note);
  out += gap < 0 ? "  # the clock stepped back\n" : "\n";
}

void AppendLine(std::string& out, std::int32_t gap, std::size_t width, const InputEvent& e, Fate fate) {
  AppendGap(out, gap, width);
  std::size_t event = out.size();
  const char* word = WordFor(e.message);
  bool key = IsKey(e.message);
  const char* note = nullptr;
  if (key) {
    out += word;
    out += ' ';
    out += KeyName(static_cast<std::uint8_t>(e.param_l & 0xFF));
  } else if (IsWheel(e.message)) {
    out += word;
    out += ' ';
    AppendSigned(out, static_cast<std::int32_t>(e.window));
    out += " at ";
    AppendSigned(out, static_cast<std::int32_t>(e.param_l));
    out += ' ';
    AppendSigned(out, static_cast<std::int32_t>(e.param_h));
  } else if (word) {
    out += word;
    out += ' ';
    AppendSigned(out, static_cast<std::int32_t>(e.param_l));
    out += ' ';
    AppendSigned(out, static_cast<std::int32_t>(e.param_h));
  } else if (e.message == 0 && e.param_l == 0 && e.param_h == 0) {
    out += "end";
  } else {
    out += "message ";
    AppendNumber(out, e.message);
    out += ' ';
    AppendNumber(out, e.param_l);
    out += ' ';
    AppendNumber(out, e.param_h);
  }
  if (fate == kEndsRun) note = "# playback ends here";
  if (fate == kPassedOver) note = "# not played";
  if (gap < 0 && !note) note = "# the clock stepped back";
  // The fields a person rarely edits, after the event, in a column.
  bool code = key && e.param_l != e.param_h * 256 + (e.param_l & 0xFF);
  bool window = e.window && !IsWheel(e.message);  // a turn's delta is no window
  if (key || code || window || note) PadTo(out, event, 22);
  if (key) {
    out += "  scan ";
    AppendNumber(out, e.param_h);
  }
  if (code) {
    out += "  code ";
    AppendNumber(out, e.param_l >> 8);
  }
  if (window) {
    out += "  window ";
    AppendHex8(out, e.window);
  }
  if (note) {
    out += "  ";
    out += note;
  }
  out += '\n';
}

}  // namespace

std::vector<InputEvent> RecordsOf(const std::uint8_t* bytes, std::size_t n) {
  std::vector<InputEvent> records(n / sizeof(InputEvent));
  if (!records.empty()) std::memcpy(records.data(), bytes, records.size() * sizeof(InputEvent));
  return records;
}

std::size_t PlayedRecords(const std::vector<InputEvent>& records) {
  // A run plays its first record whatever it holds, and ends at the next end
  // marker after it: the recording's length as the program loads it.
  return RunLength(records.data(), static_cast<std::uint32_t>(records.size()));
}

RecordingSummary Summarize(const std::vector<InputEvent>& records) {
  RecordingSummary s{};
  s.records = records.size();
  s.played = PlayedRecords(records);
  for (std::size_t i = 0; i < s.played; ++i) {
    std::int32_t gap = i ? GapBefore(records[i].time, records[i - 1].time) : 0;
    if (gap > 0) s.duration_ms += static_cast<std::uint32_t>(gap);
    s.steps_back += gap < 0;
    s.key_presses += records[i].message == kKeyDown;
    bool button_key = records[i].message == kKeyDown && (records[i].param_l & 0xFF) >= 4 && (records[i].param_l & 0xFF) <= 6;
    s.key_presses -= button_key;
    s.clicks += records[i].message == kLeftDown || records[i].message == kRightDown || button_key;
    s.scrolls += IsWheel(records[i].message);
    WindowNote note;
    s.window_notes += NoteAt(records.data(), records.size(), i, note) != 0;
  }
  return s;
}

void AppendRecordLines(std::string& out, const std::vector<InputEvent>& records) {
  out.reserve(out.size() + records.size() * 56 + 32);
  std::uint32_t previous = records.empty() ? 0 : records[0].time;
  out += "start ";
  AppendNumber(out, previous);
  out += '\n';
  // Every gap in one column, however wide the widest.
  std::size_t width = 6;
  for (std::size_t i = 1; i < records.size(); ++i)
    width = std::max(width, DigitsOf(GapBefore(records[i].time, records[i - 1].time)));
  std::size_t played = PlayedRecords(records);
  WindowNote note;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const InputEvent& e = records[i];
    if (std::size_t n = NoteAt(records.data(), records.size(), i, note)) {
      AppendNoteLine(out, GapBefore(e.time, previous), width, note);
      previous = e.time;  // the time of every record of the note
      i += n - 1;
      continue;
    }
    Fate fate = i > played ? kNeverReached : i == played ? kEndsRun : WordFor(e.message) ? kPlayed : kPassedOver;
    AppendLine(out, GapBefore(e.time, previous), width, e, fate);
    previous = e.time;
  }
}

std::string Escaped(std::string_view text) {
  std::string shown;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\' && c != '"') {
      shown += c;
    } else {
      shown += "\\x";
      shown += "0123456789abcdef"[byte >> 4];
      shown += "0123456789abcdef"[byte & 15];
    }
  }
  return shown;
}

