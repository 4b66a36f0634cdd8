// Recording files and self-playing copies on real files: the file routines,
// loading with its warning, the common dialogs (driven by a watcher thread
// as a user would fill them in), save, open, compile, and what plays at
// start-up.
#include <cstring>
#include <string>
#include <vector>

#include "files/file_commands.h"
#include "files/file_dialog.h"
#include "files/file_io.h"
#include "files/file_name_rules.h"
#include "files/recording_file.h"
#include "files/self_play.h"
#include "core/heap_block.h"
#include "tests/wine/check.h"
#include "tests/wine/fixtures.h"
#include "core/ids.h"
#include "core/state.h"
#include "core/text.h"

namespace {

constexpr int kFileNameBox = 1148;  // the dialog's file name box (cmb13)
constexpr int kFilterBox = 1136;    // the dialog's file type box (cmb1)
const char kNotRecordingText[] = "不是一个有效的记录";

// What the watcher saw of one box or dialog.
struct SeenBox {
  bool file_dialog;
  HWND owner;
  DWORD ex_style;
  std::string caption;
  std::string text;                  // a message box's text
  std::string proposed;              // a dialog's file name as it opened
  std::vector<std::string> filters;  // a dialog's file types
};

// Answers the boxes and dialogs this process shows, from its own thread
// while the test thread is in their modal loops: types the next of the
// names into each file dialog and presses its OK button (an empty name
// cancels it), and presses the default button of each message box.
struct Watcher {
  std::vector<std::string> names;
  std::vector<SeenBox> seen;
  volatile LONG stop = 0;
  HANDLE thread = nullptr;
  std::size_t next_name = 0;
};

std::string ControlText(HWND control) {
  char text[1024] = {};
  GetWindowTextA(control, text, sizeof text);
  return text;
}

HWND FileNameEdit(HWND dialog) {
  HWND box = GetDlgItem(dialog, kFileNameBox);
  if (!box) return nullptr;
  HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
  if (!edit) edit = FindWindowExA(FindWindowExA(box, nullptr, "ComboBox", nullptr), nullptr, "Edit", nullptr);
  return edit ? edit : box;
}

struct FoundDialog {
  HWND handled;
  HWND found;
};

BOOL CALLBACK FindOurDialog(HWND window, LPARAM param) {
  FoundDialog* f = reinterpret_cast<FoundDialog*>(param);
  char cls[32] = {};
  GetClassNameA(window, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (window == f->handled || pid != GetCurrentProcessId() || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(window))
    return TRUE;
  f->found = window;
  return FALSE;
}

// Reads a dialog or box once it has filled in its controls, then answers it.
// Returns false while it is not ready yet.
bool Answer(Watcher& w, HWND box) {
  SeenBox seen = {};
  seen.owner = GetWindow(box, GW_OWNER);
  seen.ex_style = static_cast<DWORD>(GetWindowLongPtrA(box, GWL_EXSTYLE));
  seen.caption = ControlText(box);
  if (HWND edit = FileNameEdit(box)) {
    HWND ok = GetDlgItem(box, IDOK);
    if (!ok || !IsWindowVisible(ok)) return false;
    seen.file_dialog = true;
    seen.proposed = ControlText(edit);
    HWND types = GetDlgItem(box, kFilterBox);
    LRESULT count = SendMessageA(types, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      char item[256] = {};
      SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
      seen.filters.push_back(item);
    }
    std::string name = w.next_name < w.names.size() ? w.names[w.next_name++] : "";
    w.seen.push_back(seen);
    if (name.empty()) {
      PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    } else {
      SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
      PostMessageA(ok, BM_CLICK, 0, 0);
    }
    return true;
  }
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && !ControlText(child).empty()) {
      seen.text = ControlText(child);
      break;
    }
  }
  if (seen.text.empty()) return false;
  w.seen.push_back(seen);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return true;
}

DWORD WINAPI WatchBoxes(void* param) {
  Watcher& w = *static_cast<Watcher*>(param);
  HWND handled = nullptr;
  for (int i = 0; i < 2000 && !w.stop; ++i) {
    Sleep(10);
    FoundDialog f = {IsWindow(handled) ? handled : nullptr, nullptr};
    EnumWindows(FindOurDialog, reinterpret_cast<LPARAM>(&f));
    if (f.found && Answer(w, f.found)) handled = f.found;
  }
  return 0;
}

void StartWatching(Watcher& w, std::vector<std::string> names = {}) {
  w.names = std::move(names);
  w.thread = CreateThread(nullptr, 0, WatchBoxes, &w, 0, nullptr);
}

