// A small test harness for the Win32 tests that run under Wine: named test
// functions, checks that say what they got and what they wanted, and a
// closing "N passed, N failed" line.
#ifndef KESTROVA_WINE_CHECK_H
#define KESTROVA_WINE_CHECK_H

#include <cstdio>
#include <cstring>
#include <string>

namespace check {

struct TestCase {
  const char* name;
  void (*run)();
  TestCase* next;
};

TestCase*& Registry();
int& FailuresInTest();

struct Register {
  Register(TestCase* test) {
    TestCase** tail = &Registry();
    while (*tail) tail = &(*tail)->next;
    *tail = test;
  }
};

inline std::string Show(const std::string& s) { return "\"" + s + "\""; }
inline std::string Show(const char* s) { return s ? Show(std::string(s)) : "(null)"; }
inline std::string Show(char* s) { return Show(static_cast<const char*>(s)); }
inline std::string Show(bool v) { return v ? "true" : "false"; }
template <typename T>
std::string Show(const T& v) {
  return std::to_string(v);
}

template <typename A, typename B>
bool Equal(const A& a, const B& b) {
  return a == b;
}
inline bool Equal(const char* a, const char* b) { return std::strcmp(a, b) == 0; }
inline bool Equal(char* a, const char* b) { return std::strcmp(a, b) == 0; }
inline bool Equal(const std::string& a, const char* b) { return a == b; }

template <typename A, typename B>
void ExpectEqual(const A& got, const B& want, const char* what, const char* file, int line) {
  if (Equal(got, want)) return;
  ++FailuresInTest();
  std::printf("  %s:%d: %s: got %s, expected %s\n", file, line, what, Show(got).c_str(), Show(want).c_str());
}

}  // namespace check

#define WINE_TEST(name)                                                  \
  static void name();                                                    \
  static check::TestCase name##_case = {#name, name, nullptr};           \
  static check::Register name##_register(&name##_case);                  \
  static void name()

#define EXPECT_EQ(got, want, what) check::ExpectEqual((got), (want), (what), __FILE__, __LINE__)
#define EXPECT_TRUE(cond, what) check::ExpectEqual(static_cast<bool>(cond), true, (what), __FILE__, __LINE__)

#endif
