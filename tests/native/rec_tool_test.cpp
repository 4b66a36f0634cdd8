// kestrova-rec's text form and copies, against recordings made by hand.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/window_note.h"
#include "kestrova-rec/rec_edit.h"
#include "kestrova-rec/rec_file.h"
#include "kestrova-rec/rec_io.h"
#include "kestrova-rec/rec_text.h"

// Stand-ins for the system's fsync and rename, which the tool's calls reach
// first: while a trail is kept they note each call (a file with its size and
// bits), and fail with EIO the sync whose note begins with g_failing.
std::string* g_trail;
std::string g_failing = "none";
extern "C" int fsync(int fd) {
  static auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
  struct stat s;
  if (!g_trail || fstat(fd, &s) != 0) return real(fd);
  char note[64];
  std::snprintf(note, sizeof note, S_ISDIR(s.st_mode) ? "folder" : "file of %lld bytes, %o", (long long)s.st_size,
                s.st_mode & 07777u);
  *g_trail += std::string(" | sync ") + note;
  if (std::string(note).rfind(g_failing, 0) == 0) return errno = EIO, -1;
  return real(fd);
}
extern "C" int rename(const char* from, const char* to) noexcept {
  static auto real = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
  if (g_trail) *g_trail += " | rename";
  return real(from, to);
}

namespace {

// The records of a note at time 0: of a window at -8 80, 640 by 480, or of
// none when the class is empty.
Records Noted(const std::string& window_class, const std::string& title) {
  WindowNote note = {-8, 80, 640, 480, {}, {}};
  if (window_class.empty()) note = {};
  window_class.copy(note.window_class, kNoteTextCapacity - 1);
  title.copy(note.title, kNoteTextCapacity - 1);
  Records records(kNoteMaxRecords);
  records.resize(WriteNote(note, 0, records.data(), kNoteMaxRecords));
  return records;
}

Bytes Of(const std::vector<InputEvent>& records) {
  Bytes bytes(records.size() * sizeof(InputEvent));
  if (!records.empty()) std::memcpy(bytes.data(), records.data(), bytes.size());
  return bytes;
}

// The text with every run of blanks made one: the columns are for the eye.
std::string Squeezed(std::string text) {
  for (std::size_t at; (at = text.find("  ")) != std::string::npos;) text.erase(at, 1);
  for (std::size_t at; (at = text.find("\n ")) != std::string::npos;) text.erase(at + 1, 1);
  return text;
}

Bytes Pack(const std::string& text) {
  Bytes out;
  PackErrors errors;
  EXPECT_TRUE(PackText(text, out, errors)) << "line " << errors.first[0].line << ": " << errors.first[0].what;
  return out;
}

// A stand-in for the program's image: a PE header, the fields as the
// program lays them out, and no marker anywhere else.
constexpr std::size_t kFields = 20000;
Bytes Stub() {
  Bytes stub(kStubSize);
  for (std::size_t i = 0; i < stub.size(); ++i) stub[i] = static_cast<std::uint8_t>(i % 251 + 1) & 0x3F;
  std::memcpy(&stub[0], "MZ", 2);
  stub[0x3C] = 0x80, stub[0x3D] = stub[0x3E] = stub[0x3F] = 0;
  std::memcpy(&stub[0x80], "PE\0\0", 4);
  std::memcpy(&stub[kFields], "@@@@@\0$$$$$\0" "032768", 18);
  return stub;
}

// The records of the text form, and the text form of records without its summary.
Records RecordsOfText(const std::string& text) {
  Bytes bytes = Pack(text);
  return RecordsOf(bytes.data(), bytes.size());
}
std::string Lines(const Records& records) {
  std::string text = ShowFile(Of(records));
  return Squeezed(text.substr(text.find("start")));
}

// Runs the tool in the folder; returns its exit status and what it said.
std::pair<int, std::string> RunTool(const std::string& dir, const std::string& args) {
  const char* tool = std::getenv("KESTROVA_REC") ? std::getenv("KESTROVA_REC") : "build/tool/kestrova-rec";
  std::string command = "cd " + dir + " && " + std::filesystem::absolute(tool).string() + " " + args + " 2>&1";
  std::FILE* run = popen(command.c_str(), "r");
  std::string said;
  for (int ch; (ch = std::fgetc(run)) != EOF;) said += static_cast<char>(ch);
  return {WEXITSTATUS(pclose(run)), said};
}

std::string Slurp(const std::string& path) {
  Bytes bytes;
  return ReadWhole(path, bytes).empty() ? std::string(bytes.begin(), bytes.end()) : "(missing)";
}

}  // namespace