void StopWatching(Watcher& w) {
  InterlockedExchange(&w.stop, 1);
  WaitForSingleObject(w.thread, 30000);
  CloseHandle(w.thread);
}

std::vector<InputEvent> KeyRecords(const char* word) {
  std::vector<InputEvent> records;
  std::uint32_t tick = 5000;
  for (const char* c = word; *c; ++c) {
    std::uint32_t vk = static_cast<std::uint8_t>(*c), scan = MapVirtualKeyA(vk, 0);
    records.push_back({WM_KEYDOWN, scan * 256 + vk, scan, tick += 40, 0x10020});
    records.push_back({WM_KEYUP, scan * 256 + vk, scan, tick += 40, 0x10020});
  }
  return records;
}

std::string Bytes(const std::vector<InputEvent>& records) {
  return std::string(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(InputEvent));
}

// Makes the records, an end marker and the extra records after it the
// current recording, left by a playback at the given play position.
void SetRecording(const std::vector<InputEvent>& records, const std::vector<InputEvent>& after_marker,
                  std::uint32_t play_position) {
  std::uint32_t capacity = static_cast<std::uint32_t>(records.size() + 1 + after_marker.size());
  auto* block = static_cast<InputEvent*>(AllocateBlock(capacity, sizeof(InputEvent)));
  for (std::size_t i = 0; i < records.size(); ++i) block[i] = records[i];
  for (std::size_t i = 0; i < after_marker.size(); ++i) block[records.size() + 1 + i] = after_marker[i];
  g_app.event_buffer = block;
  g_app.event_count = static_cast<std::uint32_t>(records.size());
  g_app.play_position = play_position;
}

std::string Recording() {
  if (!g_app.event_buffer) return "(none)";
  return std::string(reinterpret_cast<const char*>(g_app.event_buffer), g_app.event_count * sizeof(InputEvent));
}

// The image the test program compiles from: the real program.
std::string RealImage() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string path = self;
  return path.substr(0, path.rfind("\\wine-tests\\")) + "\\win64\\kestrova.exe";
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// The main window, with its caption showing the shown name alone: no button
// tips, whatever the cursor is over.
HWND MakeWindow() {
  g_app.tips = 0;
  return MakeMainWindow();
}

}  // namespace

WINE_TEST(ReadFileAtReadsFromTheStartOrBeforeTheEnd) {
  std::string folder = ScratchFolder("read-at");
  WriteBytes(folder + "ten", "0123456789");
  WriteBytes(folder + "empty", "");
  struct Case {
    std::string path;
    std::int32_t offset;
    std::uint32_t max;
    std::string read;
  } cases[] = {
      {folder + "ten", 0, 4, "0123"},
      {folder + "ten", 0, 100, "0123456789"},
      {folder + "ten", 3, 100, "3456789"},
      {folder + "ten", 3, 2, "34"},
      {folder + "ten", 10, 5, ""},
      {folder + "ten", -4, 100, "6789"},
      {folder + "ten", -4, 2, "67"},
      {folder + "ten", -1, 10, "9"},
      {folder + "empty", 0, 10, ""},
      {folder + "missing", 0, 10, ""},
      {folder + "no-folder\\ten", 0, 10, ""},
  };
  for (const Case& c : cases) {
    char buffer[128];
    std::memset(buffer, '#', sizeof buffer);
    std::uint32_t n = ReadFileAt(c.path.c_str(), c.offset, buffer, c.max);
    std::string what = c.path.substr(folder.size()) + " at " + std::to_string(c.offset) + ", max " + std::to_string(c.max);
    EXPECT_EQ(n, static_cast<std::uint32_t>(c.read.size()), (what + ": bytes read").c_str());
    EXPECT_EQ(std::string(buffer, n), c.read, what.c_str());
    EXPECT_EQ(static_cast<int>(buffer[n]), 0, (what + ": a zero after the data").c_str());
    EXPECT_EQ(static_cast<int>(buffer[n + 1]), '#', (what + ": nothing after the zero").c_str());
  }
}

