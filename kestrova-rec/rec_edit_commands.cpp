// The commands that edit a recording: retime, cut, join and move. Each reads
// recordings or self-playing copies the program loads, edits their records
// (rec_edit.h) and writes a recording, or a copy with --stub.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "kestrova-rec/rec_cli.h"
#include "kestrova-rec/rec_edit.h"
#include "kestrova-rec/rec_text.h"

extern const char kRetimeHelp[] =
    "usage: kestrova-rec retime FILE [--speed F] [--max-pause S] -o OUT\n"
    "\n"
    "Plays the recording at another pace: --speed F divides every pause by F\n"
    "(0.1 to 100, at most three decimals: 2 is twice as fast, 0.5 half as\n"
    "fast); --max-pause S shortens every pause longer than S seconds to S (0 to\n"
    "2147483.647). With both, the pauses are divided first. The first record\n"
    "keeps its time and the records their order; a pause where the clock stepped\n"
    "back is no pause. Each time is the exact one rounded to the millisecond.\n"
    "Only times change: a window note keeps the time of the input after it.\n";

extern const char kCutHelp[] =
    "usage: kestrova-rec cut FILE [--from T] [--to T] -o OUT\n"
    "\n"
    "Keeps the records from T seconds after the first record (--from, 0 when\n"
    "left out) to T seconds after it (--to, the end when left out), both\n"
    "included, at most three decimals; show's pauses add up to these times. The\n"
    "part never leaves a key or a button held: what is pressed in it and not let\n"
    "go is let go at its end, and a release whose press lies before it is\n"
    "dropped. The last window note before the part, when it names a window, is\n"
    "put at its start, so that its input goes where it went; a note at its end,\n"
    "with no input after it, is dropped. A part that does not start with a\n"
    "key-down or a move (a note cannot start a recording) starts with a move to\n"
    "where the cursor was, since the program loads no other.\n";

extern const char kJoinHelp[] =
    "usage: kestrova-rec join FILE FILE... [--pause S] -o OUT\n"
    "\n"
    "One recording after the other, in the order given: each starts S seconds\n"
    "(--pause, 1 by default, at most three decimals) after the last record of\n"
    "the one before, its own pauses as they were. Recordings and self-playing\n"
    "copies may be mixed. A recording with an end marker stops playback there,\n"
    "before the ones after it: join says so. Window notes are kept; a file after\n"
    "one whose last note names a window starts with a note of no window, so\n"
    "that its own input before its first note plays where it was recorded.\n";

extern const char kMoveHelp[] =
    "usage: kestrova-rec move FILE [--by DX DY] [--screen W1xH1 [W2xH2]] -o OUT\n"
    "\n"
    "Moves the positions of the mouse records (moves, buttons, the wheel); key\n"
    "records are untouched. --screen W1xH1 W2xH2 maps positions recorded on a\n"
    "W1 by H1 screen to a W2 by H2 one: each coordinate scaled and rounded to\n"
    "the nearest pixel, the last pixel onto the last pixel. --by DX DY then\n"
    "shifts every position (negative: left or up). With --screen, every\n"
    "position is kept on the screen (W2xH2, or W1xH1 when only one size is\n"
    "given): one shifted or lying beyond its edge is put on the edge. Window\n"
    "notes' rectangles move and scale with the positions, each edge as a\n"
    "position, but are not kept on the screen: a window may reach beyond it.\n";

namespace {

constexpr std::uint64_t kMostPauseMs = 2147483647;  // the longest pause the 32-bit times tell forward

std::string Quoted(const char* text) { return "\"" + Escaped(text) + "\""; }

std::string Seconds(std::uint64_t ms) { return std::to_string(ms / 1000) + "." + std::to_string(1000 + ms % 1000).substr(1) + " s"; }

// The records of a recording or a copy the program loads; false once told why not.
bool ReadRecords(const std::string& path, Records& records) {
  Bytes file;
  if (!Read(path, file)) return false;
  std::string problem = CheckFile(file);
  if (!problem.empty()) return Fail(Named(path) + ": " + problem), false;
  RecSource source = ReadSource(file);
  records = RecordsOf(file.data() + source.offset, source.record_bytes);
  return true;
}

int WriteRecords(const Options& o, const Records& records) {
  Bytes bytes(records.size() * sizeof(InputEvent));
  if (!records.empty()) std::memcpy(bytes.data(), records.data(), bytes.size());
  std::string problem = LoadProblem(bytes.data(), bytes.size());
  if (!problem.empty()) return Fail(Named(o.files[0]) + ": the program would not load what the edit gives: " + problem);
  return o.stub ? WriteCopy(o, o.files[0], bytes) : Write(o.out, bytes);
}

// Seconds of an option, as milliseconds; false when they are none.
bool ReadSeconds(const char* text, std::uint64_t most_ms, std::uint64_t& ms) {
  return text && ParseThousandths(text, most_ms, ms);
}

std::string SecondsWanted(const char* option, const char* text) {
  return std::string(option) + " takes seconds (0 to 2147483.647, at most three decimals), not " + Quoted(text);
}

bool ReadSize(const char* text, ScreenSize& size) {
  std::string_view t = text ? text : "";
  std::size_t x = t.find('x');
  if (x == t.npos) return false;
  auto w = std::from_chars(t.data(), t.data() + x, size.width);
  auto h = std::from_chars(t.data() + x + 1, t.data() + t.size(), size.height);
  return w.ec == std::errc() && w.ptr == t.data() + x && h.ec == std::errc() && h.ptr == t.data() + t.size() &&
         size.width >= 2 && size.width <= 65535 && size.height >= 2 && size.height <= 65535;
}

bool ReadShift(const char* text, std::int64_t& shift) {
  std::string_view t = text ? text : "";
  std::int32_t value = 0;
  auto r = std::from_chars(t.data(), t.data() + t.size(), value);
  shift = value;
  return !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size();
}

}  // namespace