TEST(RecText, ShowsEveryKindOfRecordAndPacksBackTheSameBytes) {
  std::vector<InputEvent> records = {
      {512, 512, 384, 1000, 0x200A4},
      {256, 0x1D11, 0x1D, 1016, 0x200A4},
      {257, 0x1E41, 0x1E, 1036, 0x200A4},
      {256, 0x532E, 0x53, 1036, 0},
      {256, 0x27BA, 0x27, 1040, 0},
      {256, 0xFFFFFFFF, 0xFFFFFFFF, 1039, 0},  // the clock went back a millisecond
      {257, 0x123456A2, 0, 1100, 0},           // key field and scan code disagree
      {513, 120, 96, 1200, 0},
      {514, 120, 96, 1280, 0},
      {516, 0x80000000, 0xFFFFFFFF, 1290, 0},
      {517, 0x7FFFFFFF, 0, 1300, 0},
      {256, 4, 0, 1300, 0},  // the middle button, as captured
      {257, 6, 0, 1300, 0},  // the second side button
      {522, 412, 300, 1302, 0xFFFFFF88},
      {526, 0xFFFFFFF6, 5, 1303, 30},  // a fraction of a notch
      {515, 7, 8, 1303, 0},
      {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0},
      {257, 0x3B70, 0x3B, 4, 0},  // the clock wrapped
      {0, 0, 0, 4, 0},
      {0, 5, 6, 10, 1},
      {512, 1, 2, 12, 0},
  };
  Bytes file = Of(records);
  std::string text = ShowFile(file);
  EXPECT_EQ(Squeezed(text),
            "# 21 records, 0.309 s, 4 key presses, 3 clicks, 2 scrolls\n"
            "# the clock steps back 2 times\n"
            "# playback ends at the end marker, record 19 of 21; what follows it is never played\n"
            "start 1000\n"
            "0 move 512 384 window 0x000200a4\n"
            "16 key-down Ctrl scan 29 window 0x000200a4\n"
            "20 key-up A scan 30 window 0x000200a4\n"
            "0 key-down Delete scan 83\n"
            "4 key-down 0xba scan 39\n"
            "-1 key-down 0xff scan 4294967295 # the clock stepped back\n"
            "61 key-up LeftCtrl scan 0 code 1193046\n"
            "100 left-down 120 96\n"
            "80 left-up 120 96\n"
            "10 right-down -2147483648 -1\n"
            "10 right-up 2147483647 0\n"
            "0 key-down MiddleButton scan 0\n"
            "0 key-up SideButton2 scan 0\n"
            "2 wheel -120 at 412 300\n"
            "1 hwheel 30 at -10 5\n"
            "0 message 515 7 8 # not played\n"
            "-1304 message 4294967295 4294967295 4294967295 # not played\n"
            "5 key-up F1 scan 59\n"
            "0 end # playback ends here\n"
            "6 message 0 5 6 window 0x00000001\n"
            "2 move 1 2\n");
  // However wide a gap, the events stand in one column.
  records[3].time = 2000000000, records[4].time = 2000000004;
  text = ShowFile(Of(records));
  std::size_t column = 0;
  for (std::size_t at = text.find("\nstart") + 1; (at = text.find('\n', at) + 1) < text.size();) {
    std::size_t event = text.find_first_not_of(' ', text.find(' ', text.find_first_not_of(' ', at)));
    if (!column) column = event - at;
    EXPECT_EQ(event - at, column) << text.substr(at, text.find('\n', at) - at);
  }
  EXPECT_EQ(Pack(text), Of(records)) << "show then pack";
  text = ShowFile(file);
  EXPECT_EQ(Pack(text), file) << "show then pack";
}

TEST(RecText, PackRebuildsTimesFromTheGapsOfAnEditedText) {
  Bytes shown = Of({{512, 10, 20, 500, 7}, {513, 10, 20, 700, 7}, {514, 10, 20, 750, 7}});
  std::string text = ShowFile(shown);
  // A person deletes the click's first line and writes a key in their own way.
  std::size_t press = text.find("left-down");
  text.erase(text.rfind('\n', press) + 1, text.find('\n', press) - text.rfind('\n', press));
  text += "  25\tKEY-DOWN num5   Window 0x10 # typed\r\n0x10 key-up Escape scan 0x1\n-5 key-up vk_return\n"
          "0 key-down PgUp\n0 key-up 186 code 0x0\n0 key-down 07\n0 key-up 7\n0 move 0xffffffff -0x10 window 16\n";
  Bytes packed = Pack("\xEF\xBB\xBF" + text);
  std::vector<InputEvent> expected = {{512, 10, 20, 500, 7},      {514, 10, 20, 550, 7},      {256, 0x65, 0, 575, 0x10},
                                      {257, 0x11B, 1, 591, 0},    {257, 0x0D, 0, 586, 0},     {256, 0x21, 0, 586, 0},
                                      {257, 0xBA, 0, 586, 0},     {256, 0x07, 0, 586, 0},     {257, 0x37, 0, 586, 0},
                                      {512, 0xFFFFFFFF, 0xFFFFFFF0, 586, 16}};
  EXPECT_EQ(packed, Of(expected)) << text;
}