WINE_TEST(WriteFileAtNeverTruncatesAndAppendsForNegativeOffsets) {
  std::string folder = ScratchFolder("write-at");
  struct Case {
    const char* before;  // nullptr: no file
    std::int32_t offset;
    const char* data;
    std::uint32_t written;
    std::string after;
  } cases[] = {
      {"0123456789", 2, "ab", 2, "01ab456789"},
      {"0123456789", 0, "xyz", 3, "xyz3456789"},
      {"0123456789", -1, "XY", 2, "0123456789XY"},
      {"0123456789", -7, "XY", 2, "0123456789XY"},
      {"0123456789", 12, "Z", 1, std::string("0123456789\0\0Z", 13)},
      {nullptr, 0, "new", 3, "new"},
      {nullptr, -1, "new", 3, "new"},
      {"", 0, "", 0, ""},
  };
  int i = 0;
  for (const Case& c : cases) {
    std::string path = folder + "file" + std::to_string(i++);
    if (c.before) WriteBytes(path, c.before);
    std::uint32_t n = WriteFileAt(path.c_str(), c.offset, c.data, static_cast<std::uint32_t>(std::strlen(c.data)));
    std::string what = std::string(c.before ? c.before : "(no file)") + " at " + std::to_string(c.offset);
    EXPECT_EQ(n, c.written, (what + ": bytes written").c_str());
    EXPECT_EQ(ReadBytes(path), c.after, what.c_str());
  }
  EXPECT_EQ(WriteFileAt((folder + "no-folder\\x").c_str(), 0, "abc", 3), 0u, "a file in a missing folder");
  EXPECT_TRUE(!Exists(folder + "no-folder"), "no folder made");
}

WINE_TEST(LoadRecordingTakesOnlyValidRecordings) {
  std::string folder = ScratchFolder("load");
  HWND window = MakeWindow();
  std::vector<InputEvent> word = KeyRecords("KESTREL");  // 14 records
  auto first = [&](std::uint32_t message) {
    std::vector<InputEvent> records = word;
    records[0].message = message;
    return Bytes(records);
  };
  struct Case {
    const char* name;
    std::string bytes;
    std::uint32_t loaded;  // 0: the warning
  } cases[] = {
      {"zero.rec", "", 0},
      {"one.rec", std::string(1, '\0'), 0},
      {"two.rec", std::string(2, '\0'), 0},
      {"nineteen.rec", std::string(19, '\0'), 0},
      {"twenty.rec", Bytes({word[0]}), 20},
      {"forty.rec", Bytes({word[0], word[1]}), 40},
      {"forty-one.rec", Bytes({word[0], word[1]}) + "x", 0},
      {"keydown.rec", first(256), 280},
      {"keyup.rec", first(257), 0},
      {"move.rec", first(512), 280},
      {"press.rec", first(513), 0},
      {"zero-record.rec", std::string(20, '\0'), 20},
  };
  for (const Case& c : cases) {
    std::string path = folder + c.name;
    WriteBytes(path, c.bytes);
    SetRecording(KeyRecords("OLD"), {}, 6);
    CopyBounded(g_app.shown_name, sizeof g_app.shown_name, "old.rec");
    SetWindowTextA(window, "old.rec");
    Watcher w;
    StartWatching(w);
    std::uint32_t n = LoadRecording(path.c_str(), 0);
    StopWatching(w);
    EXPECT_EQ(n, c.loaded, c.name);
    if (c.loaded) {
      EXPECT_EQ(w.seen.size(), 0u, (std::string(c.name) + ": boxes").c_str());
      EXPECT_EQ(g_app.event_count, c.loaded / 20, (std::string(c.name) + ": event count").c_str());
      EXPECT_EQ(Recording(), c.bytes, (std::string(c.name) + ": records").c_str());
      EXPECT_TRUE(BlockSize(g_app.event_buffer) >= c.bytes.size() + 4096, "room for the end marker and more");
      EXPECT_EQ(g_app.event_buffer[g_app.event_count].message, 0u, "an end marker after the records");
      EXPECT_EQ(std::string(g_app.shown_name), c.name, "shown name");
      EXPECT_EQ(Caption(window), c.name, "caption");
    } else {
      EXPECT_EQ(w.seen.size(), 1u, (std::string(c.name) + ": boxes").c_str());
      if (w.seen.size() != 1) continue;
      EXPECT_EQ(w.seen[0].text, kNotRecordingText, "warning text");
      EXPECT_EQ(w.seen[0].caption, path, "warning caption: the full path");
      EXPECT_TRUE(w.seen[0].owner == window, "owned by the main window");
      EXPECT_TRUE(w.seen[0].ex_style & WS_EX_TOPMOST, "the warning is topmost");
      EXPECT_TRUE(g_app.event_buffer == nullptr, (std::string(c.name) + ": no recording left").c_str());
      EXPECT_EQ(std::string(g_app.shown_name), "old.rec", "shown name unchanged");
      EXPECT_EQ(Caption(window), "old.rec", "caption unchanged");
    }
  }
  DestroyMainWindow(window);
}

