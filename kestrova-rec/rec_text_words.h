// The words of the text form: the events the program records and plays,
// the names of the keys, both ways, and the numbers. Shared by showing and
// packing.
#ifndef KESTROVA_REC_TEXT_WORDS_H
#define KESTROVA_REC_TEXT_WORDS_H

#include <cstdint>
#include <string>
#include <string_view>

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

inline bool IsKey(std::uint32_t message) { return message == kKeyDown || message == kKeyUp; }
inline bool IsWheel(std::uint32_t message) { return message == kWheel || message == kHWheel; }

// The event's word ("key-down", "move"), or null for a message with none.
const char* WordFor(std::uint32_t message);

// The message of a word in lower case, or 0 for no event's word.
std::uint32_t MessageFor(std::string_view word);

std::string Lower(std::string_view text);

// Whether the number is written in hexadecimal, after "0x".
bool IsHex(std::string_view token);

// A number written in decimal or, after "0x", in hexadecimal: every number
// of the text reads this way.
bool ParseNumber(std::string_view token, std::uint32_t& value);

// A signed field: -2147483648 to 2147483647, or its 32 bits in hexadecimal
// (0xffffffff is -1), each with a minus sign if wanted.
bool ParseSigned(std::string_view token, std::int32_t& value);

// The code of a key name or alias, in any case, "VK_" before it or not.
bool KeyCodeFor(std::string_view name, std::uint32_t& vk);

// For a name that could mean more than one key, what it may have meant;
// null for any other.
const char* KeyHint(std::string_view name);

#endif