int RetimeCommand(const Options& o) {
  std::uint64_t speed = 1000, cap = kNoCap;
  if (!o.speed && !o.max_pause) return WrongUsage("retime needs --speed F, --max-pause S or both", "retime");
  if (o.speed && (!ParseThousandths(o.speed, 100000, speed) || speed < 100))
    return WrongUsage("--speed takes a factor from 0.1 to 100 (at most three decimals), not " + Quoted(o.speed),
                      "retime");
  if (o.max_pause && !ReadSeconds(o.max_pause, kMostPauseMs, cap))
    return WrongUsage(SecondsWanted("--max-pause", o.max_pause), "retime");
  Records records;
  if (!ReadRecords(o.files[0], records)) return kFailed;
  Retime(records, speed, cap);
  return WriteRecords(o, records);
}

int CutCommand(const Options& o) {
  std::uint64_t from = 0, to = kNoCap, most = kNoCap / 1000;
  if (o.from && !ReadSeconds(o.from, most, from)) return WrongUsage(SecondsWanted("--from", o.from), "cut");
  if (o.to && !ReadSeconds(o.to, most, to)) return WrongUsage(SecondsWanted("--to", o.to), "cut");
  if (from > to) return WrongUsage("--from " + Seconds(from) + " comes after --to " + Seconds(to), "cut");
  Records records, part;
  if (!ReadRecords(o.files[0], records)) return kFailed;
  std::string problem = Cut(records, from, to, part);
  if (!problem.empty())
    return Fail(Named(o.files[0]) + ": " + problem + " (from " + Seconds(from) + (o.to ? " to " + Seconds(to) : "") +
                "; its records lie from 0 to " + Seconds(ElapsedMs(records).back()) + ")");
  return WriteRecords(o, part);
}

int JoinCommand(const Options& o) {
  std::uint64_t pause = 1000;
  if (o.pause && !ReadSeconds(o.pause, kMostPauseMs, pause))
    return WrongUsage(SecondsWanted("--pause", o.pause), "join");
  Records joined, next;
  for (std::size_t i = 0; i < o.files.size(); ++i) {
    if (!ReadRecords(o.files[i], next)) return kFailed;
    std::size_t played = PlayedRecords(next);
    if (played < next.size() && i + 1 < o.files.size())
      std::fprintf(stderr, "kestrova-rec: %s: note: record %zu is an end marker: playback of the joined recording "
                   "stops there and never plays what follows it\n", Named(o.files[i]).c_str(), played + 1);
    Join(joined, next, static_cast<std::uint32_t>(pause));
  }
  return WriteRecords(o, joined);
}

int MoveCommand(const Options& o) {
  MoveEdit edit{};
  if (!o.by[0] && !o.screen[0]) return WrongUsage("move needs --by DX DY, --screen W1xH1 W2xH2 or both", "move");
  if (o.by[0] && (!ReadShift(o.by[0], edit.dx) || !ReadShift(o.by[1], edit.dy)))
    return WrongUsage("--by takes two whole numbers of pixels, not " + Quoted(o.by[0]) + " " + Quoted(o.by[1]), "move");
  for (int i = 0; i < 2 && o.screen[i]; ++i)
    if (!ReadSize(o.screen[i], i ? edit.to : edit.from))
      return WrongUsage("--screen takes sizes such as 1920x1080 (2 to 65535 pixels each way), not " +
                        Quoted(o.screen[i]), "move");
  edit.clamp = o.screen[1] ? edit.to : edit.from;
  Records records;
  if (!ReadRecords(o.files[0], records)) return kFailed;
  MovePositions(records, edit);
  return WriteRecords(o, records);
}
