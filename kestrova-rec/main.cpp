// kestrova-rec: reads, edits and repacks Kestrova recordings and
// self-playing copies from the command line.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "kestrova-rec/rec_file.h"
#include "kestrova-rec/rec_io.h"
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
    "An output is written whole or not at all: a file that was there stays as it\n"
    "was until the new one is complete. An output that is also an input is\n"
    "refused unless --force is given. -o is also --output; a long option may be\n"
    "written --opt=value; -- ends the options. kestrova-rec COMMAND --help says\n"
    "more; --version tells the version. Exit status: 0 done, 1 failed (the reason\n"
    "is printed), 2 wrong usage.\n";

const char kShowHelp[] =
    "usage: kestrova-rec show FILE [-o OUT.txt]\n"
    "\n"
    "Prints a recording (.rec) or a self-playing copy (.exe: its records start\n"
    "after the program image and, when it is signed, end at its signature) as\n"
    "text: a header of # comments, the start line with the first record's time,\n"
    "then one line per record:\n"
    "\n"
    "  GAP  EVENT  [scan N] [code N] [window N]  [# comment]\n"
    "\n"
    "GAP is the milliseconds before the record (negative where the clock stepped\n"
    "back). EVENT is one of\n"
    "  key-down KEY, key-up KEY     a key name (below), or its code: 0x00 to 0xff,\n"
    "                               or 10 to 255 in decimal (one digit is that\n"
    "                               digit's key)\n"
    "  move X Y, left-down X Y, left-up X Y, right-down X Y, right-up X Y\n"
    "                               screen position in pixels\n"
    "  wheel D at X Y, hwheel D at X Y\n"
    "                               a turn of the wheel (sideways) by D, 120 a\n"
    "                               notch, positive away or to the right\n"
    "  end                          the end marker: playback stops here\n"
    "  message M L H                any other record, as its raw fields\n"
    "scan is the key's scan code, code the key field's upper bits when they\n"
    "differ from it, window the window that had the focus when it was recorded.\n"
    "Every number may be written in decimal or in hexadecimal after 0x.\n"
    "Edit the text and turn it back into a recording with pack.\n"
    "\n"
    "Exit status 0 when the program loads the recording or the copy; 1 when it\n"
    "would not (what can be shown is still printed, with the reason) or the file\n"
    "is neither a recording nor a self-playing copy.\n"
    "\n"
    "Key names (any case; VK_ before a name is allowed):\n";

const char kPackHelp[] =
    "usage: kestrova-rec pack TEXT -o OUT.rec\n"
    "\n"
    "Turns the text form that show prints back into a recording. Each record's\n"
    "time is the previous one's plus its gap (the first's: the start line's time\n"
    "plus its gap), so deleting or editing a line moves what follows. Names of\n"
    "events, keys and fields may be written in any case; scan and window are 0\n"
    "when left out. Unedited, show then pack gives back the same bytes.\n"
    "A UTF-8 text may start with a byte-order mark; UTF-16 text is refused.\n"
    "Each error (the first ten) names the text's line and what is wrong there;\n"
    "nothing is written then.\n";

const char kVersion[] = "kestrova-rec " KESTROVA_VERSION "\n";

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
    "Writes every record of a self-playing copy as a recording file (a signed\n"
    "copy's signature is no record). Fails when the file is no self-playing copy\n"
    "or its records would not load.\n";

const char kCompileHelp[] =
    "usage: kestrova-rec compile FILE.rec --stub kestrova.exe [--repeat N] [--fast] -o OUT.exe\n"
    "\n"
    "Writes the same bytes as the program's compile command: the stub (the\n"
    "program's own 32768-byte image, with each marker once) with the repeat count\n"
    "(1 to 99999, 1 by default) and the speed (normal, or fast with --fast)\n"
    "written into it, then every record of the recording. A signed program may be\n"
    "the stub: its signature, which cannot vouch for the records, is left out and\n"
    "the image's entry naming it cleared; sign the copy anew. The copy plays the\n"
    "records hidden, N times, and exits; records behind an end marker are kept\n"
    "but never played, and compile says so.\n";

struct Options {
  std::vector<std::string> files;
  const char* out = nullptr;
  const char* stub = nullptr;
  const char* repeat = nullptr;
  bool fast = false;
  bool force = false;
  bool help = false;
  bool version = false;
};

int Fail(const std::string& what) {
  std::fprintf(stderr, "kestrova-rec: %s\n", what.c_str());
  return kFailed;
}