WINE_TEST(LoadRecordingShowsTheFileNameCut) {
  std::string folder = ScratchFolder("load-names");
  HWND window = MakeWindow();
  struct Case {
    std::string name;
    std::string shown;
  } cases[] = {
      {"demo.rec", "demo.rec"},
      {"a b.rec", "a b.rec"},
      {std::string(25, 'n') + ".rec", std::string(25, 'n') + ".rec"},
      {std::string(26, 'n') + ".rec", std::string(26, 'n') + ".re"},
      {std::string(40, 'n') + ".rec", std::string(29, 'n')},
  };
  for (const Case& c : cases) {
    std::string path = folder + c.name;
    WriteBytes(path, Bytes(KeyRecords("A")));
    Watcher w;
    StartWatching(w);
    EXPECT_EQ(LoadRecording(path.c_str(), 0), 40u, c.name.c_str());
    StopWatching(w);
    EXPECT_EQ(w.seen.size(), 0u, "warnings");
    EXPECT_EQ(std::string(g_app.shown_name), c.shown, c.name.c_str());
    EXPECT_EQ(Caption(window), c.shown, "caption");
  }
  DestroyMainWindow(window);
}

// Names in code page 936 are cut between characters. (Wine here cannot make
// files with such names without the host's Chinese locale, so the name is
// shown from a path alone, as loading and saving do.)
WINE_TEST(ShownNamesKeepTheirCharactersWhole) {
  HWND window = MakeWindow();
  std::string ji = "\xbc\xc7";  // 记
  std::string fifteen;
  for (int i = 0; i < 15; ++i) fifteen += ji;
  struct Case {
    std::string path;
    std::uint32_t limit;
    std::string shown;
  } cases[] = {
      {"C:\\m\\" + fifteen, 29, fifteen.substr(0, 28)},
      {"C:\\m\\" + fifteen, 30, fifteen},
      {"C:\\m\\a" + fifteen, 29, "a" + fifteen.substr(0, 28)},
      {"C:\\m\\a" + fifteen, 30, "a" + fifteen.substr(0, 28)},
      {"C:\\\x81\x5c\\b.rec", 29, "b.rec"},
      {"C:\\m\\\x81\x5c.rec", 29, "\x81\x5c.rec"},
  };
  for (const Case& c : cases) {
    ShowRecordingName(c.path.c_str(), c.limit);
    std::string what = c.path + " cut at " + std::to_string(c.limit);
    EXPECT_EQ(std::string(g_app.shown_name), c.shown, what.c_str());
    EXPECT_EQ(Caption(window), c.shown, (what + ": caption").c_str());
  }
  DestroyMainWindow(window);
}

WINE_TEST(LoadRecordingAfterAnImageCountsTheAppendedRecordsOnly) {
  std::string folder = ScratchFolder("load-offset");
  HWND window = MakeWindow();
  std::string image(32768, 'M');
  std::string records = Bytes(KeyRecords("GO"));
  WriteBytes(folder + "copy.exe", image + records);
  EXPECT_EQ(LoadRecording((folder + "copy.exe").c_str(), 32768), 80u, "bytes read behind the image");
  EXPECT_EQ(g_app.event_count, 4u, "records: those appended, not the file's size over 20");
  EXPECT_EQ(Recording(), records, "the appended records");
  EXPECT_EQ(std::string(g_app.shown_name), "copy.exe", "shown name");

  WriteBytes(folder + "bad.exe", image + records + "x");
  Watcher w;
  StartWatching(w);
  EXPECT_EQ(LoadRecording((folder + "bad.exe").c_str(), 32768), 0u, "one byte too many");
  StopWatching(w);
  EXPECT_EQ(w.seen.size(), 1u, "warnings");
  if (!w.seen.empty()) EXPECT_EQ(w.seen[0].caption, folder + "bad.exe", "warning caption");
  EXPECT_TRUE(g_app.event_buffer == nullptr, "no recording left");
  DestroyMainWindow(window);
}

