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
    "  window \"TITLE\" class CLASS at X Y size W H\n"
    "                               a window note, all its records on one line:\n"
    "                               the window the input after it went to (its\n"
    "                               outer rectangle on the screen), which\n"
    "                               playback waits for and follows\n"
    "  window none                  a note of no window: the input after it\n"
    "                               plays where it was recorded\n"
    "  end                          the end marker: playback stops here\n"
    "  message M L H                any other record, as its raw fields\n"
    "scan is the key's scan code, code the key field's upper bits when they\n"
    "differ from it, window the window that had the focus when it was recorded.\n"
    "TITLE is in quotes, CLASS too unless it is one word of ASCII; both are\n"
    "UTF-8, a byte that is no character of code page 936 (one that converts and\n"
    "back unchanged) is written \\xNN, a quote \\\" and a backslash \\\\.\n"
    "Every number may be written in decimal or in hexadecimal after 0x.\n"
    "Edit the text and turn it back into a recording with pack.\n"
    "\n"
    "Exit status 0 when the program loads the recording or the copy; 1 when it\n"
    "would not or a window note is torn (what can be shown is still printed,\n"
    "with the reason) or the file is neither a recording nor a self-playing copy.\n"
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
    "key-down, a move or another message whose low byte is 0; and checks that\n"
    "every window note is whole (playback passes a torn one's records over).\n"
    "Exit status 0 when the program would load it and play every note, 1 with\n"
    "the reason otherwise (a torn note named by its record).\n";

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
    return problem.empty() ? c.run(o) : WrongUsage(problem, c.name);
  }
  return WrongUsage(name.empty() ? "which command?" : "unknown command " + std::string(name), "");
}
