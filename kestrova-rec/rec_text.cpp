#include "kestrova-rec/rec_text.h"

#include <charconv>
#include <cstring>
#include <unordered_map>

#include "files/recording_rules.h"

namespace {

// The messages the program records and plays; every other value is shown
// and packed as its raw fields.
enum Message : std::uint32_t {
  kKeyDown = 256,
  kKeyUp = 257,
  kMove = 512,
  kLeftDown = 513,
  kLeftUp = 514,
  kRightDown = 516,
  kRightUp = 517,
};

struct EventKind {
  std::uint32_t message;
  const char* word;
};
constexpr EventKind kKinds[] = {{kKeyDown, "key-down"},   {kKeyUp, "key-up"},       {kMove, "move"},
                                {kLeftDown, "left-down"}, {kLeftUp, "left-up"},     {kRightDown, "right-down"},
                                {kRightUp, "right-up"}};

bool IsKey(std::uint32_t message) { return message == kKeyDown || message == kKeyUp; }

const char* WordFor(std::uint32_t message) {
  for (const EventKind& kind : kKinds)
    if (kind.message == message) return kind.word;
  return nullptr;
}

// Keys with a name; every other code is written as its number.
struct NamedKey {
  std::uint8_t vk;
  const char* name;
};
constexpr NamedKey kNamedKeys[] = {
    {0x08, "Backspace"},  {0x09, "Tab"},        {0x0D, "Enter"},       {0x10, "Shift"},      {0x11, "Ctrl"},
    {0x12, "Alt"},        {0x13, "Pause"},      {0x14, "CapsLock"},    {0x1B, "Esc"},        {0x20, "Space"},
    {0x21, "PageUp"},     {0x22, "PageDown"},   {0x23, "End"},         {0x24, "Home"},       {0x25, "Left"},
    {0x26, "Up"},         {0x27, "Right"},      {0x28, "Down"},        {0x2C, "PrintScreen"}, {0x2D, "Insert"},
    {0x2E, "Delete"},     {0x5B, "LeftWin"},    {0x5C, "RightWin"},    {0x5D, "Apps"},       {0x6A, "Num*"},
    {0x6B, "Num+"},       {0x6C, "NumSeparator"}, {0x6D, "Num-"},      {0x6E, "Num."},       {0x6F, "Num/"},
    {0x90, "NumLock"},    {0x91, "ScrollLock"}, {0xA0, "LeftShift"},   {0xA1, "RightShift"}, {0xA2, "LeftCtrl"},
    {0xA3, "RightCtrl"},  {0xA4, "LeftAlt"},    {0xA5, "RightAlt"},
};

// Names of all 256 codes, made once: the letters, digits, F1 to F24 and the
// keypad digits follow their codes.
struct KeyNames {
  std::string name[256];
  std::unordered_map<std::string, std::uint8_t> code;  // by lower-case name
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

const KeyNames& Names() {
  static const KeyNames names = [] {
    KeyNames n;
    for (int c = '0'; c <= '9'; ++c) n.name[c] = std::string(1, static_cast<char>(c));
    for (int c = 'A'; c <= 'Z'; ++c) n.name[c] = std::string(1, static_cast<char>(c));
    for (int k = 0; k < 24; ++k) n.name[0x70 + k] = "F" + std::to_string(k + 1);
    for (int k = 0; k < 10; ++k) n.name[0x60 + k] = "Num" + std::to_string(k);
    for (const NamedKey& key : kNamedKeys) n.name[key.vk] = key.name;
    for (int vk = 0; vk < 256; ++vk) {
      if (n.name[vk].empty()) {
        char hex[5] = {'0', 'x', "0123456789abcdef"[vk >> 4], "0123456789abcdef"[vk & 15], 0};
        n.name[vk] = hex;
      } else {
        n.code[Lower(n.name[vk])] = static_cast<std::uint8_t>(vk);
      }
    }
    return n;
  }();
  return names;
}

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

// The gap before the record: the time a playing step waits, the unsigned
// difference of the two times, also when the clock wrapped.
// What playback makes of the record, for the comment: nothing for a
// message it does not know, and the end of the run at its end marker.
enum Fate { kPlayed, kPassedOver, kEndsRun, kNeverReached };

void AppendLine(std::string& out, std::uint32_t gap, const InputEvent& e, Fate fate) {
  char digits[16];
  char* end = std::to_chars(digits, digits + sizeof digits, gap).ptr;
  if (end - digits < 6) out.append(6 - (end - digits), ' ');
  out.append(digits, end);
  out += "  ";
  std::size_t event = out.size();
  const char* word = WordFor(e.message);
  bool key = IsKey(e.message);
  const char* note = nullptr;
  if (key) {
    out += word;
    out += ' ';
    out += Names().name[e.param_l & 0xFF];
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
  // The fields a person rarely edits, after the event, in a column.
  bool code = key && e.param_l != e.param_h * 256 + (e.param_l & 0xFF);
  if (key || code || e.window || note) PadTo(out, event, 22);
  if (key) {
    out += "  scan ";
    AppendNumber(out, e.param_h);
  }
  if (code) {
    out += "  code ";
    AppendNumber(out, e.param_l >> 8);
  }
  if (e.window) {
    out += "  window ";
    AppendHex8(out, e.window);
  }
  if (note) {
    out += "  ";
    out += note;
  }
  out += '\n';
}

// --- reading the text ------------------------------------------------------

bool ParseUnsigned(std::string_view token, std::uint32_t& value, int base = 10) {
  if (token.empty()) return false;
  auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value, base);
  return ec == std::errc() && end == token.data() + token.size();
}

bool ParseSigned(std::string_view token, std::int32_t& value) {
  if (token.empty()) return false;
  auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  return ec == std::errc() && end == token.data() + token.size();
}

// A number written in decimal or, after "0x", in hexadecimal.
bool ParseNumber(std::string_view token, std::uint32_t& value) {
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X'))
    return ParseUnsigned(token.substr(2), value, 16);
  return ParseUnsigned(token, value);
}

bool ParseKey(std::string_view token, std::uint32_t& vk) {
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X'))
    return ParseUnsigned(token.substr(2), vk, 16) && vk <= 0xFF;
  const auto& code = Names().code;
  auto found = code.find(Lower(token));
  if (found == code.end()) return false;
  vk = found->second;
  return true;
}

std::string Quoted(std::string_view token) { return "\"" + std::string(token) + "\""; }

constexpr std::size_t kMaxTokens = 12;

struct Line {
  std::string_view token[kMaxTokens];
  std::size_t count = 0;
  bool overlong = false;
};

Line Split(std::string_view text) {
  Line line;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i == start) break;
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
    for (const EventKind& kind : kKinds)
      if (word == kind.word) e.message = kind.message;
    if (!e.message)
      return "unknown event " + Quoted(line.token[1]) +
             " (key-down, key-up, move, left-down, left-up, right-down, right-up, end or message)";
    if (IsKey(e.message)) {
      args = 1;
      if (line.count < 3) return word + " needs a key";
      if (!ParseKey(line.token[2], e.param_l))
        return "unknown key " + Quoted(line.token[2]) + ": a key name or its code, 0x00 to 0xff";
    } else {
      args = 2;
      std::int32_t x = 0, y = 0;
      if (line.count < 4) return word + " needs a position: " + word + " X Y";
      if (!ParseSigned(line.token[2], x) || !ParseSigned(line.token[3], y))
        return "a position is two numbers from -2147483648 to 2147483647";
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

std::vector<InputEvent> RecordsOf(const std::uint8_t* bytes, std::size_t n) {
  std::vector<InputEvent> records(n / sizeof(InputEvent));
  if (!records.empty()) std::memcpy(records.data(), bytes, records.size() * sizeof(InputEvent));
  return records;
}

std::size_t PlayedRecords(const std::vector<InputEvent>& records) {
  // A run plays its first record whatever it holds, and ends at the next end
  // marker after it: the recording's length as the program loads it.
  return RecordingLength(records.data(), static_cast<std::uint32_t>(records.size()));
}

RecordingSummary Summarize(const std::vector<InputEvent>& records) {
  RecordingSummary s{};
  s.records = records.size();
  s.played = PlayedRecords(records);
  for (std::size_t i = 0; i < s.played; ++i) {
    if (i) s.duration_ms += records[i].time - records[i - 1].time;
    s.key_presses += records[i].message == kKeyDown;
    s.clicks += records[i].message == kLeftDown || records[i].message == kRightDown;
  }
  return s;
}

std::string KeyName(std::uint8_t vk) { return Names().name[vk]; }

void AppendRecordLines(std::string& out, const std::vector<InputEvent>& records) {
  out.reserve(out.size() + records.size() * 56 + 32);
  std::uint32_t previous = records.empty() ? 0 : records[0].time;
  out += "start ";
  AppendNumber(out, previous);
  out += '\n';
  std::size_t played = PlayedRecords(records);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const InputEvent& e = records[i];
    Fate fate = i > played ? kNeverReached : i == played ? kEndsRun : WordFor(e.message) ? kPlayed : kPassedOver;
    AppendLine(out, e.time - previous, e, fate);
    previous = e.time;
  }
}

bool PackText(std::string_view text, std::vector<std::uint8_t>& out, PackError& error) {
  out.clear();
  std::uint32_t time = 0;
  bool started = false;
  std::size_t first_record_line = 0;
  std::size_t number = 0;
  auto fail = [&](std::string what) {
    error = {number, std::move(what)};
    return false;
  };
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(at, end - at);
    at = end + 1;
    ++number;
    raw = raw.substr(0, raw.find('#'));
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    Line line = Split(raw);
    if (line.overlong) return fail("too many fields");
    if (!line.count) continue;
    if (Lower(line.token[0]) == "start") {
      if (first_record_line) return fail("start comes before the first record");
      if (started) return fail("a second start line");
      if (line.count != 2 || !ParseUnsigned(line.token[1], time))
        return fail("start needs the first record's time: start 0 to start 4294967295");
      started = true;
      continue;
    }
    std::uint32_t gap = 0;
    if (!ParseUnsigned(line.token[0], gap))
      return fail("a record line starts with its gap in milliseconds (0 to 4294967295), not " +
                  Quoted(line.token[0]));
    if (line.count < 2) return fail("a gap without an event");
    InputEvent e;
    std::string problem = ReadEvent(line, e);
    if (!problem.empty()) return fail(problem);
    if (!first_record_line) first_record_line = number;
    time += gap;
    e.time = time;
    std::size_t size = out.size();
    out.resize(size + sizeof e);
    std::memcpy(out.data() + size, &e, sizeof e);
  }
  if (!first_record_line) {
    number = number ? number : 1;
    return fail("no records");
  }
  if (out.size() > 0xFFFFFFFFu - sizeof(InputEvent)) return fail("more records than a file can hold");
  if (!IsRecording(out.data(), static_cast<std::uint32_t>(out.size()))) {
    number = first_record_line;
    return fail("the program loads a recording only when its first record is a key-down, a move or "
                "another message whose low byte is 0");
  }
  return true;
}