WINE_TEST(FileDialogRecordAsTheDialogsWantIt) {
  HWND window = MakeWindow();
  HWND gone = MakeMainWindow();
  DestroyMainWindow(gone);
  g_app.main_window = window;
  char name[kNameCapacity] = "demo";
  struct Case {
    int mode;
    HWND owner;
    HWND want_owner;
    DWORD flags;
  } cases[] = {
      {kAskOpen, window, window, 0x201800},
      {kAskSave, window, window, 0x200006},
      {kAskOpen, nullptr, GetForegroundWindow(), 0x201800},
      {kAskSave, gone, GetForegroundWindow(), 0x200006},
  };
  for (const Case& c : cases) {
    OPENFILENAMEA dialog;
    std::memset(&dialog, 0x55, sizeof dialog);
    FillFileDialog(dialog, c.owner, name, kRecordingFilter, c.mode);
    std::string what = "mode " + std::to_string(c.mode);
    EXPECT_EQ(dialog.lStructSize, static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400A), (what + ": record size").c_str());
    EXPECT_TRUE(dialog.hwndOwner == c.want_owner, (what + ": owner").c_str());
    EXPECT_TRUE(dialog.lpstrFilter == kRecordingFilter, (what + ": filter").c_str());
    EXPECT_EQ(dialog.nFilterIndex, 0u, (what + ": filter index").c_str());
    EXPECT_TRUE(dialog.lpstrFile == name && dialog.lpstrInitialDir == name, (what + ": name and folder").c_str());
    EXPECT_EQ(dialog.nMaxFile, 256u, (what + ": name capacity").c_str());
    EXPECT_EQ(dialog.Flags, c.flags, (what + ": flags").c_str());
    EXPECT_TRUE(dialog.lpstrDefExt == nullptr && dialog.lpstrTitle == nullptr && dialog.lpstrCustomFilter == nullptr &&
                    dialog.lpstrFileTitle == nullptr && dialog.hInstance == nullptr && dialog.lCustData == 0,
                (what + ": everything else empty").c_str());
  }
  DestroyMainWindow(window);
}

WINE_TEST(AskFileNameGivesTheChosenNameOrNone) {
  std::string folder = ScratchFolder("ask");
  WriteBytes(folder + "there.rec", "x");
  HWND window = MakeWindow();
  struct Case {
    int mode;
    const char* filter;
    const char* proposed;
    std::string typed;  // empty: cancelled
    int result;
    std::string name;
    std::vector<std::string> filters;
  } cases[] = {
      {kAskOpen, kRecordingFilter, "", folder + "there.rec", 1, folder + "there.rec",
       {"记录文件 (*.rec)", "所有文件 (*.*)"}},
      {kAskSave, kRecordingFilter, "demo.rec", folder + "new.rec", 1, folder + "new.rec",
       {"记录文件 (*.rec)", "所有文件 (*.*)"}},
      {kAskSave, kProgramFilter, "demo", folder + "prog", 1, folder + "prog", {"程序文件 (*.exe)", "所有文件 (*.*)"}},
      {kAskSave, kRecordingFilter, "demo.rec", "", 0, "", {"记录文件 (*.rec)", "所有文件 (*.*)"}},
      {kAskOpen, kRecordingFilter, "", "", 0, "", {"记录文件 (*.rec)", "所有文件 (*.*)"}},
  };
  for (const Case& c : cases) {
    char name[kNameCapacity];
    CopyBounded(name, sizeof name, c.proposed);
    Watcher w;
    StartWatching(w, {c.typed});
    int result = AskFileName(window, name, c.filter, c.mode);
    StopWatching(w);
    std::string what = "mode " + std::to_string(c.mode) + ", typed " + Quoted(c.typed);
    EXPECT_EQ(result, c.result, what.c_str());
    EXPECT_EQ(std::string(name), c.name, (what + ": name").c_str());
    EXPECT_EQ(w.seen.size(), 1u, (what + ": dialogs").c_str());
    if (w.seen.size() != 1) continue;
    EXPECT_TRUE(w.seen[0].file_dialog, (what + ": a file dialog").c_str());
    EXPECT_TRUE(w.seen[0].owner == window, (what + ": owned by the main window").c_str());
    EXPECT_EQ(w.seen[0].proposed, c.proposed, (what + ": proposed name").c_str());
    EXPECT_EQ(w.seen[0].filters.size(), c.filters.size(), (what + ": file types").c_str());
    for (std::size_t i = 0; i < c.filters.size() && i < w.seen[0].filters.size(); ++i)
      EXPECT_EQ(w.seen[0].filters[i], c.filters[i], (what + ": file type").c_str());
  }
  DestroyMainWindow(window);
}

