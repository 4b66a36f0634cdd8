#include "kestrova-rec/rec_text.h"

#include <charconv>
#include <cstring>

#include "files/recording_rules.h"
#include "kestrova-rec/rec_notes.h"
#include "kestrova-rec/rec_text_words.h"

namespace {

// A key by name or alias, by its code in hexadecimal, or in decimal when
// written with two digits or more: one digit is that digit's key.
bool ParseKey(std::string_view token, std::uint32_t& vk) {
  if (IsHex(token) || (token.size() > 1 && token[0] >= '0' && token[0] <= '9'))
    return ParseNumber(token, vk) && vk <= 0xFF;
  return KeyCodeFor(token, vk);
}

std::string Quoted(std::string_view token) { return "\"" + Escaped(token) + "\""; }

// What to say of a key that is not known: the name it may have meant.
std::string UnknownKey(std::string_view token) {
  if (const char* hint = KeyHint(token)) return "unknown key " + Quoted(token) + ": did you mean " + hint + "?";
  return "unknown key " + Quoted(token) + ": a key name (see --help) or its code, 0x00 to 0xff or 10 to 255";
}

constexpr std::size_t kMaxTokens = 12;

struct Line {
  std::string_view token[kMaxTokens];
  std::size_t count = 0;
  bool overlong = false;
};

// The words of a line up to its comment. A word that starts with a quote
// (a window's title or class) runs to the closing quote, blanks and '#'
// inside it; \" and \\ do not close it.
Line Split(std::string_view text) {
  Line line;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::size_t start = i;
    if (i < text.size() && text[i] == '"') {
      for (++i; i < text.size() && text[i] != '"'; ++i) i += text[i] == '\\' && i + 1 < text.size();
      i += i < text.size();
    } else {
      while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '#') ++i;
    }
    if (i == start) break;  // the end, or a comment
    if (line.count == kMaxTokens) {
      line.overlong = true;
      break;
    }
    line.token[line.count++] = text.substr(start, i - start);
  }
  return line;
}

// Reads one record line (gap already taken) into e; returns what is wrong,
// or an empty text.
std::string ReadEvent(const Line& line, InputEvent& e) {
  std::string word = Lower(line.token[1]);
  std::size_t args = 0;
  e = InputEvent{};
  if (word == "end") {
  } else if (word == "message") {
    args = 3;
    if (line.count < 5) return "message needs its number and two fields: message M L H";
    if (!ParseNumber(line.token[2], e.message) || !ParseNumber(line.token[3], e.param_l) ||
        !ParseNumber(line.token[4], e.param_h))
      return "message fields are numbers from 0 to 4294967295";
  } else {
    e.message = MessageFor(word);
    if (!e.message)
      return "unknown event " + Quoted(line.token[1]) +
             " (key-down, key-up, move, left-down, left-up, right-down, right-up, wheel, hwheel, window, end or "
             "message)";
    if (IsKey(e.message)) {
      args = 1;
      if (line.count < 3) return word + " needs a key";
      if (!ParseKey(line.token[2], e.param_l))
        return UnknownKey(line.token[2]);
    } else if (IsWheel(e.message)) {
      args = 4;
      std::int32_t delta = 0, x = 0, y = 0;
      if (line.count < 6 || Lower(line.token[3]) != "at") return word + " needs a delta and a place: " + word + " D at X Y";
      if (!ParseSigned(line.token[2], delta) || !ParseSigned(line.token[4], x) || !ParseSigned(line.token[5], y))
        return "a delta and a place are numbers from -2147483648 to 2147483647 (or 0x0 to 0xffffffff)";
      e = {e.message, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 0, static_cast<std::uint32_t>(delta)};
      if (line.count > 6) return "unexpected " + Quoted(line.token[6]) + " (a turn keeps no window)";
      return {};
    } else {
      args = 2;
      std::int32_t x = 0, y = 0;
      if (line.count < 4) return word + " needs a position: " + word + " X Y";
      if (!ParseSigned(line.token[2], x) || !ParseSigned(line.token[3], y))
        return "a position is two numbers from -2147483648 to 2147483647 (or 0x0 to 0xffffffff)";
      e.param_l = static_cast<std::uint32_t>(x);
      e.param_h = static_cast<std::uint32_t>(y);
    }
  }
  bool seen[3] = {};
  std::uint32_t value[3] = {};
  static const char* const kFields[] = {"scan", "code", "window"};
  for (std::size_t i = 2 + args; i < line.count; i += 2) {
    std::string field = Lower(line.token[i]);
    int f = 0;
    while (f < 3 && field != kFields[f]) ++f;
    if (f == 3 || (f < 2 && !IsKey(e.message)))
      return "unexpected " + Quoted(line.token[i]) + (IsKey(e.message) ? " (scan, code or window)" : " (window)");
    if (seen[f]) return std::string("a second ") + kFields[f];
    if (i + 1 == line.count) return std::string(kFields[f]) + " needs a number";
    if (!ParseNumber(line.token[i + 1], value[f]) || (f == 1 && value[f] > 0xFFFFFF))
      return std::string(kFields[f]) + " is a number from 0 to " + (f == 1 ? "16777215" : "4294967295");
    seen[f] = true;
  }
  if (IsKey(e.message)) {
    // As captured: the scan code above the key's code, and the scan code alone.
    e.param_h = value[0];
    e.param_l = (seen[1] ? value[1] : value[0]) * 256 + e.param_l;
  }
  e.window = value[2];
  return {};
}

}  // namespace

