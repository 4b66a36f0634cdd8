// What every kestrova-rec command shares: its options as read from the
// command line, the command table's entry, and how it reads files, writes
// its output and says what went wrong.
#ifndef KESTROVA_REC_CLI_H
#define KESTROVA_REC_CLI_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kestrova-rec/rec_file.h"

constexpr int kDone = 0, kFailed = 1, kWrongUsage = 2;

struct Options {
  std::vector<std::string> files;
  const char* out = nullptr;
  const char* stub = nullptr;
  const char* repeat = nullptr;
  std::int32_t repeat_count = 1;  // --repeat's count, checked
  const char* speed = nullptr;
  const char* max_pause = nullptr;
  const char* from = nullptr;
  const char* to = nullptr;
  const char* pause = nullptr;
  const char* by[2] = {};
  const char* screen[2] = {};  // the second only for a mapping
  bool fast = false;
  bool force = false;
  bool help = false;
  bool version = false;
};

enum class Output { kNone, kAllowed, kNeeded };

struct Command {
  const char* name;
  const char* help;
  int (*run)(const Options&);
  Output out;
  std::size_t least_files, most_files;
  const char* options;  // the command's own, as "--speed --max-pause"; -o, --force and --help are everyone's
  bool stub_needed;
};

// Reads the command's arguments; returns an empty text or what is wrong.
std::string ReadOptions(int argc, char** argv, const Command& c, Options& o);

// Say what failed, on standard error; they return the exit status. A wrong
// usage is one line, then the help to try: the command's, or with no command
// (empty) the overview's.
int Fail(const std::string& what);
int WrongUsage(const std::string& what, const char* command);

// A path as messages show it: a terminal never gets a control byte from it.
std::string Named(const std::string& path);

// Reads the whole file; false when the reason has been told.
bool Read(const std::string& path, Bytes& bytes);

// Writes the output whole or not at all; the exit status.
int Write(const std::string& path, const void* data, std::size_t n);
int Write(const std::string& path, const Bytes& bytes);

// Writes the recording's records as a self-playing copy made with the
// options' stub, repeat count and speed, as compile does; the exit status.
int WriteCopy(const Options& o, const std::string& name, const Bytes& recording);

// The commands; the edits' helps, which the command table shows.
int Show(const Options& o);
int Pack(const Options& o);
int Check(const Options& o);
int Extract(const Options& o);
int Compile(const Options& o);
int RetimeCommand(const Options& o);
int CutCommand(const Options& o);
int JoinCommand(const Options& o);
int MoveCommand(const Options& o);
extern const char kRetimeHelp[], kCutHelp[], kJoinHelp[], kMoveHelp[];

#endif