WINE_TEST(SaveThenOpenGivesTheWholeRecording) {
  std::string folder = ScratchFolder("save-open");
  HWND window = MakeWindow();
  std::vector<InputEvent> records = KeyRecords("HELLO");
  std::vector<InputEvent> stale = KeyRecords("XY");  // behind the end marker
  struct Case {
    std::string typed;
    std::string file;
    std::uint32_t play_position;  // where a playback stopped
    std::string saved_name, opened_name;  // shown: 30 bytes at most, then 29
  } cases[] = {
      {"a", "a.rec", 10, "a.rec", "a.rec"},
      {"b.REC", "b.REC", 3, "b.REC", "b.REC"},
      {"c.txt", "c.txt.rec", 1, "c.txt.rec", "c.txt.rec"},
      {std::string(27, 's'), std::string(27, 's') + ".rec", 10, std::string(27, 's') + ".re",
       std::string(27, 's') + ".r"},
      {"d.rec", "d.rec", 10, "d.rec", "d.rec"},
  };
  for (const Case& c : cases) {
    SetRecording(records, stale, c.play_position);
    CopyBounded(g_app.shown_name, sizeof g_app.shown_name, "old.rec");
    Watcher save;
    StartWatching(save, {folder + c.typed});
    SendMessageA(window, WM_COMMAND, CMD_SAVE, 0);  // through the dispatcher
    StopWatching(save);
    EXPECT_EQ(save.seen.size(), 1u, (c.typed + ": boxes while saving").c_str());
    if (!save.seen.empty()) EXPECT_EQ(save.seen[0].proposed, "old.rec", "the shown name proposed");
    EXPECT_EQ(ReadBytes(folder + c.file), Bytes(records), (c.typed + ": the file holds the whole recording").c_str());
    EXPECT_EQ(std::string(g_app.shown_name), c.saved_name, (c.typed + ": shown name").c_str());
    EXPECT_EQ(Caption(window), c.saved_name, (c.typed + ": caption").c_str());

    FreeBlock(g_app.event_buffer);
    g_app.event_buffer = nullptr;
    g_app.event_count = 0;
    g_app.shown_name[0] = 0;
    Watcher open;
    StartWatching(open, {folder + c.file});
    SendMessageA(window, WM_COMMAND, CMD_OPEN, 0);
    StopWatching(open);
    EXPECT_EQ(open.seen.size(), 1u, (c.typed + ": boxes while opening").c_str());
    if (!open.seen.empty()) EXPECT_EQ(open.seen[0].proposed, "", "nothing proposed to open");
    EXPECT_EQ(g_app.event_count, 10u, (c.typed + ": records opened").c_str());
    EXPECT_EQ(Recording(), Bytes(records), (c.typed + ": the same records").c_str());
    EXPECT_EQ(std::string(g_app.shown_name), c.opened_name, (c.typed + ": shown name after opening").c_str());
  }
  // Cancelling either dialog changes nothing.
  std::string before = Recording();
  Watcher cancel;
  StartWatching(cancel, {"", ""});
  OnSaveCommand(0, 0);
  OnOpenCommand(0, 0);
  StopWatching(cancel);
  EXPECT_EQ(cancel.seen.size(), 2u, "two dialogs cancelled");
  EXPECT_EQ(Recording(), before, "recording after cancelling");
  EXPECT_EQ(std::string(g_app.shown_name), "d.rec", "shown name after cancelling");
  DestroyMainWindow(window);
}

WINE_TEST(SaveThatFailsSaysSoAndKeepsTheName) {
  std::string folder = ScratchFolder("save-fail");
  HWND window = MakeWindow();
  std::string long_name = folder + std::string(252 - folder.size(), 'n');
  struct Case {
    std::string typed;
    std::string named;  // the path in the failure text
    std::string left;   // a file that must not be there afterwards
  } cases[] = {
      {folder + "missing\\x", folder + "missing\\x.rec", folder + "missing"},
      {long_name, long_name, long_name + ".rec"},
  };
  for (const Case& c : cases) {
    SetRecording(KeyRecords("AB"), {}, 4);
    CopyBounded(g_app.shown_name, sizeof g_app.shown_name, "kept.rec");
    SetWindowTextA(window, "kept.rec");
    Watcher w;
    StartWatching(w, {c.typed});
    OnSaveCommand(0, 0);
    StopWatching(w);
    std::string what = std::to_string(c.typed.size()) + " bytes: " + c.typed;
    EXPECT_EQ(w.seen.size(), 2u, (what + ": the dialog and the failure").c_str());
    if (w.seen.size() == 2) {
      EXPECT_EQ(w.seen[1].text, ("保存失败!" + c.named).substr(0, 255), (what + ": failure text").c_str());
      EXPECT_EQ(w.seen[1].caption, "Kestrova", "failure caption");
    }
    EXPECT_EQ(std::string(g_app.shown_name), "kept.rec", (what + ": shown name").c_str());
    EXPECT_EQ(Caption(window), "kept.rec", (what + ": caption").c_str());
    EXPECT_TRUE(!Exists(c.left), (what + ": nothing written").c_str());
  }
  DestroyMainWindow(window);
}

