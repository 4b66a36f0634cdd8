#include "kestrova-rec/rec_text.h"

#include <algorithm>
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
  kWheel = 522,   // the wheel turned: x y, the delta in the window field
  kHWheel = 526,  // the same sideways
};

struct EventKind {
  std::uint32_t message;
  const char* word;
};
constexpr EventKind kKinds[] = {{kKeyDown, "key-down"},   {kKeyUp, "key-up"},       {kMove, "move"},
                                {kLeftDown, "left-down"}, {kLeftUp, "left-up"},     {kRightDown, "right-down"},
                                {kRightUp, "right-up"},   {kWheel, "wheel"},        {kHWheel, "hwheel"}};

bool IsKey(std::uint32_t message) { return message == kKeyDown || message == kKeyUp; }
bool IsWheel(std::uint32_t message) { return message == kWheel || message == kHWheel; }

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
    {0x04, "MiddleButton"}, {0x05, "SideButton1"}, {0x06, "SideButton2"},
    {0x08, "Backspace"},  {0x09, "Tab"},        {0x0D, "Enter"},       {0x10, "Shift"},      {0x11, "Ctrl"},
    {0x12, "Alt"},        {0x13, "Pause"},      {0x14, "CapsLock"},    {0x1B, "Esc"},        {0x20, "Space"},
    {0x21, "PageUp"},     {0x22, "PageDown"},   {0x23, "End"},         {0x24, "Home"},       {0x25, "Left"},
    {0x26, "Up"},         {0x27, "Right"},      {0x28, "Down"},        {0x2C, "PrintScreen"}, {0x2D, "Insert"},
    {0x2E, "Delete"},     {0x5B, "LeftWin"},    {0x5C, "RightWin"},    {0x5D, "Apps"},       {0x6A, "Num*"},
    {0x6B, "Num+"},       {0x6C, "NumSeparator"}, {0x6D, "Num-"},      {0x6E, "Num."},       {0x6F, "Num/"},
    {0x90, "NumLock"},    {0x91, "ScrollLock"}, {0xA0, "LeftShift"},   {0xA1, "RightShift"}, {0xA2, "LeftCtrl"},
    {0xA3, "RightCtrl"},  {0xA4, "LeftAlt"},    {0xA5, "RightAlt"},
};

// Other names people write for a key: accepted, and shown as the key's
// own name. An alias with code -1 is only answered: it could mean either.
struct KeyAlias {
  const char* alias;
  int vk;
  const char* hint;
};
constexpr KeyAlias kKeyAliases[] = {
    {"Escape", 0x1B, nullptr},      {"Return", 0x0D, nullptr},      {"Control", 0x11, nullptr},
    {"Ctl", 0x11, nullptr},         {"MButton", 0x04, nullptr},     {"XButton1", 0x05, nullptr},
    {"XButton2", 0x06, nullptr},         {"Del", 0x2E, nullptr},         {"Ins", 0x2D, nullptr},
    {"Back", 0x08, nullptr},        {"BS", 0x08, nullptr},          {"PgUp", 0x21, nullptr},
    {"Prior", 0x21, nullptr},       {"PgDn", 0x22, nullptr},        {"PgDown", 0x22, nullptr},
    {"Next", 0x22, nullptr},        {"Win", 0x5B, nullptr},         {"LWin", 0x5B, nullptr},
    {"RWin", 0x5C, nullptr},        {"Windows", 0x5B, nullptr},     {"LShift", 0xA0, nullptr},
    {"RShift", 0xA1, nullptr},      {"LCtrl", 0xA2, nullptr},       {"RCtrl", 0xA3, nullptr},
    {"LControl", 0xA2, nullptr},    {"RControl", 0xA3, nullptr},    {"LAlt", 0xA4, nullptr},
    {"RAlt", 0xA5, nullptr},        {"AltGr", 0xA5, nullptr},       {"Caps", 0x14, nullptr},
    {"Capital", 0x14, nullptr},     {"PrtSc", 0x2C, nullptr},       {"Print", 0x2C, nullptr},
    {"Snapshot", 0x2C, nullptr},    {"Break", 0x13, nullptr},       {"Scroll", 0x91, nullptr},
    {"ArrowLeft", 0x25, nullptr},   {"ArrowUp", 0x26, nullptr},     {"ArrowRight", 0x27, nullptr},
    {"ArrowDown", 0x28, nullptr},   {"ContextMenu", 0x5D, nullptr}, {"Menu", -1, "Alt or Apps (the menu key)"},
};

