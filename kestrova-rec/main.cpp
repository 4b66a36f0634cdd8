// kestrova-rec: reads, edits and repacks Kestrova recordings and
// self-playing copies from the command line. Each command is a function
// (rec_commands.cpp, rec_edit_commands.cpp) over the shared option reading
// (rec_options.cpp); this file names them and dispatches.
#include <cstdio>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "kestrova-rec/rec_cli.h"
#include "kestrova-rec/rec_text.h"

namespace {

const char kOverview[] =
    "kestrova-rec: read, edit and repack Kestrova recordings and self-playing copies\n"
    "\n"
    "  kestrova-rec show FILE [-o OUT.txt]       a recording or a self-playing copy as text\n"
    "  kestrova-rec pack TEXT -o OUT.rec         the text back to a recording\n"
    "  kestrova-rec check FILE                   whether the program would load it\n"
    "  kestrova-rec extract FILE.exe -o OUT.rec  the records of a self-playing copy\n"
    "  kestrova-rec compile FILE.rec --stub kestrova.exe [--repeat N] [--fast] -o OUT.exe\n"
    "                                            a self-playing copy, as the program compiles it\n"
    "  kestrova-rec retime FILE [--speed F] [--max-pause S] -o OUT   another pace\n"
    "  kestrova-rec cut FILE [--from T] [--to T] -o OUT              a part kept\n"
    "  kestrova-rec join FILE FILE... [--pause S] -o OUT             one after the other\n"
    "  kestrova-rec move FILE [--by DX DY] [--screen W1xH1 [W2xH2]] -o OUT\n"
    "                                            positions shifted, or for another screen\n"
    "The edits read a recording or a self-playing copy and write a recording, or\n"
    "with --stub kestrova.exe [--repeat N] [--fast] a copy, as compile does.\n"
    "\n"
    "FILE and TEXT may be - for standard input; -o - writes to standard output.\n"
    "An output is written whole or not at all: a file that was there stays as it\n"
    "was until the new one is complete. An output that is also an input is\n"
    "refused unless --force is given. -o is also --output; a long option may be\n"
    "written --opt=value; -- ends the options. kestrova-rec COMMAND --help says\n"
    "more; --version tells the version. Exit status: 0 done, 1 failed (the reason\n"
    "is printed), 2 wrong usage.\n";

const char kVersion[] = "kestrova-rec " KESTROVA_VERSION "\n";

constexpr std::size_t kMany = ~std::size_t{0};

constexpr Command kCommands[] = {
    {"show", kShowHelp, Show, Output::kAllowed, 1, 1, "", false},
    {"pack", kPackHelp, Pack, Output::kNeeded, 1, 1, "", false},
    {"check", kCheckHelp, Check, Output::kNone, 1, 1, "", false},
    {"extract", kExtractHelp, Extract, Output::kNeeded, 1, 1, "", false},
    {"compile", kCompileHelp, Compile, Output::kNeeded, 1, 1, "--stub --repeat --fast", true},
    {"retime", kRetimeHelp, RetimeCommand, Output::kNeeded, 1, 1, "--speed --max-pause --stub --repeat --fast", false},
    {"cut", kCutHelp, CutCommand, Output::kNeeded, 1, 1, "--from --to --stub --repeat --fast", false},
    {"join", kJoinHelp, JoinCommand, Output::kNeeded, 2, kMany, "--pause --stub --repeat --fast", false},
    {"move", kMoveHelp, MoveCommand, Output::kNeeded, 1, 1, "--by --screen --stub --repeat --fast", false},
};

// show's help ends with the key names pack reads, from the table itself.
std::string HelpOf(const Command& c) { return c.help + (c.run == Show ? KeyNamesHelp() : std::string()); }

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
