// Recording files and self-playing copies as the tool reads and writes them:
// the program's own rules applied to whole files, and the texts that say
// what a file holds or why the program would refuse it.
#ifndef KESTROVA_REC_FILE_H
#define KESTROVA_REC_FILE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The build pads each image to this size and passes it in; a copy's
// records start here.
constexpr std::size_t kStubSize = KESTROVA_STUB_SIZE;

using Bytes = std::vector<std::uint8_t>;

// What a file holds. A file that starts as a program image ("MZ") is taken
// for a self-playing copy, any other for a recording file: a recording
// always starts with a zero byte.
struct RecSource {
  bool copy;
  std::size_t offset;        // where the records start: 0, or the stub size
  std::size_t record_bytes;  // from offset to the end of the file
  bool fields_found;         // a copy's repeat and speed fields were found
  std::string repeat_field;  // their five characters, as compiled in
  std::string speed_field;
};

RecSource ReadSource(const Bytes& file);

// Why the program would refuse the n bytes as a recording, or an empty text
// when it would load them.
std::string LoadProblem(const std::uint8_t* bytes, std::size_t n);

// Why the program would not play the file (a recording, or a copy's
// records), or an empty text when it would.
std::string CheckFile(const Bytes& file);

// The text show prints: what the file is, its summary and every record.
std::string ShowFile(const Bytes& file);

/*
 * The bytes of a self-playing copy that the program's compile command writes
 * for this recording, repeat count and speed: the stub with its markers
 * patched, then the records up to the first end marker. Returns an empty
 * text with the bytes in out, or why it cannot be done.
 */
std::string CompileCopy(const Bytes& recording, const Bytes& stub, std::int32_t repeat_count, bool fast, Bytes& out);

// The records of a self-playing copy as a recording file. Returns an empty
// text with the bytes in out, or why there are none the program would play.
std::string ExtractRecords(const Bytes& file, Bytes& out);

#endif