TEST(RecText, PackNamesEveryLineAndWhatIsWrongThere) {
  using namespace std::string_literals;
  struct Case {
    std::string text;
    std::size_t line;
    const char* what;
  } cases[] = {
      {"start 5\n\n0 kez-down A\n", 3, "unknown event \"kez-down\""},
      {"0 key-down Ctrlx\n", 1, "unknown key \"Ctrlx\""},
      {"0 key-down Menu\n", 1, "did you mean Alt or Apps"},
      {"0 key-down 256\n", 1, "unknown key \"256\""},
      {"0 key-down \x1b]0;\"\n", 1, "unknown key \"\\x1b]0;\\x22\""},
      {"# note\n0 move 1\n", 2, "needs a position"},
      {"0 move 1 2\nx move 1 2\n", 2, "gap in milliseconds"},
      {"0 move 1 2147483648\n", 1, "a position is two numbers"},
      {"0 move 1 2 scan 3\n", 1, "unexpected \"scan\""},
      {"0 key-down A scan 1 scan 2\n", 1, "a second scan"},
      {"0 key-down A code 16777216\n", 1, "code is a number from 0 to 16777215"},
      {"0 key-down A window\n", 1, "window needs a number"},
      {"0 move 1 2\nstart 5\n", 2, "start comes before the first record"},
      {"0 move 1 2\n0 wheel 120 5 6\n", 2, "wheel needs a delta and a place: wheel D at X Y"},
      {"0 move 1 2\n0 hwheel 1 at 5 6 window 3\n", 2, "a turn keeps no window"},
      {"0 wheel -120 at 5 6\n", 1, "the program loads a recording only when"},
      {"7\n", 1, "a gap without an event"},
      {"# nothing\n\n", 2, "no records"},
      {"start 9\n\n0 key-up A\n0 key-down A\n", 3, "the program loads a recording only when"},
      {"\xFF\xFE" "0\0 \0"s, 0, "UTF-16"},
      {"0\0 \0m\0o\0v\0e\0"s, 0, "UTF-16"},
      {"\0\2\0\0\1"s, 0, "binary recording, not text; use show"},
      {"0 move 1 2\n0 window \"a\" class B at 1 2\n", 2, "window needs a title, a class, a place and a size"},
      {"0 move 1 2\n0 window a class B at 1 2 size 3 4\n", 2, "title is written in quotes"},
      {"0 move 1 2\n0 window \"a\\q\" class B at 1 2 size 3 4\n", 2, "a backslash starts"},
      {"0 move 1 2\n0 window \"a # b class B at 1 2 size 3 4\n", 2, "the title's closing quote is missing"},
      {"0 move 1 2\n0 window \"\\x00\" class B at 1 2 size 3 4\n", 2, "a byte from 01 to ff"},
      {"0 move 1 2\n0 window \"\xf0\x9f\x98\x80\" class B at 1 2 size 3 4\n", 2, "which code page 936 lacks"},
      {"0 move 1 2\n0 window \"\" class \"\" at 1 2 size 3 4\n", 2, "class is never empty"},
      {"0 move 1 2\n0 window \"\" class B at 1 2 size 65536 4\n", 2, "size is two numbers from 0 to 65535"},
      {"0 move 1 2\n0 window \"" + std::string(128, 't') + "\" class B at 1 2 size 3 4\n", 2, "at most 127 bytes"},
      {"0 window none\n0 move 1 2\n", 1, "the program loads a recording only when"},
      {"0 move 1 2\n0 message 0x8057 0 0\n0 key-down A\n", 2, "no text record follows its head"},
  };
  for (const Case& c : cases) {
    Bytes out;
    PackErrors errors;
    EXPECT_FALSE(PackText(c.text, out, errors)) << c.text;
    ASSERT_EQ(errors.first.size(), 1u) << c.text;
    EXPECT_EQ(errors.first[0].line, c.line) << c.text << errors.first[0].what;
    EXPECT_NE(errors.first[0].what.find(c.what), std::string::npos) << c.text << "gave: " << errors.first[0].what;
  }
  std::string many = "0 move 1 2\n";
  for (int i = 0; i < 12; ++i) many += "0 key-down Nokey\n0 move 3 4\n";
  Bytes out;
  PackErrors errors;
  EXPECT_FALSE(PackText(many, out, errors));
  EXPECT_EQ(errors.count, 12u) << "every wrong line counted";
  ASSERT_EQ(errors.first.size(), 10u) << "the first ten kept";
  EXPECT_EQ(errors.first[9].line, 20u) << errors.first[9].what;
}

