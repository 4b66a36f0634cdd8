// The commands that read, check and repack a recording or a copy: show,
// pack, check, extract and compile, and the file handling all commands share.
#include <cstdio>
#include <string>
#include <string_view>

#include "kestrova-rec/rec_cli.h"
#include "kestrova-rec/rec_io.h"
#include "kestrova-rec/rec_text.h"

extern const char kShowHelp[] =
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

extern const char kPackHelp[] =
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

extern const char kCheckHelp[] =
    "usage: kestrova-rec check FILE\n"
    "\n"
    "Applies the program's own rule to a recording, or to the records of a\n"
    "self-playing copy: whole 20-byte records, at least one, the first a\n"
    "key-down, a move or another message whose low byte is 0. Exit status 0\n"
    "when the program would load it, 1 with the reason otherwise.\n";

extern const char kExtractHelp[] =
    "usage: kestrova-rec extract FILE.exe -o OUT.rec\n"
    "\n"
    "Writes every record of a self-playing copy as a recording file (a signed\n"
    "copy's signature is no record). Fails when the file is no self-playing copy\n"
    "or its records would not load.\n";

extern const char kCompileHelp[] =
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

int WriteCopy(const Options& o, const std::string& name, const Bytes& recording) {
  Bytes stub, copy;
  if (!Read(o.stub, stub)) return kFailed;
  std::string problem = StubProblem(stub);
  if (!problem.empty()) return Fail(Named(o.stub) + ": not a stub to compile with: " + problem);
  problem = CompileCopy(recording, stub, o.repeat_count, o.fast, copy);
  if (!problem.empty()) return Fail(Named(name) + ": " + problem);
  std::string note = UnplayedNote(recording);
  if (!note.empty()) std::fprintf(stderr, "kestrova-rec: %s: note: %s\n", Named(name).c_str(), note.c_str());
  return Write(o.out, copy);
}

int Compile(const Options& o) {
  Bytes recording;
  const std::string& name = o.files[0];
  if (!Read(name, recording)) return kFailed;
  FileKind kind = ReadSource(recording).kind;
  if (kind == FileKind::kCopy)
    return Fail(Named(name) + ": a self-playing copy, not a recording: take its records out with extract first");
  if (kind != FileKind::kRecording) return Fail(Named(name) + ": not a recording: " + CheckFile(recording));
  std::string problem = LoadProblem(recording.data(), recording.size());
  if (!problem.empty()) return Fail(Named(name) + ": not a recording the program loads: " + problem);
  return WriteCopy(o, name, recording);
}