// Names of all 256 codes, made once: the letters, digits, F1 to F24 and the
// keypad digits follow their codes.
struct KeyNames {
  std::string name[256];
  std::unordered_map<std::string, std::uint8_t> code;  // by lower-case name or alias
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
    for (const KeyAlias& alias : kKeyAliases)
      if (alias.vk >= 0) n.code[Lower(alias.alias)] = static_cast<std::uint8_t>(alias.vk);
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

void AppendLine(std::string& out, std::int32_t gap, std::size_t width, const InputEvent& e, Fate fate) {
  char digits[16];
  char* end = std::to_chars(digits, digits + sizeof digits, gap).ptr;
  if (static_cast<std::size_t>(end - digits) < width) out.append(width - static_cast<std::size_t>(end - digits), ' ');
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

// --- reading the text ------------------------------------------------------

bool ParseUnsigned(std::string_view token, std::uint32_t& value, int base = 10) {
  if (token.empty()) return false;
  auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value, base);
  return ec == std::errc() && end == token.data() + token.size();
}

bool IsHex(std::string_view token) { return token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X'); }

// A number written in decimal or, after "0x", in hexadecimal: every number
// of the text reads this way.
bool ParseNumber(std::string_view token, std::uint32_t& value) {
  return IsHex(token) ? ParseUnsigned(token.substr(2), value, 16) : ParseUnsigned(token, value);
}

// A signed field: -2147483648 to 2147483647, or its 32 bits in hexadecimal
// (0xffffffff is -1), each with a minus sign if wanted.
bool ParseSigned(std::string_view token, std::int32_t& value) {
  bool minus = !token.empty() && token[0] == '-';
  std::uint32_t magnitude = 0;
  if (!ParseNumber(token.substr(minus), magnitude)) return false;
  if (!IsHex(token.substr(minus)) && magnitude > (minus ? 0x80000000u : 0x7FFFFFFFu)) return false;
  value = static_cast<std::int32_t>(minus ? 0u - magnitude : magnitude);
  return true;
}

// A key by name or alias, by its code in hexadecimal, or in decimal when
// written with two digits or more: one digit is that digit's key.
bool ParseKey(std::string_view token, std::uint32_t& vk) {
  if (IsHex(token) || (token.size() > 1 && token[0] >= '0' && token[0] <= '9'))
    return ParseNumber(token, vk) && vk <= 0xFF;
  std::string name = Lower(token);
  if (name.compare(0, 3, "vk_") == 0) name.erase(0, 3);
  const auto& code = Names().code;
  auto found = code.find(name);
  if (found == code.end()) return false;
  vk = found->second;
  return true;
}

std::string Quoted(std::string_view token) { return "\"" + Escaped(token) + "\""; }

// What to say of a key that is not known: the name it may have meant.
std::string UnknownKey(std::string_view token) {
  std::string lower = Lower(token);
  for (const KeyAlias& alias : kKeyAliases)
    if (alias.vk < 0 && lower == Lower(alias.alias))
      return "unknown key " + Quoted(token) + ": did you mean " + alias.hint + "?";
  return "unknown key " + Quoted(token) + ": a key name (see --help) or its code, 0x00 to 0xff or 10 to 255";
}

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
             " (key-down, key-up, move, left-down, left-up, right-down, right-up, wheel, hwheel, end or message)";
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
  // Every gap in one column, however wide the widest.
  std::size_t width = 6;
  for (std::size_t i = 1; i < records.size(); ++i)
    width = std::max(width, DigitsOf(GapBefore(records[i].time, records[i - 1].time)));
  std::size_t played = PlayedRecords(records);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const InputEvent& e = records[i];
    Fate fate = i > played ? kNeverReached : i == played ? kEndsRun : WordFor(e.message) ? kPlayed : kPassedOver;
    AppendLine(out, GapBefore(e.time, previous), width, e, fate);
    previous = e.time;
  }
}

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
    raw = raw.substr(0, raw.find('#'));
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
    InputEvent e;
    std::string problem = ReadEvent(line, e);
    if (!problem.empty()) {
      fail(problem);
      continue;
    }
    if (!first_record_line) first_record_line = number;
    time += static_cast<std::uint32_t>(gap);
    e.time = time;
    std::size_t size = out.size();
    out.resize(size + sizeof e);
    std::memcpy(out.data() + size, &e, sizeof e);
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
  return true;
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

std::string KeyNamesHelp() {
  std::string help, line;
  auto add = [&](const std::string& word) {
    if (line.size() + 1 + word.size() > 76) help += line + "\n", line.clear();
    line += (line.empty() ? "  " : " ") + word;
  };
  for (int vk = 0; vk < 256; ++vk)
    if (Names().name[vk][0] != '0' || Names().name[vk].size() == 1) add(Names().name[vk]);
  help += line + "\nand, read as the name after =:\n";
  line.clear();
  for (const KeyAlias& alias : kKeyAliases)
    if (alias.vk >= 0) add(std::string(alias.alias) + "=" + Names().name[alias.vk]);
  return help + line + "\n";
}