WINE_TEST(CompileWritesThePatchedImageAndTheRecords) {
  std::string folder = ScratchFolder("compile");
  HWND window = MakeWindow();
  const std::string image = ReadBytes(RealImage());
  EXPECT_EQ(image.size(), 32768u, "the real image (build it first)");
  const std::size_t repeat_at = image.find("@@@@@"), speed_at = image.find("$$$$$");
  EXPECT_TRUE(repeat_at != std::string::npos && speed_at != std::string::npos, "markers in the real image");
  std::vector<InputEvent> records = KeyRecords("COMPILE");  // 14 records
  struct Case {
    const char* shown;
    const char* proposed;
    std::string typed;
    std::string file;
    std::int32_t repeat;
    std::uint8_t speed;
    const char* repeat_text;
    const char* speed_text;
    std::uint32_t stale;  // records behind the end marker
  } cases[] = {
      {"demo.REC", "demo", "out", "out.exe", 3, 1, "00003", "00001", 0},
      {"demo.rec", "demo", "big.EXE", "big.EXE", 123456, 0, "12345", "00000", 3},
      {"", "", "x.rec", "x.rec.exe", 1, 0, "00001", "00000", 0},
  };
  for (const Case& c : cases) {
    CopyBounded(g_app.own_path, sizeof g_app.own_path, RealImage().c_str());
    g_app.stub_size = 32768;
    g_app.repeat_count = c.repeat;
    g_app.playback_speed = c.speed;
    SetRecording(records, KeyRecords("ZZ"), c.stale ? 2 : 14);
    CopyBounded(g_app.shown_name, sizeof g_app.shown_name, c.shown);
    SetWindowTextA(window, c.shown);
    Watcher w;
    StartWatching(w, {folder + c.typed});
    OnCompileCommand(0, 0);
    StopWatching(w);
    std::string path = folder + c.file;
    EXPECT_EQ(w.seen.size(), 2u, (c.file + ": the dialog and the result").c_str());
    if (w.seen.size() == 2) {
      EXPECT_EQ(w.seen[0].proposed, c.proposed, (c.file + ": proposed name").c_str());
      EXPECT_EQ(w.seen[0].filters.size() ? w.seen[0].filters[0] : "", "程序文件 (*.exe)", "first file type");
      EXPECT_EQ(w.seen[1].text, "编译成功: \"" + c.file + "\"\n\n文件大小:  32k", (c.file + ": result").c_str());
      EXPECT_EQ(w.seen[1].caption, "Kestrova", "result caption");
      EXPECT_TRUE(w.seen[1].owner == window, "result owned by the main window");
    }
    std::string compiled = ReadBytes(path);
    EXPECT_EQ(compiled.size(), 32768u + 20 * 14, (c.file + ": size").c_str());
    if (compiled.size() != 32768u + 20 * 14) continue;
    EXPECT_EQ(compiled.substr(repeat_at, 5), c.repeat_text, (c.file + ": repeat marker").c_str());
    EXPECT_EQ(compiled.substr(speed_at, 5), c.speed_text, (c.file + ": speed marker").c_str());
    EXPECT_EQ(Count(compiled, "@@@@@") + Count(compiled, "$$$$$"), 0u, (c.file + ": markers left").c_str());
    std::string unpatched = compiled.substr(0, 32768);
    unpatched.replace(repeat_at, 5, "@@@@@");
    unpatched.replace(speed_at, 5, "$$$$$");
    EXPECT_TRUE(unpatched == image, (c.file + ": the rest of the image unchanged").c_str());
    EXPECT_EQ(compiled.substr(32768), Bytes(records), (c.file + ": the whole recording behind it").c_str());
    EXPECT_EQ(std::string(g_app.shown_name), c.shown, "shown name unchanged");
  }
  DestroyMainWindow(window);
}