TEST(RecCopy, CompilesAsTheProgramDoesAndReadsTheCopyBack) {
  Bytes stub = Stub();
  Bytes recording = Of({{256, 0x1E41, 0x1E, 10, 3}, {257, 0x1E41, 0x1E, 90, 3}, {0, 0, 0, 0, 0}, {513, 1, 1, 99, 3}});

  Bytes copy;
  ASSERT_EQ(StubProblem(stub), "");
  ASSERT_EQ(CompileCopy(recording, stub, 99999, true, copy), "");
  ASSERT_EQ(copy.size(), kStubSize + 80) << "every record follows the image, also behind the end marker";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&copy[kFields]), 12), std::string("99999\0" "00001\0", 12));
  std::memcpy(&copy[kFields], "@@@@@\0$$$$$", 12);
  EXPECT_TRUE(std::equal(stub.begin(), stub.end(), copy.begin())) << "nothing else of the image changes";
  EXPECT_TRUE(std::equal(copy.begin() + kStubSize, copy.end(), recording.begin()));
  EXPECT_NE(UnplayedNote(recording).find("record 3 is an end marker"), std::string::npos) << UnplayedNote(recording);

  ASSERT_EQ(CompileCopy(recording, stub, 3, false, copy), "");
  EXPECT_NE(ShowFile(copy).find("repeat field \"00003\": 3 runs; speed field \"00000\": normal\n# 4 records"),
            std::string::npos)
      << ShowFile(copy);
  Bytes extracted;

  // Programs that are not a stub, nor a copy when records follow them.
  Bytes twice = stub, copy_image(copy.begin(), copy.begin() + kStubSize), no_pe = stub, short_stub = stub;
  std::memcpy(&twice[200], "$$$$$", 5);
  no_pe[0x80] = 'X';
  short_stub.pop_back();
  struct {
    const Bytes& stub;
    const char* why;
  } refusals[] = {
      {short_stub, "it is 32767 bytes"},
      {twice, "holds \"$$$$$\" 2 times"},
      {copy_image, "fields hold \"00003\" and \"00000\""},
      {no_pe, "not a Kestrova program image"},
  };
  for (const auto& r : refusals) {
    std::string why = StubProblem(r.stub);
    EXPECT_NE(why.find(r.why), std::string::npos) << why;
    Bytes file = r.stub;
    file.insert(file.end(), recording.begin(), recording.end());
    if (&r.stub == &no_pe) {
      EXPECT_NE(CheckFile(file).find("neither a Kestrova program image nor"), std::string::npos) << CheckFile(file);
      EXPECT_NE(ExtractRecords(file, extracted), "") << r.why;
      EXPECT_EQ(ShowFile(file), "") << r.why;
    }
  }
  Bytes odd = copy;
  odd.push_back(0);  // one byte more than the records
  EXPECT_NE(CheckFile(odd).find("81 bytes are not a whole number"), std::string::npos);
  EXPECT_NE(CheckFile(Bytes{'s', 't', 'a', 'r', 't'}).find("a text, not a recording"), std::string::npos);
}

// A failed write leaves the output as it was and no work file beside it.
TEST(RecIo, AWriteReplacesTheOutputWholeOrNotAtAll) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("rec-io-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "folder");
  std::string kept = (dir / "kept.rec").string(), locked = (dir / "locked.rec").string();
  ASSERT_EQ(WriteWhole(kept, "old", 3), "");
  ASSERT_EQ(WriteWhole(locked, "old", 3), "");
  chmod(locked.c_str(), 0444);
  std::string big(1 << 20, 'x');
  struct rlimit before, limit;
  getrlimit(RLIMIT_FSIZE, &before);
  limit = {4096, before.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limit);  // as a full disk would, part way
  std::string full = WriteWhole(kept, big.data(), big.size());
  setrlimit(RLIMIT_FSIZE, &before);
  EXPECT_EQ(full, std::strerror(EFBIG));
  EXPECT_EQ(Slurp(kept), "old");
  EXPECT_NE(WriteWhole(locked, "new", 3).find("read-only"), std::string::npos);
  EXPECT_EQ(Slurp(locked), "old");
  EXPECT_EQ(WriteWhole((dir / "folder").string(), "new", 3), std::strerror(EISDIR));
  EXPECT_TRUE(fs::is_directory(dir / "folder"));
  // A pipe stands for a device node here: a wrong rename must not hit a real one.
  std::string pipe = (dir / "pipe").string();
  mkfifo(pipe.c_str(), 0666);
  EXPECT_NE(WriteWhole(pipe, "new", 3).find("not a regular file"), std::string::npos);
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_EQ(WriteWhole((dir / "none" / "x.rec").string(), "new", 3), std::strerror(ENOENT));
  // After a power cut the output is the old file or the new one, whole: the
  // work file, with the replaced file's bits, reaches the disk before the
  // rename, and the folder holding the rename after it. A failed sync fails.
  const std::string synced = " | sync file of 5 bytes, 604", io = std::strerror(EIO);
  const std::pair<const char*, std::string> syncs[] = {  // the failing sync; the calls, the reason, the output
      {"none", synced + " | rename | sync folder: fresh"},
      {"file", synced + ": " + io + ": old"},
      {"folder",
       synced + " | rename | sync folder: replaced, but its folder would not sync to the disk: " + io + ": fresh"},
  };
  for (const auto& [failing, got] : syncs) {
    ASSERT_EQ(WriteWhole(kept, "old", 3), "");
    chmod(kept.c_str(), 0604);
    std::string trail;
    g_trail = &trail, g_failing = failing;
    std::string why = WriteWhole(kept, "fresh", 5);
    g_trail = nullptr, g_failing = "none";
    EXPECT_EQ(trail + (why.empty() ? "" : ": " + why) + ": " + Slurp(kept), got) << failing;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4) << "no work file left";
  Bytes ignored;
  EXPECT_EQ(ReadWhole((dir / "folder").string(), ignored), std::strerror(EISDIR));
  EXPECT_TRUE(SameFile(kept, (dir / "folder" / ".." / "kept.rec").string()));
  fs::remove_all(dir);
}

