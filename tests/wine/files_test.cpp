// Recording files and self-playing copies on real files: byte layouts, short
// and broken files, failing saves and compiles, and what plays at start-up.
#include <cstring>

#include "app/file_size.h"
#include "app/ids.h"
#include "app/state.h"
#include "app/text.h"
#include "files/file_commands.h"
#include "files/file_dialog.h"
#include "files/file_io.h"
#include "files/file_name_rules.h"
#include "files/recording_file.h"
#include "files/self_play.h"
#include "harness.h"
#include "record/heap_block.h"

namespace {

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
  g_app.event_count = position;
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

WINE_TEST(FileRoutinesReadWriteAndMeasureRealFiles) {
  const std::string f = ScratchFolder("file-io");
  struct Case {
    const char* before;  // the file's bytes; none: no file
    std::int32_t offset;
    const char* data;    // written; none: read up to max bytes
    std::uint32_t max;
    std::string result;  // what was read, or the file afterwards
  } cases[] = {
      {"0123456789", 3, nullptr, 100, "3456789"}, {"0123456789", 3, nullptr, 2, "34"},
      {"0123456789", -4, nullptr, 2, "67"},       {"", 0, nullptr, 10, ""}, {nullptr, 0, nullptr, 10, ""},
      {"0123456789", 2, "ab", 0, "01ab456789"},   {"0123456789", -7, "XY", 0, "0123456789XY"},
      {"0123456789", 12, "Z", 0, std::string("0123456789\0\0Z", 13)}, {nullptr, 0, "new", 0, "new"},
  };
  int i = 0;
  for (const Case& c : cases) {
    const std::string path = f + std::to_string(i++), what = path + " at " + std::to_string(c.offset);
    if (c.before) WriteBytes(path, c.before);
    char buffer[128];
    std::memset(buffer, '#', sizeof buffer);
    if (c.data) {
      EXPECT_EQ(WriteFileAt(path.c_str(), c.offset, c.data, std::strlen(c.data)), std::strlen(c.data), what);
      EXPECT_EQ(ReadBytes(path), c.result, what + ": never truncated");
    } else {
      const std::uint32_t n = ReadFileAt(path.c_str(), c.offset, buffer, c.max);
      EXPECT_EQ(std::string(buffer, n + 2), c.result + '\0' + '#', what + ": the bytes read, a zero after");
    }
  }
  EXPECT_EQ(WriteFileAt((f + "none\\x").c_str(), 0, "abc", 3), 0u, "a file in a missing folder");
  EXPECT_TRUE(!Exists(f + "none"), "no folder made");
  HANDLE held = CreateFileA((f + "0").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(FileSizeOf((f + "0").c_str()), 10u, "a file held open for writing elsewhere");
  CloseHandle(held);
  EXPECT_EQ(FileSizeOf((f + "3").c_str()) + FileSizeOf((f + "none").c_str()) + FileSizeOf(f.c_str()), 0u,
            "an empty file, a missing one, a folder");
  char own[MAX_PATH];
  GetModuleFileNameA(nullptr, own, sizeof own);
  EXPECT_EQ(FileSizeOf(nullptr), static_cast<std::uint32_t>(ReadBytes(own).size()), "no path: the program's own file");
  EXPECT_EQ(FileSizeOf(""), FileSizeOf(nullptr), "an empty path: the program's own file");
}

WINE_TEST(LoadRecordingTakesWholeRecordingsOnlyAndWarnsOfTheRest) {
  const std::string f = ScratchFolder("load"), word = Keys("KESTREL"), image(32768, 'M');
  auto first = [&](std::uint32_t message) { return std::string(reinterpret_cast<const char*>(&message), 4) + word.substr(4); };
  struct Case {
    std::string name, bytes;
    std::int32_t offset;
    std::uint32_t loaded;  // bytes; 0: the warning
    std::string shown;
  } cases[] = {
      {"zero.rec", "", 0, 0, ""}, {"one.rec", std::string(1, '\0'), 0, 0, ""},
      {"nineteen.rec", std::string(19, '\0'), 0, 0, ""}, {"twenty.rec", word.substr(0, 20), 0, 20, "twenty.rec"},
      {"forty-one.rec", word.substr(0, 40) + "x", 0, 0, ""}, {"keyup.rec", first(257), 0, 0, ""},
      {"move.rec", first(512), 0, 280, "move.rec"}, {"press.rec", first(513), 0, 0, ""},
      {"zero-record.rec", std::string(20, '\0'), 0, 20, "zero-record.rec"},
      {"copy.exe", image + word, 32768, 280, "copy.exe"}, {"bad.exe", image + word + "x", 32768, 0, ""},
      {std::string(26, 'n') + ".rec", word, 0, 280, std::string(26, 'n') + ".re"},  // 29 bytes shown
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
    EXPECT_EQ(n, c.loaded, c.name);
    EXPECT_EQ(Recording(), c.loaded ? c.bytes.substr(c.offset) : "(none)", c.name + ": the recording");
    EXPECT_EQ(Caption(window), c.loaded ? c.shown : "old.rec", c.name + ": caption");
    EXPECT_EQ(seen.size(), c.loaded ? 0u : 1u, c.name + ": warnings");
    if (c.loaded) {
      EXPECT_TRUE(BlockSize(g_app.event_buffer) >= c.bytes.size() + 4096 &&
                      g_app.event_buffer[g_app.event_count].message == 0, c.name + ": an end marker and room");
    } else if (seen.size() == 1) {
      EXPECT_EQ(seen[0].text + " / " + seen[0].caption, "不是一个有效的记录 / " + path, c.name + ": the warning");
      EXPECT_TRUE(seen[0].owner == window && seen[0].topmost, c.name + ": owned by the main window, topmost");
    }
  }
  DestroyMainWindow(window);
}

WINE_TEST(FileDialogRecordAsTheSystemReadsIt) {
  HWND window = MakeMainWindow(), gone = MakeMainWindow();
  DestroyMainWindow(gone);
  char name[kNameCapacity] = "demo";
  // OFN_LONGNAMES with FILEMUSTEXIST and PATHMUSTEXIST, or with HIDEREADONLY and OVERWRITEPROMPT.
  for (int mode : {kAskOpen, kAskSave}) {
    OPENFILENAMEA d;
    std::memset(&d, 0x55, sizeof d);
    FillFileDialog(d, mode == kAskOpen ? window : gone, name, kRecordingFilter, mode);
    EXPECT_EQ(d.Flags, mode == kAskOpen ? 0x201800u : 0x200006u, "flags, mode " + std::to_string(mode));
    EXPECT_TRUE(d.lStructSize == OPENFILENAME_SIZE_VERSION_400A && d.lpstrFilter == kRecordingFilter &&
                    d.hwndOwner == (mode == kAskOpen ? window : GetForegroundWindow()) && d.lpstrFile == name &&
                    d.lpstrInitialDir == name && d.nMaxFile == 256 && !d.nFilterIndex && !d.lpstrDefExt &&
                    !d.lpstrTitle && !d.lpstrCustomFilter && !d.lpstrFileTitle && !d.hInstance && !d.lCustData,
                "the old record's size, a living owner, the name as file and folder, nothing else");
  }
  DestroyMainWindow(window);
}

WINE_TEST(SaveWritesTheWholeRecordingAndOpenReadsItBack) {
  const std::string f = ScratchFolder("save-open"), records = Keys("HELLO");
  struct Case {
    std::string typed, file;
    std::uint32_t play_position;  // where a playback stopped
    std::string saved, opened;    // shown: 30 bytes at most after saving, 29 after opening
  } cases[] = {
      {"a", "a.rec", 10, "a.rec", "a.rec"}, {"b.REC", "b.REC", 3, "b.REC", "b.REC"},
      {"c.txt", "c.txt.rec", 1, "c.txt.rec", "c.txt.rec"},
      {std::string(27, 's'), std::string(27, 's') + ".rec", 10, std::string(27, 's') + ".re", std::string(27, 's') + ".r"},
  };
  HWND window = MakeMainWindow();
  for (const Case& c : cases) {
    SetRecording(records, Keys("XY"), c.play_position);
    CopyBounded(g_app.shown_name, sizeof g_app.shown_name, "old.rec");
    std::vector<SeenBox> seen = Answered({f + c.typed}, [&] { SendMessageA(window, WM_COMMAND, CMD_SAVE, 0); });
    EXPECT_EQ(seen.size() == 1 ? seen[0].first : "(no dialog)", "old.rec", c.typed + ": the shown name proposed");
    EXPECT_EQ(ReadBytes(f + c.file), records, c.typed + ": the file holds the whole recording, not what lies behind");
    EXPECT_EQ(Caption(window), c.saved, c.typed + ": caption after saving");
    SetRecording("", "", 0);
    seen = Answered({f + c.file}, [&] { SendMessageA(window, WM_COMMAND, CMD_OPEN, 0); });
    EXPECT_EQ(seen.size() == 1 ? seen[0].first : "(no dialog)", "", c.typed + ": nothing proposed to open");
    EXPECT_EQ(Recording(), records, c.typed + ": the records opened");
    EXPECT_EQ(Caption(window), c.opened, c.typed + ": caption after opening");
  }
  const std::vector<SeenBox> seen = Answered({"", ""}, [] { OnSaveCommand(0, 0), OnOpenCommand(0, 0); });
  EXPECT_EQ(seen.size(), 2u, "two dialogs cancelled");
  EXPECT_EQ(Recording() + " " + g_app.shown_name, records + " " + std::string(27, 's') + ".r", "nothing changed");
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
  struct Case {
    void (*command)(WPARAM, LPARAM);
    std::string own, typed;
    std::string named;  // the path in the failure text, which must not be left behind
  } cases[] = {
      {OnSaveCommand, "", f + "missing\\x", f + "missing\\x.rec"},
      {OnSaveCommand, "", long_name, long_name},  // no room for the ending
      {OnSaveCommand, "", f + "locked.rec", f + "locked.rec"},
      {OnCompileCommand, RealImage(), f + "missing\\x", f + "missing\\x.exe"},
      {OnCompileCommand, f + "no-such-program.exe", f + "y", f + "y.exe"},
      {OnCompileCommand, f, f + "z", f + "z.exe"},  // a folder cannot be copied
      {OnCompileCommand, f + "empty.exe", f + "e", f + "e.exe"},  // copied, but no image to patch
      {OnCompileCommand, RealImage(), long_name, long_name},
      {OnCompileCommand, RealImage(), f + "locked.exe", f + "locked.exe"},
  };
  HWND window = MakeMainWindow();
  for (const Case& c : cases) {
    CopyBounded(g_app.own_path, sizeof g_app.own_path, c.own.c_str());
    g_app.stub_size = 32768;
    SetRecording(Keys("AB"), "", 4);
    CopyBounded(g_app.shown_name, sizeof g_app.shown_name, "kept.rec");
    SetWindowTextA(window, "kept.rec");
    const std::vector<SeenBox> seen = Answered({c.typed}, [&] { c.command(0, 0); });
    const std::string what = c.typed.substr(f.size()) + (c.command == OnSaveCommand ? ", saved" : ", compiled");
    const std::string failure = c.command == OnSaveCommand ? "保存失败!" : "编译失败!";
    EXPECT_EQ(seen.size() >= 2 ? seen.back().caption + ": " + seen.back().text : "(no failure box)",
              "Kestrova: " + (failure + c.named).substr(0, 255), what + ": the failure");
    EXPECT_EQ(Caption(window), "kept.rec", what + ": caption");
    const bool locked_file = c.named.find("locked") != std::string::npos;
    EXPECT_EQ(ReadBytes(c.named), locked_file ? "mine" : "", what + ": what is left at the name");
    EXPECT_TRUE(!Exists(long_name + ".rec") && !Exists(long_name + ".exe"), what + ": nothing under a long name");
  }
  for (HANDLE file : locked) CloseHandle(file);
  DestroyMainWindow(window);
}

WINE_TEST(CompileWritesThePatchedImageAndTheWholeRecording) {
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
  DestroyMainWindow(window);
}

WINE_TEST(PlayOnStartLoadsTheNamedOrAppendedRecording) {
  const std::string f = ScratchFolder("start play"), records = Keys("RUN");  // a folder with a blank
  WriteBytes(f + "my macro.rec", records);
  WriteBytes(f + "bad.rec", records + "x");
  WriteBytes(f + "copy.exe", std::string(32768, 'M') + records);
  WriteBytes(f + "broken.exe", std::string(32768, 'M') + records + "x");
  const std::string too_long = "\"" + f + std::string(300, 'p') + ".rec\"";
  struct Case {
    std::string tail, own;  // own: a self-playing copy's path
    int result;
    bool plays;
    std::string warning;  // the warning's caption
    std::int32_t repeat;
  } cases[] = {
      {"\"" + f + "my macro.rec\"", "", 1, true, "", 1}, {f + "my macro.rec", "", 1, true, "", 1},
      {"\"" + f + "bad.rec\"", "", 1, false, f + "bad.rec", 1},  // the program goes on
      {"\"" + f + "bad.rec\"", f + "copy.exe", 0, false, f + "bad.rec", 1},  // a hidden copy ends
      {too_long, "", 1, false, too_long.substr(1, 255), 1}, {"", "", 1, false, "", 1},
      {"", f + "copy.exe", 1, true, "", 7}, {"", f + "broken.exe", 0, false, f + "broken.exe", 7},
  };
  HWND window = MakeMainWindow();
  for (const Case& c : cases) {
    ResetAppState();
    g_app.main_window = window;
    g_app.stub_size = 32768;
    CopyBounded(g_app.own_path, sizeof g_app.own_path, c.own.c_str());
    CopyBounded(g_image_fields.repeat_marker, sizeof g_image_fields.repeat_marker, "00007");  // as compiled
    CopyBounded(g_image_fields.speed_marker, sizeof g_image_fields.speed_marker, "00001");
    int result = 0;
    const std::vector<SeenBox> seen = Answered({}, [&] { result = PlayOnStart(c.tail.c_str(), !c.own.empty()); });
    MSG msg;
    const bool posted = PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) && msg.wParam == CMD_PLAY;
    const std::string what = c.tail.substr(0, 60) + (c.own.empty() ? "" : ", self-playing");
    EXPECT_EQ(result, c.result, what + ": result");
    EXPECT_EQ(posted, c.plays, what + ": play posted");
    EXPECT_EQ(Recording(), c.plays ? records : "(none)", what + ": recording");
    EXPECT_EQ(seen.empty() ? "" : seen[0].caption, c.warning, what + ": the warning's caption");
    EXPECT_EQ(g_app.repeat_count * 10 + g_app.playback_speed, c.repeat * 10 + (c.repeat == 7), what + ": count, speed");
  }
  DestroyMainWindow(window);
}
