// Runs the Win32 tests (all, or those whose names contain one of the
// arguments) and ends with "N passed, N failed".
//
// Each test runs in a process of its own (this program started again with
// "--one NAME"), so that windows, timers and queued messages of one test
// cannot reach the next, and a test that hangs in a modal loop is ended
// after a time limit instead of stopping the whole run.
#include <windows.h>

#include "tests/wine/check.h"
#include "core/state.h"

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

namespace {

constexpr DWORD kTestTimeLimit = 60000;

int RunOne(const char* name) {
  for (check::TestCase* test = check::Registry(); test; test = test->next) {
    if (std::strcmp(test->name, name) != 0) continue;
    ResetAppState();
    // This test program is far longer than a plain image: without this it
    // would count as a self-playing copy and close its window after playing.
    g_app.stub_size = 0x7FFFFFFF;
    test->run();
    std::fflush(stdout);
    return check::FailuresInTest() ? 1 : 0;
  }
  std::printf("  no test named %s\n", name);
  return 2;
}

// Runs one test in a child process; returns whether it passed.
bool RunInChild(const char* name) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string command = std::string("\"") + self + "\" --one " + name;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    std::printf("  could not start the test process\n");
    return false;
  }
  DWORD waited = WaitForSingleObject(process.hProcess, kTestTimeLimit);
  DWORD code = 1;
  if (waited == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 3);
    WaitForSingleObject(process.hProcess, 5000);
    std::printf("  timed out after %lu s\n", kTestTimeLimit / 1000);
  } else {
    GetExitCodeProcess(process.hProcess, &code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return waited != WAIT_TIMEOUT && code == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--one") == 0) return RunOne(argv[2]);
  int passed = 0, failed = 0;
  for (check::TestCase* test = check::Registry(); test; test = test->next) {
    bool chosen = argc == 1;
    for (int i = 1; i < argc; ++i) chosen |= std::strstr(test->name, argv[i]) != nullptr;
    if (!chosen) continue;
    std::fflush(stdout);
    bool ok = RunInChild(test->name);
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", test->name);
    std::fflush(stdout);
    ++(ok ? passed : failed);
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed ? 1 : 0;
}
