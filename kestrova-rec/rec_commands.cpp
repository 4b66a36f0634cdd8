// The commands that read, check and repack a recording or a copy: show,
// pack, check, extract and compile, and the file handling all commands share.
#include <cstdio>
#include <string>
#include <string_view>

#include "kestrova-rec/rec_cli.h"
#include "kestrova-rec/rec_io.h"
#include "kestrova-rec/rec_text.h"

int Fail(const std::string& what) {
  std::fprintf(stderr, "kestrova-rec: %s\n", what.c_str());
  return kFailed;
}

int WrongUsage(const std::string& what, const char* command) {
  std::fprintf(stderr, "kestrova-rec: %s\ntry 'kestrova-rec %s%s--help'\n", what.c_str(), command, *command ? " " : "");
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
