#include "tests/wine/fixtures.h"

#include "app/placement.h"
#include "app/startup.h"
#include "core/state.h"

std::string ScratchFolder(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "kestrova-tests\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  folder += name;
  folder += "-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  // Process ids come back under Wine: clear what an earlier run left here.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string entry = folder + found.cFileName;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryA(entry.c_str());
      else
        DeleteFileA(entry.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return folder;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  return bytes;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HWND MakeMainWindow(int left, int top) {
  static ATOM registered = RegisterMainClass(GetModuleHandleA(nullptr));
  (void)registered;
  int frame = GetSystemMetrics(SM_CXDLGFRAME);
  HWND window = CreateMainWindow(GetModuleHandleA(nullptr), left, top, MainWindowWidth(frame),
                                 MainWindowHeight(GetSystemMetrics(SM_CYSMCAPTION), frame));
  g_app.main_window = window;
  return window;
}

void DestroyMainWindow(HWND window) {
  DestroyWindow(window);
  PumpMessages(20);
}

void PumpMessages(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

bool BringToFront(HWND window) {
  int settled = 0;
  for (int i = 0; i < 100 && settled < 4; ++i) {
    if (GetForegroundWindow() != window) {
      settled = 0;
      SetForegroundWindow(window);
      SetFocus(window);
    } else {
      ++settled;
    }
    PumpMessages(25);
  }
  return settled >= 4;
}

std::string Caption(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}