WINE_TEST(CompileThatFailsSaysSoAndLeavesNoFile) {
  std::string folder = ScratchFolder("compile-fail");
  WriteBytes(folder + "empty.exe", "");
  HWND window = MakeWindow();
  std::string long_name = folder + std::string(252 - folder.size(), 'n');
  struct Case {
    std::string own;
    std::string typed;
    std::string named;  // the path in the failure text, which must not exist
  } cases[] = {
      {RealImage(), folder + "missing\\x", folder + "missing\\x.exe"},
      {folder + "no-such-program.exe", folder + "y", folder + "y.exe"},
      {folder, folder + "z", folder + "z.exe"},  // a folder cannot be copied
      {folder + "empty.exe", folder + "e", folder + "e.exe"},  // copied, but no image to patch
      {RealImage(), long_name, long_name},
  };
  for (const Case& c : cases) {
    CopyBounded(g_app.own_path, sizeof g_app.own_path, c.own.c_str());
    g_app.stub_size = 32768;
    SetRecording(KeyRecords("AB"), {}, 4);
    Watcher w;
    StartWatching(w, {c.typed});
    OnCompileCommand(0, 0);
    StopWatching(w);
    std::string what = c.typed.substr(folder.size());
    EXPECT_EQ(w.seen.size(), 2u, (what + ": the dialog and the failure").c_str());
    if (w.seen.size() == 2) {
      EXPECT_EQ(w.seen[1].text, ("编译失败!" + c.named).substr(0, 255), (what + ": failure text").c_str());
      EXPECT_EQ(w.seen[1].caption, "Kestrova", "failure caption");
    }
    EXPECT_TRUE(!Exists(c.named), (what + ": no file left").c_str());
    EXPECT_TRUE(!Exists(long_name + ".exe"), "no program under a long name");
  }
  DestroyMainWindow(window);
}

WINE_TEST(PlayOnStartLoadsTheNamedOrAppendedRecording) {
  std::string folder = ScratchFolder("start play");  // a folder with a blank
  HWND window = MakeWindow();
  std::string records = Bytes(KeyRecords("RUN"));
  WriteBytes(folder + "my macro.rec", records);
  WriteBytes(folder + "bad.rec", records + "x");
  WriteBytes(folder + "copy.exe", std::string(32768, 'M') + records);
  WriteBytes(folder + "broken.exe", std::string(32768, 'M') + records + "x");
  std::string too_long = Quoted(folder + std::string(300, 'p') + ".rec");
  struct Case {
    std::string tail;
    bool self_playing;
    std::string own;
    int result;
    bool plays;
    std::string warning;  // caption of the expected warning
    std::int32_t repeat;
    std::uint8_t speed;
  } cases[] = {
      {Quoted(folder + "my macro.rec"), false, "", 1, true, "", 1, 0},
      {folder + "my macro.rec", false, "", 1, true, "", 1, 0},
      {Quoted(folder + "my macro.rec"), true, folder + "copy.exe", 1, true, "", 1, 0},
      {Quoted(folder + "bad.rec"), false, "", 1, false, folder + "bad.rec", 1, 0},
      {Quoted(folder + "bad.rec"), true, folder + "copy.exe", 0, false, folder + "bad.rec", 1, 0},
      {too_long, false, "", 1, false, too_long.substr(1, 255), 1, 0},
      {"", false, "", 1, false, "", 1, 0},
      {"", true, folder + "copy.exe", 1, true, "", 7, 1},
      {"", true, folder + "broken.exe", 0, false, folder + "broken.exe", 7, 1},
  };
  for (const Case& c : cases) {
    ResetAppState();
    g_app.main_window = window;
    g_app.stub_size = 32768;
    CopyBounded(g_app.own_path, sizeof g_app.own_path, c.own.c_str());
    // What a compiled copy finds in its initialised data.
    CopyBounded(g_image_fields.repeat_marker, sizeof g_image_fields.repeat_marker, "00007");
    CopyBounded(g_image_fields.speed_marker, sizeof g_image_fields.speed_marker, "00001");
    Watcher w;
    StartWatching(w);
    int result = PlayOnStart(c.tail.c_str(), c.self_playing);
    StopWatching(w);
    MSG msg;
    bool posted = PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) && msg.wParam == CMD_PLAY;
    std::string what = (c.tail.empty() ? "no tail" : c.tail.substr(0, 60)) + (c.self_playing ? ", self-playing" : "");
    EXPECT_EQ(result, c.result, (what + ": result").c_str());
    EXPECT_EQ(posted, c.plays, (what + ": play posted").c_str());
    EXPECT_EQ(Recording(), c.plays ? records : "(none)", (what + ": recording").c_str());
    EXPECT_EQ(w.seen.size(), c.warning.empty() ? 0u : 1u, (what + ": warnings").c_str());
    if (!c.warning.empty() && w.seen.size() == 1) EXPECT_EQ(w.seen[0].caption, c.warning, (what + ": caption").c_str());
    EXPECT_EQ(g_app.repeat_count, c.repeat, (what + ": repeat count").c_str());
    EXPECT_EQ(static_cast<int>(g_app.playback_speed), static_cast<int>(c.speed), (what + ": speed").c_str());
  }
  DestroyMainWindow(window);
}
