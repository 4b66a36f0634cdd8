// kestrova-rec: reads, edits and repacks Kestrova recordings and
// self-playing copies from the command line.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "kestrova-rec/rec_file.h"
#include "kestrova-rec/rec_text.h"

namespace {

constexpr int kDone = 0, kFailed = 1, kWrongUsage = 2;

const char kOverview[] =
    "kestrova-rec: read, edit and repack Kestrova recordings and self-playing copies\n"
    "\n"
    "  kestrova-rec show FILE [-o OUT.txt]       a recording or a self-playing copy as text\n"
    "  kestrova-rec pack TEXT -o OUT.rec         the text back to a recording\n"
    "  kestrova-rec check FILE                   whether the program would load it\n"
    "  kestrova-rec extract FILE.exe -o OUT.rec  the records of a self-playing copy\n"
    "  kestrova-rec compile FILE.rec --stub kestrova.exe [--repeat N] [--fast] -o OUT.exe\n"
    "                                            a self-playing copy, as the program compiles it\n"
    "\n"
    "FILE and TEXT may be - for standard input; -o - writes to standard output.\n"
    "kestrova-rec COMMAND --help says more. Exit status: 0 done, 1 failed (the\n"
    "reason is printed), 2 wrong usage.\n";

const char kShowHelp[] =
    "usage: kestrova-rec show FILE [-o OUT.txt]\n"
    "\n"
    "Prints a recording (.rec) or a self-playing copy (.exe: its records start\n"
    "after the program image) as text: a header of # comments, the start line\n"
    "with the first record's time, then one line per record:\n"
    "\n"
    "  GAP  EVENT  [scan N] [code N] [window 0xHHHHHHHH]  [# comment]\n"
    "\n"
    "GAP is the milliseconds before the record. EVENT is one of\n"
    "  key-down KEY, key-up KEY     KEY: A..Z, 0..9, F1..F24, Shift, Ctrl, Alt,\n"
    "                               LeftShift, RightCtrl, LeftAlt, LeftWin, Apps,\n"
    "                               Enter, Space, Tab, Esc, Backspace, Delete,\n"
    "                               Insert, Home, End, PageUp, PageDown, Left, Up,\n"
    "                               Right, Down, Num0..Num9, Num* Num+ Num- Num.\n"
    "                               Num/, NumLock, CapsLock, ScrollLock, Pause,\n"
    "                               PrintScreen; any other key as its code 0x00..0xff\n"
    "  move X Y, left-down X Y, left-up X Y, right-down X Y, right-up X Y\n"
    "                               screen position in pixels\n"
    "  end                          the end marker: playback stops here\n"
    "  message M L H                any other record, as its raw fields\n"
    "scan is the key's scan code, code the key field's upper bits when they\n"
    "differ from it, window the window that had the focus when it was recorded.\n"
    "Edit the text and turn it back into a recording with pack.\n";

const char kPackHelp[] =
    "usage: kestrova-rec pack TEXT -o OUT.rec\n"
    "\n"
    "Turns the text form that show prints back into a recording. Each record's\n"
    "time is the previous one's plus its gap (the first's: the start line's time\n"
    "plus its gap), so deleting or editing a line moves what follows. Names of\n"
    "events, keys and fields may be written in any case; scan and window are 0\n"
    "when left out. Unedited, show then pack gives back the same bytes.\n"
    "An error names the text's line and what is wrong there; nothing is written.\n";

const char kCheckHelp[] =
    "usage: kestrova-rec check FILE\n"
    "\n"
    "Applies the program's own rule to a recording, or to the records of a\n"
    "self-playing copy: whole 20-byte records, at least one, the first a\n"
    "key-down, a move or another message whose low byte is 0. Exit status 0\n"
    "when the program would load it, 1 with the reason otherwise.\n";

const char kExtractHelp[] =
    "usage: kestrova-rec extract FILE.exe -o OUT.rec\n"
    "\n"
    "Writes the records of a self-playing copy as a recording file. Fails when\n"
    "the file is no self-playing copy or its records would not play.\n";

const char kCompileHelp[] =
    "usage: kestrova-rec compile FILE.rec --stub kestrova.exe [--repeat N] [--fast] -o OUT.exe\n"
    "\n"
    "Writes the same bytes as the program's compile command: the stub (the\n"
    "program's own 32768-byte file, with each marker once) with the repeat count\n"
    "(1 by default; the first five digits of it) and the speed (normal, or fast\n"
    "with --fast) written into it, then the recording's records up to its first\n"
    "end marker. The copy plays them hidden, N times, and exits.\n";

struct Options {
  std::vector<std::string> files;
  const char* out = nullptr;
  const char* stub = nullptr;
  const char* repeat = nullptr;
  bool fast = false;
  bool help = false;
};

int Fail(const std::string& what) {
  std::fprintf(stderr, "kestrova-rec: %s\n", what.c_str());
  return kFailed;
}

int WrongUsage(const std::string& what, const char* help) {
  std::fprintf(stderr, "kestrova-rec: %s\n\n%s", what.c_str(), help);
  return kWrongUsage;
}

bool ReadAll(const std::string& path, Bytes& bytes) {
  std::FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (!in) return false;
  static char chunk[1 << 16];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
  bool read = !std::ferror(in);  // a folder opens, but does not read
  if (in != stdin) std::fclose(in);
  return read;
}

// Writes everything or, failing, leaves no file behind.
int WriteAll(const char* path, const void* data, std::size_t n) {
  if (std::strcmp(path, "-") == 0) {
    if (std::fwrite(data, 1, n, stdout) != n || std::fflush(stdout) != 0) return Fail("cannot write standard output");
    return kDone;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
  if (out) out.close();
  if (!out) {
    std::remove(path);
    return Fail(std::string("cannot write ") + path);
  }
  return kDone;
}

int WriteAll(const char* path, const Bytes& bytes) { return WriteAll(path, bytes.data(), bytes.size()); }

int Show(const Options& o) {
  Bytes file;
  if (!ReadAll(o.files[0], file)) return Fail("cannot read " + o.files[0]);
  RecSource source = ReadSource(file);
  if (source.copy && !source.record_bytes)
    return Fail(o.files[0] + ": a program image with nothing appended: not a self-playing copy");
  std::string text = ShowFile(file);
  return WriteAll(o.out ? o.out : "-", text.data(), text.size());
}

int Pack(const Options& o) {
  Bytes text;
  if (!ReadAll(o.files[0], text)) return Fail("cannot read " + o.files[0]);
  Bytes records;
  PackError error;
  std::string_view view(reinterpret_cast<const char*>(text.data()), text.size());
  if (!PackText(view, records, error))
    return Fail(o.files[0] + ":" + std::to_string(error.line) + ": " + error.what);
  return WriteAll(o.out, records);
}

int Check(const Options& o) {
  Bytes file;
  if (!ReadAll(o.files[0], file)) return Fail("cannot read " + o.files[0]);
  std::string problem = CheckFile(file);
  if (!problem.empty()) return Fail(o.files[0] + ": " + problem);
  RecSource source = ReadSource(file);
  std::string verdict = o.files[0] + (source.copy ? ": a self-playing copy whose records" : ": a recording") +
                        " the program loads, " + std::to_string(source.record_bytes / 20) + " records\n";
  return WriteAll("-", verdict.data(), verdict.size());
}

int Extract(const Options& o) {
  Bytes file, records;
  if (!ReadAll(o.files[0], file)) return Fail("cannot read " + o.files[0]);
  std::string problem = ExtractRecords(file, records);
  if (!problem.empty()) return Fail(o.files[0] + ": " + problem);
  return WriteAll(o.out, records);
}

int Compile(const Options& o) {
  std::int32_t repeat = 1;
  if (o.repeat) {
    // The counts the program's repeat prompt can set.
    const char* end = o.repeat + std::strlen(o.repeat);
    auto [at, ec] = std::from_chars(o.repeat, end, repeat);
    if (ec != std::errc() || at != end || repeat < 1)
      return WrongUsage("--repeat takes a count from 1 to 2147483647", kCompileHelp);
  }
  Bytes recording, stub, copy;
  if (!ReadAll(o.files[0], recording)) return Fail("cannot read " + o.files[0]);
  if (!ReadAll(o.stub, stub)) return Fail(std::string("cannot read ") + o.stub);
  std::string problem = CompileCopy(recording, stub, repeat, o.fast, copy);
  if (!problem.empty()) return Fail(problem);
  return WriteAll(o.out, copy);
}

struct Command {
  const char* name;
  const char* help;
  int (*run)(const Options&);
  bool out_required;
  bool out_allowed;
  bool compile_options;
};

constexpr Command kCommands[] = {
    {"show", kShowHelp, Show, false, true, false},
    {"pack", kPackHelp, Pack, true, true, false},
    {"check", kCheckHelp, Check, false, false, false},
    {"extract", kExtractHelp, Extract, true, true, false},
    {"compile", kCompileHelp, Compile, true, true, true},
};

// Reads the command's arguments; returns an empty text or what is wrong.
std::string ReadOptions(int argc, char** argv, const Command& c, Options& o) {
  for (int i = 2; i < argc; ++i) {
    std::string_view a = argv[i];
    const char** value = a == "-o" ? &o.out : a == "--stub" ? &o.stub : a == "--repeat" ? &o.repeat : nullptr;
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (value) {
      if (i + 1 == argc) return std::string(a) + " needs a value";
      *value = argv[++i];
    } else if (a == "--fast") {
      o.fast = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option " + std::string(a);
    } else {
      o.files.emplace_back(a);
    }
  }
  if (o.help) return {};
  if (o.files.size() != 1) return o.files.empty() ? "which file?" : "one file at a time";
  if (o.out ? !c.out_allowed : c.out_required) return o.out ? "-o is not for this command" : "-o OUT is needed";
  if (!c.compile_options && (o.stub || o.repeat || o.fast)) return "--stub, --repeat and --fast are for compile";
  if (c.compile_options && !o.stub) return "--stub kestrova.exe is needed";
  return {};
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Records and texts pass through unchanged, with the same line ends as on
  // any other system.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::string_view name = argc > 1 ? argv[1] : "";
  if (name == "--help" || name == "-h" || name == "help") {
    std::fputs(kOverview, stdout);
    return kDone;
  }
  for (const Command& c : kCommands) {
    if (name != c.name) continue;
    Options o;
    std::string problem = ReadOptions(argc, argv, c, o);
    if (o.help) {
      std::fputs(c.help, stdout);
      return kDone;
    }
    return problem.empty() ? c.run(o) : WrongUsage(problem, c.help);
  }
  return WrongUsage(name.empty() ? "which command?" : "unknown command " + std::string(name), kOverview);
}
