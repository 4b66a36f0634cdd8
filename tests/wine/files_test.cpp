// Recording files and self-playing copies on real files: byte layouts, short
// and broken files, failing saves and compiles, and what plays at start-up.
#include <cstring>

#include "core/heap_block.h"
#include "core/ids.h"
#include "core/run_mode.h"
#include "core/state.h"
#include "core/text.h"
#include "files/file_commands.h"
#include "files/file_dialog.h"
#include "files/file_name_rules.h"
#include "files/recording_file.h"
#include "files/self_play.h"
#include "tests/wine/harness.h"

extern "C" void *__imp_FlushFileBuffers, *__imp_MoveFileExA;

namespace {

// Stand-ins for the flush and the rename: they note the call (the flushed
// file's size, the rename's flags) and go on to the system's, or fail the
// flush as a disk that cannot take the bytes does.
std::string g_calls;
bool g_flush_fails;
void *g_flush, *g_move;
BOOL WINAPI NoteFlush(HANDLE file) {
  g_calls += " flush " + std::to_string(GetFileSize(file, nullptr));
  return !g_flush_fails && reinterpret_cast<BOOL(WINAPI*)(HANDLE)>(g_flush)(file);
}
BOOL WINAPI NoteMove(LPCSTR from, LPCSTR to, DWORD flags) {
  g_calls += " move " + std::to_string(flags);
  return reinterpret_cast<BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD)>(g_move)(from, to, flags);
}
// Writes the fields into the test's own image, read-only as in the program.
void PatchImageFields(const ImageFields& fields) {
  DWORD was = 0;
  VirtualProtect(const_cast<ImageFields*>(&g_image_fields), sizeof fields, PAGE_READWRITE, &was);
  std::memcpy(const_cast<ImageFields*>(&g_image_fields), &fields, sizeof fields);
  VirtualProtect(const_cast<ImageFields*>(&g_image_fields), sizeof fields, was, &was);
}
void NoteFlushAndMove(bool on) {
  if (on) g_calls.clear(), g_flush_fails = false;
  g_flush = ReplaceImport(&__imp_FlushFileBuffers, on ? reinterpret_cast<void*>(NoteFlush) : g_flush);
  g_move = ReplaceImport(&__imp_MoveFileExA, on ? reinterpret_cast<void*>(NoteMove) : g_move);
}

// Key records typing the word, as the file holds them.
std::string Keys(const char* word) {
  std::string bytes;
  for (std::uint32_t tick = 5000; *word; ++word)
    for (std::uint32_t message : {WM_KEYDOWN, WM_KEYUP}) {
      const InputEvent r = {message, 0x1E00u + static_cast<std::uint8_t>(*word), 0x1E, tick += 40, 0x10020};
      bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
  return bytes;
}

// Makes the records the recording, with an end marker and the stale records
// behind it, and the play position where a playback stopped early.
void SetRecording(const std::string& records, const std::string& stale, std::uint32_t position) {
  if (g_app.event_buffer) FreeBlock(g_app.event_buffer);
  auto* block = static_cast<char*>(AllocateBlock(static_cast<std::uint32_t>(records.size() + stale.size()) + 20, 1));
  std::memcpy(block, records.data(), records.size());
  std::memcpy(block + records.size() + 20, stale.data(), stale.size());
  g_app.event_buffer = reinterpret_cast<InputEvent*>(block);
  g_app.event_count = static_cast<std::uint32_t>(records.size() / 20);
  g_app.play_position = position;
}

std::string Recording() {
  return g_app.event_buffer ? std::string(reinterpret_cast<const char*>(g_app.event_buffer), g_app.event_count * 20)
                            : "(none)";
}

// The real program, beside this test program's folder.
std::string RealImage() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof self);
  const std::string path = self;
  return path.substr(0, path.rfind("\\wine-tests\\")) + "\\win64\\kestrova.exe";
}

}  // namespace

