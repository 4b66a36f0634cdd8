// kestrova-rec's text form and copies, against recordings made by hand.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "kestrova-rec/rec_file.h"
#include "kestrova-rec/rec_io.h"
#include "kestrova-rec/rec_text.h"

namespace {

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
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4) << "no work file left";
  EXPECT_EQ(WriteWhole(kept, "new", 3), "");
  EXPECT_EQ(Slurp(kept), "new");
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
      {"pack -o x.rec -o y.rec a.txt", 2, "-o is given twice"},
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
