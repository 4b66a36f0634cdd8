// Runs the Win32 tests (all, or those whose names contain the first
// argument) and ends with "N passed, N failed".
#include <windows.h>

#include "check.h"
#include "state.h"

namespace check {

TestCase*& Registry() {
  static TestCase* first = nullptr;
  return first;
}

int& FailuresInTest() {
  static int failures = 0;
  return failures;
}

}  // namespace check

int main(int argc, char** argv) {
  int passed = 0, failed = 0;
  for (check::TestCase* test = check::Registry(); test; test = test->next) {
    if (argc > 1 && !std::strstr(test->name, argv[1])) continue;
    ResetAppState();
    check::FailuresInTest() = 0;
    test->run();
    bool ok = check::FailuresInTest() == 0;
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", test->name);
    std::fflush(stdout);
    ++(ok ? passed : failed);
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed ? 1 : 0;
}