int WrongUsage(const std::string& what, const std::string& help) {
  std::fprintf(stderr, "kestrova-rec: %s\n\n%s", what.c_str(), help.c_str());
  return kWrongUsage;
}

// A path as messages show it: a terminal never gets a control byte from it.
std::string Named(const std::string& path) { return path == "-" ? "standard input" : Escaped(path); }

bool Read(const std::string& path, Bytes& bytes) {
  std::string why = ReadWhole(path, bytes);
  if (!why.empty()) Fail("cannot read " + Named(path) + ": " + why);
  return why.empty();
}

int Write(const std::string& path, const void* data, std::size_t n) {
  std::string why = WriteWhole(path, data, n);
  if (why.empty()) return kDone;
  return Fail("cannot write " + (path == "-" ? std::string("standard output") : Escaped(path)) + ": " + why);
}

int Write(const std::string& path, const Bytes& bytes) { return Write(path, bytes.data(), bytes.size()); }

int Show(const Options& o) {
  Bytes file;
  if (!Read(o.files[0], file)) return kFailed;
  std::string text = ShowFile(file), problem = CheckFile(file);
  if (!text.empty() && Write(o.out ? o.out : "-", text.data(), text.size()) != kDone) return kFailed;
  return problem.empty() ? kDone : Fail(Named(o.files[0]) + ": " + problem);
}

int Pack(const Options& o) {
  Bytes text;
  if (!Read(o.files[0], text)) return kFailed;
  Bytes records;
  PackErrors errors;
  std::string_view view(reinterpret_cast<const char*>(text.data()), text.size());
  if (PackText(view, records, errors)) return Write(o.out, records);
  for (const PackError& error : errors.first)
    Fail(Named(o.files[0]) + (error.line ? ":" + std::to_string(error.line) : "") + ": " + error.what);
  if (errors.count > errors.first.size())
    Fail(Named(o.files[0]) + ": " + std::to_string(errors.count - errors.first.size()) + " more errors");
  return kFailed;
}

int Check(const Options& o) {
  Bytes file;
  if (!Read(o.files[0], file)) return kFailed;
  std::string problem = CheckFile(file);
  if (!problem.empty()) return Fail(Named(o.files[0]) + ": " + problem);
  RecSource source = ReadSource(file);
  std::string verdict = Named(o.files[0]) +
                        (source.kind == FileKind::kCopy ? ": a self-playing copy whose records" : ": a recording") +
                        " the program loads, " + std::to_string(source.record_bytes / 20) + " records\n";
  return Write("-", verdict.data(), verdict.size());
}

int Extract(const Options& o) {
  Bytes file, records;
  if (!Read(o.files[0], file)) return kFailed;
  std::string problem = ExtractRecords(file, records);
  if (!problem.empty()) return Fail(Named(o.files[0]) + ": " + problem);
  return Write(o.out, records);
}

int Compile(const Options& o) {
  std::int32_t repeat = 1;
  if (o.repeat) {
    // The counts the program's repeat prompt sets, and a copy's field holds.
    std::string_view text = o.repeat;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    auto [at, ec] = std::from_chars(text.data() + (hex ? 2 : 0), text.data() + text.size(), repeat, hex ? 16 : 10);
    if (ec != std::errc() || at != text.data() + text.size() || repeat < 1 || repeat > kMaxRepeat)
      return WrongUsage("--repeat takes a count from 1 to " + std::to_string(kMaxRepeat) + ", not \"" +
                            Escaped(text) + "\"",
                        kCompileHelp);
  }
  Bytes recording, stub, copy;
  const std::string& name = o.files[0];
  if (!Read(name, recording) || !Read(o.stub, stub)) return kFailed;
  FileKind kind = ReadSource(recording).kind;
  if (kind == FileKind::kCopy)
    return Fail(Named(name) + ": a self-playing copy, not a recording: take its records out with extract first");
  if (kind != FileKind::kRecording) return Fail(Named(name) + ": not a recording: " + CheckFile(recording));
  std::string problem = LoadProblem(recording.data(), recording.size());
  if (!problem.empty()) return Fail(Named(name) + ": not a recording the program loads: " + problem);
  problem = StubProblem(stub);
  if (!problem.empty()) return Fail(Named(o.stub) + ": not a stub to compile with: " + problem);
  problem = CompileCopy(recording, stub, repeat, o.fast, copy);
  if (!problem.empty()) return Fail(Named(name) + ": " + problem);
  std::string note = UnplayedNote(recording);
  if (!note.empty()) std::fprintf(stderr, "kestrova-rec: %s: note: %s\n", Named(name).c_str(), note.c_str());
  return Write(o.out, copy);
}

