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

// The largest repeat count a copy's five-digit field holds.
constexpr std::int32_t kMaxRepeat = 99999;

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kNoFields = static_cast<std::size_t>(-1);

/*
 * Where the first stub-size bytes of the file hold the program's repeat
 * field, or kNoFields when they are not a Kestrova program image: a PE image
 * holding the stub-size text exactly once, right behind two five-character
 * fields that each end with a zero byte (the markers, or a copy's digits).
 */
std::size_t ProgramImageFields(const Bytes& file);

enum class FileKind {
  kRecording,     // anything that is not a program image: judged by the load rule
  kCopy,          // a program image with records behind it
  kProgramImage,  // a Kestrova program image with nothing behind it
  kOtherProgram,  // a program that is not Kestrova's (a Windows or a Linux one)
  kText,          // text that the program would not load: pack's input, not show's
};

struct RecSource {
  FileKind kind;
  std::size_t offset;        // where the records start: 0, or the stub size
  std::size_t record_bytes;  // from offset to the end of the file, or to a signature
  std::size_t signature_bytes;  // behind the records of a signed program or copy
  std::string repeat_field;  // a copy's fields, as compiled in
  std::string speed_field;
};

RecSource ReadSource(const Bytes& file);

// Why the program would refuse the n bytes as a recording, or would not play
// them as recorded (a torn window note), or an empty text.
std::string LoadProblem(const std::uint8_t* bytes, std::size_t n);

// Why the file is no stub a copy can be compiled from, or an empty text. A
// signed program is one.
std::string StubProblem(const Bytes& stub);

// Why the program would not play the file (a recording, or a copy's
// records), or an empty text when it would.
std::string CheckFile(const Bytes& file);

// The text show prints: what the file is, its summary and every record.
// Nothing for a program that is no copy, or a text (CheckFile says why).
std::string ShowFile(const Bytes& file);

/*
 * The bytes of a self-playing copy that the program's compile command writes
 * for this recording, repeat count and speed: the stub's image with its
 * markers patched (a signed stub's signature left out and the entry naming it
 * cleared), then every record. Returns an empty text with the bytes in out,
 * or why it cannot be done; the recording and the stub are checked first
 * (LoadProblem, StubProblem) by the caller, who names the file.
 */
std::string CompileCopy(const Bytes& recording, const Bytes& stub, std::int32_t repeat_count, bool fast, Bytes& out);

// What a copy of the recording holds that its playback never reaches, or an
// empty text: compile reports it.
std::string UnplayedNote(const Bytes& recording);

// The records of a self-playing copy as a recording file. Returns an empty
// text with the bytes in out, or why there are none the program would play.
std::string ExtractRecords(const Bytes& file, Bytes& out);

#endif