WINE_TEST(LoadRecordingTakesWholeRecordingsOnlyAndWarnsOfTheRest) {
  const std::string f = ScratchFolder("load"), word = Keys("KESTREL"), image(32768, 'M');
  auto first = [&](std::uint32_t message) { return std::string(reinterpret_cast<const char*>(&message), 4) + word.substr(4); };
  struct Case {
    std::string name, bytes;
    std::int32_t offset;
    std::uint32_t loaded;  // bytes; 0: the warning
  } cases[] = {
      {"zero.rec", "", 0, 0}, {"one.rec", std::string(1, '\0'), 0, 0}, {"nineteen.rec", std::string(19, '\0'), 0, 0},
      {"twenty.rec", word.substr(0, 20), 0, 20}, {"forty-one.rec", word.substr(0, 40) + "x", 0, 0},
      {"keyup.rec", first(257), 0, 0}, {"move.rec", first(512), 0, 280}, {"press.rec", first(513), 0, 0},
      {"zero-record.rec", std::string(20, '\0'), 0, 20}, {"copy.exe", image + word, 32768, 280},
      {"bad.exe", image + word + "x", 32768, 0}, {std::string(26, 'n') + ".rec", word, 0, 280},  // 29 bytes shown
  };
  HWND window = MakeMainWindow();
  for (const Case& c : cases) {
    const std::string path = f + c.name;
    WriteBytes(path, c.bytes);
    SetRecording(Keys("OLD"), "", 6);
    CopyBounded(g_app.shown_name, sizeof g_app.shown_name, "old.rec");
    SetWindowTextA(window, "old.rec");
    std::uint32_t n = 0;
    const std::vector<SeenBox> seen = Answered({}, [&] { n = LoadRecording(path.c_str(), c.offset); });
    EXPECT_EQ(std::to_string(n) + " " + Caption(window) + (seen.empty() ? "" : " | " + seen[0].text + " " + seen[0].caption),
              std::to_string(c.loaded) + " " + (c.loaded ? c.name.substr(0, 29) : "old.rec | 不是一个有效的记录 " + path),
              c.name + ": bytes, caption, warning");
    EXPECT_EQ(Recording(), c.loaded ? c.bytes.substr(c.offset) : Keys("OLD"), c.name + ": the recording");
    EXPECT_TRUE(c.loaded ? BlockSize(g_app.event_buffer) >= c.bytes.size() + 4096 &&
                               g_app.event_buffer[g_app.event_count].message == 0
                         : seen.size() == 1 && seen[0].owner == window && seen[0].topmost,
                c.name + (c.loaded ? ": an end marker and room" : ": the warning owned by the main window, topmost"));
  }
  HANDLE held = CreateFileA((f + "move.rec").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(LoadRecording((f + "move.rec").c_str(), 0), 280u, "a recording held open for writing elsewhere");
  CloseHandle(held);
  DestroyMainWindow(window);
}

WINE_TEST(SaveAndCompileThatFailSaySoAndLeaveNoFile) {
  const std::string f = ScratchFolder("write-fail"), long_name = f + std::string(252 - f.size(), 'n');
  WriteBytes(f + "empty.exe", "");
  WriteBytes(f + "locked.rec", "mine");
  WriteBytes(f + "locked.exe", "mine");
  HANDLE locked[2];  // held open by someone who lets others read it, no more
  for (int i = 0; i < 2; ++i)
    locked[i] = CreateFileA((f + (i ? "locked.exe" : "locked.rec")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  WriteBytes(f + "kept.rec", "mine");
  WriteBytes(f + "kept.exe", "mine");
  CreateDirectoryA((f + "folder.rec").c_str(), nullptr);
  struct Case {
    void (*command)(WPARAM, LPARAM);
    std::string own, typed;
    std::string named;  // the path in the failure text, which must not be left behind
    bool flush_fails = false;  // as a disk that cannot take the bytes
  } cases[] = {
      {OnSaveCommand, "", f + "missing\\x", f + "missing\\x.rec"},
      {OnSaveCommand, "", long_name, long_name},  // no room for the ending
      {OnSaveCommand, "", f + "locked.rec", f + "locked.rec"},
      {OnSaveCommand, "", f + "kept.rec", f + "kept.rec", true},
      {OnSaveCommand, "", f + "con", f + "con.rec"},  // a device in every folder
      {OnSaveCommand, "", f + "folder", f + "folder.rec"},
      {OnCompileCommand, RealImage(), f + "missing\\x", f + "missing\\x.exe"},
      {OnCompileCommand, f + "no-such-program.exe", f + "y", f + "y.exe"},
      {OnCompileCommand, f, f + "z", f + "z.exe"},  // a folder cannot be copied
      {OnCompileCommand, f + "empty.exe", f + "e", f + "e.exe"},  // copied, but no image to patch
      {OnCompileCommand, RealImage(), long_name, long_name},
      {OnCompileCommand, RealImage(), f + "locked.exe", f + "locked.exe"},
      {OnCompileCommand, RealImage(), f + "kept.exe", f + "kept.exe", true},
      {OnCompileCommand, RealImage(), f + "NUL .v2", f + "NUL .v2"},
  };
  HWND window = MakeMainWindow();
  NoteFlushAndMove(true);
  for (const Case& c : cases) {
    CopyBounded(g_app.own_path, sizeof g_app.own_path, c.own.c_str());
    g_app.stub_size = 32768;
    SetRecording(Keys("AB"), "", 4);
    CopyBounded(g_app.shown_name, sizeof g_app.shown_name, "kept.rec");
    SetWindowTextA(window, "kept.rec");
    const bool existed = Exists(c.named);  // first asked whether to replace it (a device too)
    const std::string before = ReadBytes(c.named);
    g_flush_fails = c.flush_fails;
    const std::vector<SeenBox> seen = Answered({c.typed}, [&] { c.command(0, 0); });
    const std::string what = c.typed.substr(f.size()) + (c.command == OnSaveCommand ? ", saved" : ", compiled");
    const std::string failure = c.command == OnSaveCommand ? "保存失败!" : "编译失败!";
    EXPECT_EQ(std::to_string(seen.size()) + " " + seen.back().caption + ": " + seen.back().text + " | " + Caption(window),
              (existed ? "3 " : "2 ") + ("Kestrova: " + (failure + c.named).substr(0, 255)) + " | kept.rec",
              what + ": boxes, the failure, the caption");
    WIN32_FIND_DATAA work;
    EXPECT_TRUE(ReadBytes(c.named) == before && !Exists(long_name + ".rec") &&
                    !Exists(long_name + ".exe") && FindFirstFileA((f + "*.tmp").c_str(), &work) == INVALID_HANDLE_VALUE,
                what + ": no file left (no work file either), one that was there unchanged");
  }
  NoteFlushAndMove(false);
  for (HANDLE file : locked) CloseHandle(file);
  OPENFILENAMEA open, save;  // the open dialog takes existing files only; the save dialog asks before replacing one
  FillFileDialog(open, window, g_app.shown_name, kRecordingFilter, kAskOpen);
  FillFileDialog(save, window, g_app.shown_name, kRecordingFilter, kAskSave);
  EXPECT_TRUE(open.Flags == 0x201800 && save.Flags == 0x200006, "OFN_LONGNAMES and the flags of each dialog");
  DestroyMainWindow(window);
}

WINE_TEST(CompileAndSaveWriteTheWholeRecording) {
  const std::string f = ScratchFolder("compile"), image = ReadBytes(RealImage()), records = Keys("COMPILE");
  const std::size_t repeat_at = image.find("@@@@@"), speed_at = image.find("$$$$$");
  EXPECT_TRUE(image.size() == 32768 && speed_at != std::string::npos, "the real image, with its markers");
  CopyBounded(g_app.own_path, sizeof g_app.own_path, RealImage().c_str());
  g_app.stub_size = 32768;
  g_app.repeat_count = 123456;
  g_app.playback_speed = 1;
  SetRecording(records, Keys("ZZ"), 2);  // a playback stopped early
  CopyBounded(g_app.shown_name, sizeof g_app.shown_name, "demo.REC");
  HWND window = MakeMainWindow();
  NoteFlushAndMove(true);  // the work file flushed, then renamed written through (flags 1 | 8)
  const std::vector<SeenBox> seen = Answered({f + "x.rec"}, [] { OnCompileCommand(0, 0); });
  EXPECT_EQ(seen.size() == 2 ? seen[0].first + " | " + seen[1].text : "(not two boxes)",
            "demo | 编译成功: \"x.rec.exe\"\n\n文件大小:  32k", "the proposed name and the result");
  std::string compiled = ReadBytes(f + "x.rec.exe");
  if (compiled.size() != 32768u + 20 * 14 || speed_at == std::string::npos)
    return EXPECT_EQ(compiled.size(), 32768u + 20 * 14, "the image and the whole recording");
  EXPECT_EQ(compiled.substr(repeat_at, 5) + " " + compiled.substr(speed_at, 5), "12345 00001", "the markers");
  EXPECT_EQ(compiled.substr(32768), records, "the records behind the image");
  compiled.replace(repeat_at, 5, "@@@@@").replace(speed_at, 5, "$$$$$");
  EXPECT_TRUE(compiled.substr(0, 32768) == image, "the rest of the image unchanged");
  const std::string name(27, 's');
  Answered({f + name}, [] { OnSaveCommand(0, 0); });
  NoteFlushAndMove(false);
  EXPECT_EQ(g_calls, " flush 33048 move 9 flush 280 move 9", "the calls of the compile and the save");
  EXPECT_EQ(ReadBytes(f + name + ".rec") + " " + Caption(window), records + " " + name + ".re",
            "saved: the whole recording, and 30 bytes of its name shown");
  const std::vector<SeenBox> cancelled = Answered({"", ""}, [] { OnSaveCommand(0, 0), OnOpenCommand(0, 0); });
  EXPECT_EQ(std::to_string(cancelled.size()) + " " + Caption(window), "2 " + name + ".re", "two dialogs cancelled");
  EXPECT_EQ(Recording(), records, "the recording after cancelling");
  DestroyMainWindow(window);
}

WINE_TEST(PlayOnStartRefusesBrokenAndCutPaths) {
  const std::string f = ScratchFolder("start play"), records = Keys("RUN"), too_long = f + std::string(300, 'p');
  WriteBytes(f + "my macro.rec", records);
  WriteBytes(f + "bad.rec", records + "x");
  struct Case {
    std::string tail;
    bool self_playing;
    int result;           // 0: a hidden copy ends
    std::string warning;  // the warning's caption; none: the recording plays
  } cases[] = {
      {f + "my macro.rec", false, 1, ""},  // unquoted, blanks and all
      {"\"" + f + "bad.rec\"", false, 1, f + "bad.rec"}, {"\"" + f + "bad.rec\"", true, 0, f + "bad.rec"},
      {"\"" + too_long + "\"", false, 1, too_long.substr(0, 255)}, {"", false, 1, "(nothing)"},
  };
  HWND window = MakeMainWindow();
  for (const Case& c : cases) {
    g_app.event_buffer = nullptr;
    int result = 0;
    const std::vector<SeenBox> seen = Answered({}, [&] { result = PlayOnStart(c.tail.c_str(), c.self_playing); });
    MSG msg;
    const bool posted = PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) && msg.wParam == CMD_PLAY;
    const std::string what = c.tail.substr(0, 60) + (c.self_playing ? ", self-playing" : "");
    EXPECT_EQ(result, c.result, what + ": result");
    EXPECT_EQ(seen.empty() ? posted ? "" : "(nothing)" : seen[0].caption, c.warning, what + ": the warning or the play");
    EXPECT_EQ(Recording(), c.warning.empty() ? records : "(none)", what + ": recording");
  }
  // A copy plays the records behind its image, at the count and speed compiled into it.
  WriteBytes(f + "copy.exe", std::string(32768, 'M') + records);
  CopyBounded(g_app.own_path, sizeof g_app.own_path, (f + "copy.exe").c_str());
  g_app.stub_size = 32768;
  const ImageFields image = g_image_fields;
  PatchImageFields(ImageFields{"00003", "00001", "032768"});  // as a compile patches them in the file
  const int result = PlayOnStart("", true);
  PatchImageFields(image);
  MSG msg;
  EXPECT_TRUE(result && PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) && msg.wParam == CMD_PLAY &&
                  Recording() == records,
              "a copy plays its records");
  EXPECT_EQ(Text(g_app.repeat_count) + " " + Text(g_app.playback_speed), "3 1", "a copy's repeat count and speed");
  DestroyMainWindow(window);
}

WINE_TEST(OpenAndSaveLeaveARunStartedInTheirDialogAlone) {
  const std::string path = ScratchFolder("open-run") + "new.rec";
  WriteBytes(path, Keys("NEW"));
  const InputEvent quiet[2] = {{WM_CHAR, 0, 0, 0, 0}, {WM_CHAR, 0, 0, 60000, 0}};  // plays nothing, slowly
  HWND window = MakeMainWindow();
  for (std::uint32_t command : {CMD_RECORD, CMD_PLAY}) {
    SetRecording(std::string(reinterpret_cast<const char*>(quiet), sizeof quiet), "", 0);
    PostMessageA(window, WM_COMMAND, command, 0);  // dispatched by the dialog's own message loop
    Answered({path}, [] { OnOpenCommand(0, 0); });
    EXPECT_EQ(std::to_string(g_app.run_mode) + " " + g_app.shown_name, std::to_string(command) + " ",
              "the run started in the dialog, and the name of the recording after it");
    SendMessageA(window, WM_COMMAND, CMD_RECORD, 0);
  }
  // Neither is a recording begun in the save dialog written, whole or in part.
  const std::string saved = ScratchFolder("save-run") + "saved.rec";
  PostMessageA(window, WM_COMMAND, CMD_RECORD, 0);
  EXPECT_EQ(Answered({saved}, [] { OnSaveCommand(0, 0); }).size(), 1u, "boxes of a save under a recording begun in it");
  EXPECT_TRUE(!Exists(saved) && g_app.run_mode == RUN_RECORDING, "no file, and the recording goes on");
  SendMessageA(window, WM_COMMAND, CMD_RECORD, 0);
  DestroyMainWindow(window);
}