struct Command {
  const char* name;
  const char* help;
  int (*run)(const Options&);
  bool out_required;
  bool out_allowed;
  bool compile_options;
};

// show's help ends with the key names pack reads, from the table itself.
std::string HelpOf(const Command& c) { return c.help + (c.run == Show ? KeyNamesHelp() : std::string()); }

constexpr Command kCommands[] = {
    {"show", kShowHelp, Show, false, true, false},
    {"pack", kPackHelp, Pack, true, true, false},
    {"check", kCheckHelp, Check, false, false, false},
    {"extract", kExtractHelp, Extract, true, true, false},
    {"compile", kCompileHelp, Compile, true, true, true},
};

struct OptionName {
  const char* name;
  bool takes_value;
};
constexpr OptionName kOptionNames[] = {{"-o", true},       {"--stub", true},  {"--repeat", true},  {"--fast", false},
                                       {"--force", false}, {"--help", false}, {"-h", false},      {"--version", false}};

const OptionName* FindOption(std::string_view name) {
  for (const OptionName& option : kOptionNames)
    if (name == option.name) return &option;
  return nullptr;
}

// Reads the command's arguments; returns an empty text or what is wrong.
std::string ReadOptions(int argc, char** argv, const Command& c, Options& o) {
  bool seen[std::size(kOptionNames)] = {};
  bool options_ended = false;
  for (int i = 2; i < argc; ++i) {
    std::string_view a = argv[i];
    if (options_ended || a == "-" || a.empty() || a[0] != '-') {
      o.files.emplace_back(a);
      continue;
    }
    if (a == "--") {
      options_ended = true;
      continue;
    }
    std::size_t equals = a.substr(0, 2) == "--" ? a.find('=') : std::string_view::npos;
    std::string_view name = a.substr(0, equals);
    if (name == "--output") name = "-o";
    const OptionName* option = FindOption(name);
    if (!option) return "unknown option " + Escaped(name);
    std::size_t index = static_cast<std::size_t>(option - kOptionNames);
    if (seen[index] && index < 5) return std::string(option->name) + " is given twice";
    seen[index] = true;
    const char* value = nullptr;
    if (option->takes_value) {
      if (equals != std::string_view::npos) {
        value = argv[i] + equals + 1;
      } else {
        if (i + 1 == argc) return std::string(option->name) + " needs a value";
        value = argv[++i];
        if (FindOption(value) || (value[0] == '-' && value[1] == '-'))
          return std::string(option->name) + " needs a value, not the option " + Escaped(value);
      }
      if (!*value) return std::string(option->name) + " needs a value";
    } else if (equals != std::string_view::npos) {
      return std::string(option->name) + " takes no value";
    }
    if (name == "-o") o.out = value;
    if (name == "--stub") o.stub = value;
    if (name == "--repeat") o.repeat = value;
    o.fast |= name == "--fast";
    o.force |= name == "--force";
    o.help |= name == "--help" || name == "-h";
    o.version |= name == "--version";
  }
  if (o.help || o.version) return {};
  if (o.files.size() != 1) return o.files.empty() ? "which file?" : "one file at a time";
  if (o.out ? !c.out_allowed : c.out_required) return o.out ? "-o is not for this command" : "-o OUT is needed";
  if (!c.compile_options && (o.stub || o.repeat || o.fast)) return "--stub, --repeat and --fast are for compile";
  if (c.compile_options && !o.stub) return "--stub kestrova.exe is needed";
  if (o.out && !o.force)
    for (const std::string& input : {o.files[0], std::string(o.stub ? o.stub : "-")})
      if (SameFile(input, o.out))
        return std::string("-o ") + Escaped(o.out) + " is also the input " + Escaped(input) +
               ", which it would replace; give --force to do that";
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
  if (name == "--version") {
    std::fputs(kVersion, stdout);
    return kDone;
  }
  for (const Command& c : kCommands) {
    if (name != c.name) continue;
    Options o;
    std::string problem = ReadOptions(argc, argv, c, o);
    if (o.help || o.version) {
      std::fputs(o.help ? HelpOf(c).c_str() : kVersion, stdout);
      return kDone;
    }
    return problem.empty() ? c.run(o) : WrongUsage(problem, HelpOf(c));
  }
  return WrongUsage(name.empty() ? "which command?" : "unknown command " + std::string(name), kOverview);
}