// The command line as a user meets it: exit status, the reason, the files.
TEST(RecTool, CommandLine) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("rec-tool-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  Bytes stub = Stub(), copy, recording = Of({{256, 0x41, 0, 10, 0}});
  CompileCopy(recording, stub, 2, false, copy);
  WriteWhole((dir / "s.exe").string(), stub.data(), stub.size());
  WriteWhole((dir / "c.exe").string(), copy.data(), copy.size());
  WriteWhole((dir / "a.rec").string(), recording.data(), recording.size());
  WriteWhole((dir / "bad.rec").string(), "\0\1\0", 3);
  WriteWhole((dir / "-t.txt").string(), "0 key-down Esc\n", 15);
  const char* tool = std::getenv("KESTROVA_REC") ? std::getenv("KESTROVA_REC") : "build/tool/kestrova-rec";
  // The program and a copy compiled from it, signed as a publisher signs them.
  std::string sign = "k=$PWD/build/win64/kestrova.exe && cd " + dir.string() + " && cp $k k.exe && " +
                     fs::absolute(tool).string() + " compile a.rec --stub k.exe --repeat 2 -o kc.exe && openssl req "
                     "-x509 -newkey rsa:2048 -nodes -subj /CN=t -keyout k.pem -out c.pem 2>/dev/null && for f in k kc"
                     "; do osslsigncode sign -certs c.pem -key k.pem -in $f.exe -out s$f.exe >/dev/null; done";
  ASSERT_EQ(std::system(sign.c_str()), 0) << sign;
  struct {
    const char* args;
    int status;
    const char* says;
  } cases[] = {
      {"compile a.rec --stub skc.exe -o x.exe", 1, "32788 bytes without its signature"},
      {"compile a.rec --stub sk.exe --repeat 2 -o sx.exe", 0, ""},
      {"show skc.exe", 0, "then its signature\n# repeat field \"00002\""},
      {"extract skc.exe -o e.rec", 0, ""},
      {"compile a.rec --stub s.exe -o s.exe", 2, "is also the input s.exe"},
      {"compile a.rec --stub s.exe --repeat 100000 -o x.exe", 2, "from 1 to 99999"},
      {"compile a.rec --stub s.exe --repeat=0 -o x.exe", 2, "from 1 to 99999"},
      {"compile a.rec --stub c.exe -o x.exe", 1, "c.exe: not a stub"},
      {"compile a.rec --stub=s.exe --force -o a.rec", 0, ""},
      {"extract sk.exe -o x.rec", 1, "nothing appended but its signature"},
      {"show c.exe", 0, "00002"},
      {"show bad.rec", 1, "bad.rec: 3 bytes are not a whole number"},
      {"show s.exe", 1, "nothing appended"},
      {"pack -o --fast a.txt", 2, "not the option --fast"},
      {"pack -o x.rec -o y.rec a.txt", 2, "-o is given twice\ntry 'kestrova-rec pack --help'\n"},
      {"pick a.rec", 2, "unknown command pick\ntry 'kestrova-rec --help'\n"},
      {"pack --output=x.rec -- -t.txt", 0, ""},
      {"--version", 0, "kestrova-rec 1."},
  };
  for (const auto& c : cases) {
    std::string command = "cd " + dir.string() + " && " + fs::absolute(tool).string() + " " + c.args + " 2>&1";
    std::FILE* run = popen(command.c_str(), "r");
    std::string said;
    for (int ch; (ch = std::fgetc(run)) != EOF;) said += static_cast<char>(ch);
    int status = pclose(run);
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.args << "\n" << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << c.args << "\n" << said;
    EXPECT_TRUE(c.status != 2 || std::count(said.begin(), said.end(), '\n') == 2) << "a usage error, then the help to try";
  }
  EXPECT_EQ(Slurp((dir / "s.exe").string()), std::string(stub.begin(), stub.end())) << "the stub kept";
  EXPECT_EQ(Slurp((dir / "a.rec").string()).size(), kStubSize + 20) << "replaced when asked for";
  EXPECT_EQ(Slurp((dir / "x.rec").string()), std::string("\0\1\0\0\x1b\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 20));
  EXPECT_EQ(Slurp((dir / "e.rec").string()), std::string(recording.begin(), recording.end())) << "the signed copy's";
  // From the signed program, the copy the unsigned one gives, but for the checksum the signer set.
  std::string expected = Slurp((dir / "kc.exe").string()), got = Slurp((dir / "sx.exe").string());
  std::size_t checksum = static_cast<std::uint8_t>(expected[0x3C]) + 88;
  expected.replace(checksum, 4, Slurp((dir / "sk.exe").string()), checksum, 4);
  auto first_difference = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin();
  EXPECT_TRUE(got == expected) << got.size() << " bytes, the first difference at " << first_difference;
  fs::remove_all(dir);
}

// Every time within half a millisecond of the exact one, never out of order,
// whatever the speed and the pauses (steps back and a wrapped clock too).
TEST(RecEdit, RetimeRoundsTheExactTimesWithoutReordering) {
  Records evenly = RecordsOfText("start 1000\n0 move 1 1\n100 move 2 2\n100 move 3 3\n-40 move 4 4\n");
  Retime(evenly, 2000, kNoCap);
  EXPECT_EQ(Lines(evenly), "start 1000\n0 move 1 1\n50 move 2 2\n50 move 3 3\n0 move 4 4\n") << "twice as fast";
  std::uint32_t seed = 7;
  for (std::uint64_t speed : {100u, 700u, 1000u, 3000u, 33333u, 100000u}) {
    Records records(500);
    std::uint32_t time = 0xFFFFF000u;  // the clock wraps part way
    for (InputEvent& r : records) {
      seed = seed * 1103515245u + 12345u;
      r = {512, 0, 0, time, 0};
      time += seed % 7 == 0 ? -static_cast<std::uint32_t>(seed >> 24) : (seed >> 16) % 3000;
    }
    std::vector<std::uint64_t> before = ElapsedMs(records);
    for (std::uint64_t cap : {kNoCap, std::uint64_t{250}}) {
      Records retimed = records;
      Retime(retimed, speed, cap);
      std::vector<std::uint64_t> after = ElapsedMs(retimed);
      double exact = 0;
      for (std::size_t i = 1; i < records.size(); ++i) {
        exact += std::min((before[i] - before[i - 1]) * 1000.0 / speed, static_cast<double>(cap));
        std::int32_t step = static_cast<std::int32_t>(retimed[i].time - retimed[i - 1].time);
        ASSERT_GE(step, 0) << "record " << i << " at speed " << speed;
        ASSERT_NEAR(static_cast<double>(after[i]), exact, 0.5 + 1e-6) << "record " << i << " at speed " << speed;
      }
      EXPECT_EQ(retimed[0].time, records[0].time) << "record 0 keeps its time";
    }
  }
}

TEST(RecEdit, CutLetsGoOfWhatItHoldsAndStartsAsTheProgramLoads) {
  Records records = RecordsOfText("start 1000\n0 move 10 20\n100 key-down Shift\n100 key-down A\n100 key-up A\n"
                                  "100 left-down 30 40\n100 move 50 60\n100 left-up 50 60\n100 key-up Shift\n"
                                  "100 key-down B\n100 key-up B\n100 message 515 0 0\n100 key-down C\n");
  struct {
    std::uint64_t from, to;
    const char* want;
  } cases[] = {
      {0, 250, "start 1000\n0 move 10 20\n100 key-down Shift scan 0\n100 key-down A scan 0\n0 key-up A scan 0\n"
               "0 key-up Shift scan 0\n"},
      {250, 550, "start 1400\n0 move 30 40\n0 left-down 30 40\n100 move 50 60\n0 left-up 50 60\n"},
      {650, 900, "start 1800\n0 key-down B scan 0\n100 key-up B scan 0\n"},
      {1000, kNoCap, "start 2000\n0 move 50 60\n0 message 515 0 0 # not played\n100 key-down C scan 0\n"
                     "0 key-up C scan 0\n"},
      {1200, kNoCap, "no record lies in the part"},
  };
  for (const auto& c : cases) {
    Records part;
    std::string problem = Cut(records, c.from, c.to, part);
    EXPECT_EQ(problem.empty() ? Lines(part) : problem, c.want) << "from " << c.from << " to " << c.to;
  }
  Records part, unplaced = RecordsOfText("0 key-down A\n0 message 522 0 0\n0 message 515 0 0\n");
  EXPECT_NE(Cut({unplaced[2]}, 0, 0, part).find("no mouse record before it"), std::string::npos);
  EXPECT_EQ(Cut(unplaced, 0, 0, part), "");
  EXPECT_EQ(Lines({part[0]}), "start 0\n0 key-down A scan 0\n") << "a key down needs no move before it";
}

TEST(RecEdit, MoveMapsScreensEdgeToEdgeAndLeavesKeysAlone) {
  Records records = RecordsOfText("0 move 0 0\n0 key-down 0x41 scan 7\n0 move 639 479\n0 right-up 320 240\n"
                                  "0 move -30 2000\n0 message 522 100 0xfffffffb\n");
  Records mapped = records, shifted = records;
  MovePositions(mapped, {{640, 480}, {1920, 1080}, 0, 0, {1920, 1080}});
  MovePositions(shifted, {{}, {}, -5, 20, {}});
  // The wheel's position too, as a mouse record's.
  for (Records* r : {&mapped, &shifted}) r->back().message = 512;
  EXPECT_EQ(Lines(mapped), "start 0\n0 move 0 0\n0 key-down A scan 7\n0 move 1919 1079\n0 right-up 961 541\n"
                           "0 move 0 1079\n0 move 300 0\n");
  EXPECT_EQ(Lines(shifted), "start 0\n0 move -5 20\n0 key-down A scan 7\n0 move 634 499\n0 right-up 315 260\n"
                            "0 move -35 2020\n0 move 95 15\n");
}

// The edits as a user meets them: exit status, the reason, the bytes written.
TEST(RecTool, EditCommandLines) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("rec-edit-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  Bytes held = Pack("0 move 5 5\n100 key-down Shift\n100 key-down A\n100 key-up A\n100 key-up Shift\n"), copy;
  CompileCopy(held, Stub(), 3, false, copy);
  WriteWhole((dir / "held.rec").string(), held.data(), held.size());
  WriteWhole((dir / "c.exe").string(), copy.data(), copy.size());
  WriteWhole((dir / "s.exe").string(), Stub().data(), kStubSize);
  Records noted = Noted("Notepad", "x");
  noted.insert(noted.begin(), {512, 1, 2, 0, 0});
  WriteWhole((dir / "noted.rec").string(), Of(noted).data(), 60);
  WriteWhole((dir / "torn.rec").string(), Of(noted).data(), 40);
  struct {
    const char* args;
    int status;
    const char* says;
    const char* out;
    std::size_t bytes;  // of out afterwards
  } cases[] = {
      {"retime held.rec --speed 0 -o r.rec", 2, "from 0.1 to 100", "r.rec", 0},
      {"retime held.rec --speed 1000 -o r.rec", 2, "not \"1000\"", "r.rec", 0},
      {"retime held.rec --speed 0.0001 -o r.rec", 2, "not \"0.0001\"", "r.rec", 0},
      {"retime held.rec -o r.rec", 2, "needs --speed F, --max-pause S or both", "r.rec", 0},
      {"retime c.exe --speed 2.5 --max-pause 0.01 -o r.rec", 0, "", "r.rec", 100},
      {"show r.rec", 0, "# 5 records, 0.040 s", "r.rec", 100},
      {"cut held.rec --from 0.1 --to 0.25 -o k.rec", 0, "", "k.rec", 80},
      {"show k.rec", 0, "# 4 records, 0.100 s, 2 key presses", "k.rec", 80},
      {"cut held.rec --from 0.3 --to 0.2 -o x.rec", 2, "--from 0.300 s comes after --to 0.200 s", "x.rec", 0},
      {"cut held.rec --from 9 -o x.rec", 1, "held.rec: no record lies in the part (from 9.000 s; its records lie "
                                            "from 0 to 0.400 s)", "x.rec", 0},
      {"join c.exe held.rec -o j.rec", 0, "", "j.rec", 200},
      {"show j.rec", 0, "# 10 records, 1.800 s, 4 key presses", "j.rec", 200},
      {"join held.rec -o x.rec", 2, "join needs 2 files or more", "x.rec", 0},
      {"join held.rec s.exe --pause 2 -o x.rec", 1, "s.exe: a Kestrova program image with nothing", "x.rec", 0},
      {"join held.rec held.rec --pause -1 -o x.rec", 2, "--pause takes seconds", "x.rec", 0},
      {"move held.rec --by -10 300 --screen 800x600 -o m.rec", 0, "", "m.rec", 100},
      {"show m.rec", 0, "move 0 305", "m.rec", 100},
      {"move held.rec --screen 800x600 1x5 -o x.rec", 2, "not \"1x5\"", "x.rec", 0},
      {"move held.rec --by 3 1.5 -o x.rec", 2, "--by takes two whole numbers", "x.rec", 0},
      {"move held.rec --speed 2 -o x.rec", 2, "--speed is not an option of move", "x.rec", 0},
      {"move held.rec --by 1 1 -o held.rec", 2, "is also the input held.rec", "held.rec", 100},
      {"cut held.rec --to 0.15 --repeat 2 -o x.exe", 2, "give --stub kestrova.exe too", "x.exe", 0},
      {"cut held.rec --to 0.15 --stub s.exe --repeat 2 -o x.exe", 0, "", "x.exe", kStubSize + 60},
      {"show x.exe", 0, "\"00002\": 2 runs; speed field \"00000\": normal\n# 3 records", "x.exe", kStubSize + 60},
      {"cut --help", 0, "let go at its end", "x.exe", kStubSize + 60},
      {"show noted.rec", 0, "# 3 records, 0.000 s, 0 key presses, 0 clicks, 0 scrolls, 1 window note\n", "noted.rec", 60},
      {"check torn.rec", 1, "torn.rec: record 2: a torn window note: no text record follows its head", "torn.rec", 40},
  };
  for (const auto& c : cases) {
    auto [status, said] = RunTool(dir.string(), c.args);
    EXPECT_EQ(status, c.status) << c.args << "\n" << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << c.args << "\n" << said;
    EXPECT_EQ(Slurp((dir / c.out).string()).size(), c.bytes ? c.bytes : 9) << c.args << ": bytes of " << c.out;
  }
  fs::remove_all(dir);
}

// A note on one line, its title in UTF-8 where code page 936 converts there
// and back, other bytes escaped; and packed back to the same bytes.
TEST(RecNotes, ShowsEachNoteAsOneLineAndPacksItBackByteForByte) {
  const std::string c127(127, 'c'), t127(127, 't'), at = " at -8 80 size 640 480";
  const std::string cases[][3] = {
      {"Notepad", "无标题 - 记事本", u8"window \"无标题 - 记事本\" class Notepad" + at},
      {"#32770", "say \"hi\" \\ #2", R"(window "say \"hi\" \\ #2" class "#32770")" + at},
      {"My Class", "\x1b]0;\x80\xff\xaa\xa1\x81 x\xfe", R"(window "\x1b]0;)" + std::string(u8"€") +
                                                             R"(\xff\xaa\xa1\x81 x\xfe" class "My Class")" + at},
      {c127, t127, "window \"" + t127 + "\" class " + c127 + at},
      {"", "", "window none"},
  };
  for (const auto& [window_class, title, line] : cases) {
    Records records = Noted(window_class, title);
    records.insert(records.begin(), {512, 1, 2, 0, 0});
    records.push_back({256, 0x41, 0, 0, 0});
    EXPECT_EQ(Lines(records), "start 0\n0 move 1 2\n0 " + line + "\n0 key-down A scan 0\n");
    EXPECT_EQ(Pack(ShowFile(Of(records))), Of(records)) << line;
  }
}