// Why the bytes are no text to pack, or an empty text.
std::string NotText(std::string_view text) {
  if (text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF')))
    return "this is UTF-16 text; save it as UTF-8 (or ASCII) and pack that";
  if (text.size() >= 2 && text[0] != 0 && text[1] == 0)
    return "this looks like UTF-16 text; save it as UTF-8 (or ASCII) and pack that";
  if (text.find('\0') != std::string_view::npos)
    return text.size() >= 2 && text[0] == 'M' && text[1] == 'Z' ? "this is a program, not text; use show"
                                                                 : "this is a binary recording, not text; use show";
  return {};
}

bool PackText(std::string_view text, std::vector<std::uint8_t>& out, PackErrors& errors) {
  out.clear();
  errors = PackErrors{};
  std::uint32_t time = 0;
  bool started = false;
  std::size_t first_record_line = 0;
  std::size_t number = 0;
  std::vector<std::size_t> lines;  // each record's
  auto fail = [&](std::string what) {
    if (errors.first.size() < kShownErrors) errors.first.push_back({number, std::move(what)});
    ++errors.count;
  };
  std::string not_text = NotText(text);
  if (!not_text.empty()) {
    fail(not_text);
    return false;
  }
  // Windows' editors may begin a UTF-8 text with a byte-order mark.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(at, end - at);
    at = end + 1;
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    Line line = Split(raw);
    if (line.overlong) {
      fail("too many fields");
      continue;
    }
    if (!line.count) continue;
    if (Lower(line.token[0]) == "start") {
      if (first_record_line) fail("start comes before the first record");
      else if (started) fail("a second start line");
      else if (line.count != 2 || !ParseNumber(line.token[1], time))
        fail("start needs the first record's time: start 0 to start 4294967295");
      started = true;
      continue;
    }
    std::int32_t gap = 0;
    if (!ParseSigned(line.token[0], gap)) {
      fail("a record line starts with its gap in milliseconds (-2147483648 to 2147483647), not " +
           Quoted(line.token[0]));
      continue;
    }
    if (line.count < 2) {
      fail("a gap without an event");
      continue;
    }
    // One record, or all the records of a window note, at the same time.
    InputEvent e[kNoteMaxRecords];
    std::size_t n = 1;
    WindowNote note;
    bool window = Lower(line.token[1]) == "window";
    std::string problem = window ? ReadNoteWords(line.token + 1, line.count - 1, note) : ReadEvent(line, e[0]);
    if (!problem.empty()) {
      fail(problem);
      continue;
    }
    if (!first_record_line) first_record_line = number;
    time += static_cast<std::uint32_t>(gap);
    e[0].time = time;
    if (window) n = WriteNote(note, time, e, kNoteMaxRecords);
    std::size_t size = out.size();
    out.resize(size + n * sizeof e[0]);
    std::memcpy(out.data() + size, e, n * sizeof e[0]);
    lines.resize(lines.size() + n, number);
    if (out.size() > 0xFFFFFFFFu - sizeof(InputEvent)) {
      fail("more records than a file can hold");
      return false;
    }
  }
  if (errors.count) return false;
  if (!first_record_line) {
    number = number ? number : 1;
    fail("no records");
    return false;
  }
  if (!IsRecording(out.data(), static_cast<std::uint32_t>(out.size()))) {
    number = first_record_line;
    fail("the program loads a recording only when its first record is a key-down, a move or "
         "another message whose low byte is 0");
    return false;
  }
  std::vector<InputEvent> records = RecordsOf(out.data(), out.size());
  std::string why;
  std::size_t torn = FirstTornNote(records.data(), records.size(), why);
  if (torn == records.size()) return true;
  number = lines[torn];
  fail(why);
  return false;
}

