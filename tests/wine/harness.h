// The harness of the Win32 tests under Wine: named tests, checks that say what
// they got, scratch folders, the real main window, and one answerer for every
// box, dialog and menu a command opens.
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
void Expect(bool ok, const std::string& what, const std::string& got, const std::string& want, int line);
inline std::string Text(const std::string& s) { return "\"" + s + "\""; }
inline std::string Text(const char* s) { return Text(std::string(s)); }
template <typename T>
std::string Text(T v) { return std::to_string(v); }
template <typename A, typename B>
void ExpectEqual(const A& got, const B& want, const std::string& what, int line) {
  Expect(Text(got) == Text(want), what, Text(got), Text(want), line);
}
#define WINE_TEST(name)                                             \
  static void name();                                               \
  static TestCase name##_case = {#name, name, nullptr};             \
  static TestCase* name##_registered = RegisterTest(&name##_case); \
  static void name()
#define EXPECT_EQ(got, want, what) ExpectEqual((got), (want), (what), __LINE__)
#define EXPECT_TRUE(cond, what) Expect((cond), (what), "false", "true", __LINE__)

std::string ScratchFolder(const char* name);  // empty, of its own, ending in a backslash
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);  // empty when there is no file
inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::string Caption(HWND window);
HWND MakeMainWindow(int left = 100, int top = 100);  // as the program makes it; not shown
void DestroyMainWindow(HWND window);  // as a close does, taking the WM_QUIT it posts
// The deadline of every wait: generous, the machine may be busy.
constexpr DWORD kWaitMs = 60000;
// Handles this thread's messages until done() holds; fails naming what it
// waited for after the time limit.
bool PumpUntil(const std::function<bool()>& done, const std::string& what, DWORD limit_ms = kWaitMs);
void* ReplaceImport(void** slot, void* procedure);  // returns the procedure it replaced

struct SeenBox {
  std::string caption, text, first;  // a message box's text; its edit box's first text
  HWND owner;
  bool topmost, icon;
  HMENU menu;
  bool unexpected;  // not of the kind the next answer was for (see Answered)
};
// Runs the command while a thread answers every box, dialog and menu of this
// process that comes up, each with the next answer: typed into its edit box (a
// file dialog's name box, or the box's one edit box) and confirmed, or for a
// menu its letter pressed; an empty answer cancels. With no answer left a
// message box gets its default button. A box the next answer is not for (see
// Answer) is closed and fails the test naming its caption and text. Returns
// what was seen, in order.
std::vector<SeenBox> Answered(const std::vector<std::string>& answers, const std::function<void()>& command);

#endif