TEST(RecNotes, ATornNoteIsNamedByItsRecordAndWhatIsWrong) {
  const Records note = Noted("Notepad", "a.txt - Note");  // 8 + 13 bytes: 3 records
  const InputEvent move = {512, 1, 2, 0, 0}, later = {kNoteTextMessage, 0, 0, 1, 0};
  Records behind = {move, note[0], note[1], note[2]}, long_class = Noted(std::string(127, 'c'), ""),
          placed = Noted("", ""), longest = Noted(std::string(127, 'c'), std::string(127, 't'));
  behind[3].window |= 1u << 24;
  longest.insert(longest.begin(), move);
  longest.push_back(longest.back());
  long_class[11].param_h |= 'c' << 24;  // the class's zero, byte 127
  long_class.insert(long_class.begin(), move);
  placed[0].param_l = 5;
  placed.insert(placed.begin(), move);
  const std::pair<Records, const char*> cases[] = {
      {{move, note[0]}, "record 2: a torn window note: no text record follows its head"},
      {{move, note[1], note[2]}, "record 2: a text record of a window note without the note's head before it"},
      {{move, note[0], note[1]}, "record 2: a torn window note: its title does not end"},
      {{move, note[0], note[1], later}, "record 2: a torn window note: record 4, a text record of it, is at another"},
      {behind, "record 2: a torn window note: bytes behind the end of its title"},
      {longest, "record 2: a torn window note: a text record more than its class and title need"},
      {long_class, "record 2: a torn window note: its class is longer than 127 bytes"},
      {placed, "record 2: a torn window note: a note of no window (an empty class) with a title or a place"},
  };
  for (const auto& [records, why] : cases) {
    Bytes bytes = Of(records);  // exactly as long: a read past it is caught
    EXPECT_NE(LoadProblem(bytes.data(), bytes.size()).find(why), std::string::npos)
        << why << "\ngot: " << LoadProblem(bytes.data(), bytes.size());
  }
}

