// Window notes in words, and their titles and classes between UTF-8 and code
// page 936: see rec_notes.h.
#include <cstring>

#include "kestrova-rec/rec_codepage.h"
#include "kestrova-rec/rec_notes.h"
#include "kestrova-rec/rec_text.h"
#include "kestrova-rec/rec_text_words.h"

namespace {

const char kNoteUsage[] =
    "window needs a title, a class, a place and a size: window \"TITLE\" class CLASS at X Y size W H, "
    "or window none";

// The bytes of the UTF-8 character that starts with this byte, or 0 when no
// character starts with it.
std::size_t Utf8Length(unsigned char lead) {
  return lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                                              : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
}

void AppendHex(std::string& out, unsigned char byte) {
  out += "\\x";
  out += "0123456789abcdef"[byte >> 4];
  out += "0123456789abcdef"[byte & 15];
}

int HexDigit(char c) {
  return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Whether show writes the class as it is: one word of printable ASCII that
// pack reads back as one, with no quote, backslash or comment sign in it.
bool IsBareClass(const char* text) {
  for (const char* c = text; *c; ++c)
    if (*c <= ' ' || *c > '~' || *c == '"' || *c == '\\' || *c == '#') return false;
  return true;
}

}  // namespace

std::string ShownNoteText(std::string_view bytes) {
  std::string shown;
  for (std::size_t i = 0; i < bytes.size();) {
    auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      if (c == '"' || c == '\\') shown += '\\';
      if (c >= 0x20 && c < 0x7F) shown += static_cast<char>(c);
      else AppendHex(shown, c);
      ++i;
      continue;
    }
    // A lead byte and the byte after it are one character when that byte can
    // end one; any other byte above 0x7f stands alone.
    auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    std::size_t n = c >= 0x81 && c <= 0xFE && next >= 0x40 && next <= 0xFE && next != 0x7F ? 2 : 1;
    std::string_view character = bytes.substr(i, n);
    std::string utf8, back;
    // Written in UTF-8 only when pack, which reads one UTF-8 character at a
    // time, turns it back into the same bytes.
    if (Cp936ToUtf8(character, utf8) && !utf8.empty() && Utf8Length(static_cast<unsigned char>(utf8[0])) == utf8.size() &&
        Utf8ToCp936(utf8, back) && back == character) {
      shown += utf8;
    } else {
      for (char b : character) AppendHex(shown, static_cast<unsigned char>(b));
    }
    i += n;
  }
  return shown;
}

std::string ReadNoteText(std::string_view written, const char* what, std::string& bytes) {
  bytes.clear();
  bool quoted = !written.empty() && written[0] == '"', closed = false;
  std::size_t i = quoted;
  while (i < written.size() && !closed) {
    auto c = static_cast<unsigned char>(written[i]);
    if (c == '"') {
      if (!quoted) return std::string("a quote in a ") + what + " is written \\\" in quotes";
      closed = true;
      ++i;
    } else if (c == '\\') {
      char e = i + 1 < written.size() ? written[i + 1] : ' ';
      bool room = i + 3 < written.size();
      int high = room ? HexDigit(written[i + 2]) : -1, low = room ? HexDigit(written[i + 3]) : -1;
      if (e == '"' || e == '\\') {
        bytes += e;
        i += 2;
      } else if (e == 'x' && high >= 0 && low >= 0 && (high || low)) {
        bytes += static_cast<char>(high * 16 + low);
        i += 4;
      } else {
        return std::string("in a ") + what + ", a backslash starts \\\", \\\\ or \\xNN (a byte from 01 to ff), not " +
               Escaped(written.substr(i, 4));
      }
    } else if (c < 0x20 || c == 0x7F) {
      return std::string("a control character in a ") + what + " is written \\xNN";
    } else if (c < 0x80) {
      bytes += static_cast<char>(c);
      ++i;
    } else {
      std::size_t n = Utf8Length(c), k = 1;
      while (k < n && i + k < written.size() && (static_cast<unsigned char>(written[i + k]) & 0xC0) == 0x80) ++k;
      if (!n || k < n) return std::string("the ") + what + " holds bytes that are no UTF-8";
      std::string character;
      if (!Utf8ToCp936(written.substr(i, n), character) || character.empty())
        return std::string("the ") + what + " holds \"" + std::string(written.substr(i, n)) +
               "\", which code page 936 lacks: write its bytes as \\xNN";
      bytes += character;
      i += n;
    }
  }
  if (quoted && !closed) return std::string("the ") + what + "'s closing quote is missing";
  if (i < written.size()) return "unexpected " + Escaped(written.substr(i)) + " after the " + what + "'s closing quote";
  if (bytes.size() >= kNoteTextCapacity)
    return std::string("a ") + what + " holds at most 127 bytes in code page 936, not " + std::to_string(bytes.size());
  return {};
}

std::string NoteWords(const WindowNote& note) {
  if (!note.window_class[0]) return "window none";
  std::string words = "window \"" + ShownNoteText(note.title) + "\" class ";
  words += IsBareClass(note.window_class) ? std::string(note.window_class) : "\"" + ShownNoteText(note.window_class) + "\"";
  words += " at " + std::to_string(note.left) + " " + std::to_string(note.top);
  return words + " size " + std::to_string(note.width) + " " + std::to_string(note.height);
}

std::string ReadNoteWords(const std::string_view* words, std::size_t count, WindowNote& note) {
  note = WindowNote{};
  if (count == 2 && Lower(words[1]) == "none") return {};
  std::string title, window_class;
  // A title's missing quote leaves the rest of the line in it: say so first.
  std::string problem = count > 1 && words[1][0] == '"' ? ReadNoteText(words[1], "title", title) : "";
  if (!problem.empty()) return problem;
  if (count < 10 || Lower(words[2]) != "class" || Lower(words[4]) != "at" || Lower(words[7]) != "size")
    return kNoteUsage;
  if (count > 10) return "unexpected \"" + Escaped(words[10]) + "\" after the window's size";
  if (words[1][0] != '"') return "a window's title is written in quotes: window \"TITLE\" ...";
  problem = ReadNoteText(words[3], "class", window_class);
  if (!problem.empty()) return problem;
  if (window_class.empty()) return "a window's class is never empty (window none is the note for no window)";
  std::uint32_t width = 0, height = 0;
  if (!ParseSigned(words[5], note.left) || !ParseSigned(words[6], note.top))
    return "a window's place is two numbers from -2147483648 to 2147483647";
  if (!ParseNumber(words[8], width) || !ParseNumber(words[9], height) || width > 0xFFFF || height > 0xFFFF)
    return "a window's size is two numbers from 0 to 65535";
  note.width = width, note.height = height;
  std::memcpy(note.window_class, window_class.c_str(), window_class.size() + 1);
  std::memcpy(note.title, title.c_str(), title.size() + 1);
  return {};
}
