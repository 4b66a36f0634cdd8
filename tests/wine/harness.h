// The harness of the Win32 tests under Wine: named tests, each run in a
// process of its own; checks that say what they got and what they wanted;
// scratch folders, the real main window, and the one answerer of the boxes,
// dialogs and menus a command opens.
#ifndef KESTROVA_WINE_HARNESS_H
#define KESTROVA_WINE_HARNESS_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct TestCase {
  const char* name;
  void (*run)();
  TestCase* next;
};
TestCase* RegisterTest(TestCase* test);
void Fail(const char* file, int line, const std::string& what, const std::string& got, const std::string& want);

inline std::string Plain(const char* s) { return s ? s : "(null)"; }
inline std::string Plain(char* s) { return Plain(static_cast<const char*>(s)); }
inline std::string Plain(const std::string& s) { return s; }
template <typename T>
T Plain(T v) { return v; }
inline std::string Show(const std::string& s) { return "\"" + s + "\""; }
template <typename T>
std::string Show(T v) { return std::to_string(v); }

template <typename A, typename B>
void ExpectEqual(const A& got, const B& want, const std::string& what, const char* file, int line) {
  if (!(Plain(got) == Plain(want))) Fail(file, line, what, Show(Plain(got)), Show(Plain(want)));
}

#define WINE_TEST(name)                                       \
  static void name();                                         \
  static TestCase name##_case = {#name, name, nullptr};       \
  static TestCase* name##_registered = RegisterTest(&name##_case); \
  static void name()
#define EXPECT_EQ(got, want, what) ExpectEqual((got), (want), (what), __FILE__, __LINE__)
#define EXPECT_TRUE(cond, what) ExpectEqual(static_cast<bool>(cond), true, (what), __FILE__, __LINE__)

// An empty folder of its own under the temporary folder, ending in a backslash.
std::string ScratchFolder(const char* name);
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);  // empty when there is no file
bool Exists(const std::string& path);
std::string Caption(HWND window);

// The main window as the program creates it, at the given place; not shown.
HWND MakeMainWindow(int left = 100, int top = 100);
// Destroys it as a close does, and takes the WM_QUIT that follows.
void DestroyMainWindow(HWND window);
// Handles the messages of this thread until done() holds; fails naming what
// it waited for after the time limit. Returns whether done() came to hold.
bool PumpUntil(const std::function<bool()>& done, const std::string& what, DWORD limit_ms = 10000);
// Makes the window the foreground window with the keyboard focus, and waits
// until that has held for a few rounds of messages.
bool BringToFront(HWND window);
// Points an import slot of the program at another procedure; returns the old one.
void* ReplaceImport(void** slot, void* procedure);

// What the answerer saw of one box, dialog or menu.
struct SeenBox {
  std::string cls, caption, text;  // text: a message box's message
  std::string first;               // the edit box's text as it came up (a file dialog's proposed name)
  std::vector<std::string> types;  // a file dialog's file types
  HWND owner;
  bool topmost, icon;
  HMENU menu;
};

// Runs the command while a thread of its own answers every box, dialog and
// menu of this process that comes up, each with the next answer: typed into
// its edit box (a file dialog's name box, or the box's one edit box) and
// confirmed, or, for a menu, its first letter pressed. An empty answer
// cancels (Escape for a menu). A box with no answer left gets its default
// button. Returns what was seen, in order.
std::vector<SeenBox> Answered(const std::vector<std::string>& answers, const std::function<void()>& command);

#endif
