#include "kestrova-rec/rec_text_words.h"

#include <charconv>
#include <unordered_map>

#include "kestrova-rec/rec_text.h"

namespace {

bool ParseUnsigned(std::string_view token, std::uint32_t& value, int base) {
  if (token.empty()) return false;
  auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value, base);
  return ec == std::errc() && end == token.data() + token.size();
}

struct EventKind {
  std::uint32_t message;
  const char* word;
};
constexpr EventKind kKinds[] = {{kKeyDown, "key-down"},   {kKeyUp, "key-up"},       {kMove, "move"},
                                {kLeftDown, "left-down"}, {kLeftUp, "left-up"},     {kRightDown, "right-down"},
                                {kRightUp, "right-up"},   {kWheel, "wheel"},        {kHWheel, "hwheel"}};

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

}  // namespace

bool IsHex(std::string_view token) { return token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X'); }

bool ParseNumber(std::string_view token, std::uint32_t& value) {
  return IsHex(token) ? ParseUnsigned(token.substr(2), value, 16) : ParseUnsigned(token, value, 10);
}

bool ParseSigned(std::string_view token, std::int32_t& value) {
  bool minus = !token.empty() && token[0] == '-';
  std::uint32_t magnitude = 0;
  if (!ParseNumber(token.substr(minus), magnitude)) return false;
  if (!IsHex(token.substr(minus)) && magnitude > (minus ? 0x80000000u : 0x7FFFFFFFu)) return false;
  value = static_cast<std::int32_t>(minus ? 0u - magnitude : magnitude);
  return true;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

const char* WordFor(std::uint32_t message) {
  for (const EventKind& kind : kKinds)
    if (kind.message == message) return kind.word;
  return nullptr;
}

std::uint32_t MessageFor(std::string_view word) {
  for (const EventKind& kind : kKinds)
    if (word == kind.word) return kind.message;
  return 0;
}

std::string KeyName(std::uint8_t vk) { return Names().name[vk]; }

bool KeyCodeFor(std::string_view name, std::uint32_t& vk) {
  std::string lower = Lower(name);
  if (lower.compare(0, 3, "vk_") == 0) lower.erase(0, 3);
  const auto& code = Names().code;
  auto found = code.find(lower);
  if (found == code.end()) return false;
  vk = found->second;
  return true;
}

const char* KeyHint(std::string_view name) {
  std::string lower = Lower(name);
  for (const KeyAlias& alias : kKeyAliases)
    if (alias.vk < 0 && lower == Lower(alias.alias)) return alias.hint;
  return nullptr;
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