TEST(RecEdit, NotesGoWithTheirInputThroughEveryEdit) {
  const std::string note = "window \"a.txt - Note\" class Notepad at 100 50 size 640 480";
  const Records records = RecordsOfText("start 1000\n0 move 10 20\n100 " + note +
                                        "\n0 left-down 130 60\n100 left-up 130 60\n100 key-down A\n100 key-up A\n");
  Records part;
  ASSERT_EQ(Cut(records, 250, kNoCap, part), "");
  EXPECT_EQ(Lines(part), "start 1300\n0 move 130 60\n0 " + note + "\n0 key-down A scan 0\n100 key-up A scan 0\n")
      << "the note before the part at its start, after the move a recording starts with";
  ASSERT_EQ(Cut(records, 100, 150, part), "");
  EXPECT_EQ(Lines(part), "start 1100\n0 move 130 60\n0 " + note + "\n0 left-down 130 60\n0 left-up 130 60\n");
  Records joined = RecordsOfText("0 move 5 5\n");
  Join(joined, records, 0);
  Join(joined, records, 0);
  EXPECT_EQ(Lines(joined), "start 0\n0 move 5 5\n0 move 10 20\n100 " + note + "\n0 left-down 130 60\n100 left-up 130 60\n"
                           "100 key-down A scan 0\n100 key-up A scan 0\n0 window none\n0 move 10 20\n100 " + note +
                           "\n0 left-down 130 60\n100 left-up 130 60\n100 key-down A scan 0\n100 key-up A scan 0\n")
      << "a note of no window only where the file before ended in a window's reach";
  Records moved = records;
  MovePositions(moved, {{1920, 1080}, {960, 540}, 5, 0, {960, 540}});
  Retime(moved, 2000, kNoCap);
  EXPECT_EQ(Lines(moved), "start 1000\n0 move 10 10\n50 window \"a.txt - Note\" class Notepad at 55 25 size 320 240\n"
                          "0 left-down 70 30\n50 left-up 70 30\n50 key-down A scan 0\n50 key-up A scan 0\n")
      << "the window and the click in it halved alike; the note at its input's time";
}
