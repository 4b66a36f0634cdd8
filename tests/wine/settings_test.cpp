// The settings file with the real profile functions, and FileSizeOf on real
// files.
#include "tests/wine/check.h"
#include "core/file_size.h"
#include "tests/wine/fixtures.h"
#include "app/settings.h"
#include "app/settings_path.h"
#include "core/state.h"
#include "core/text.h"

namespace {

void UseSettingsFile(const std::string& path) { CopyBounded(g_app.settings_path, kPathCapacity, path.c_str()); }


}  // namespace

WINE_TEST(MissingSettingsFileGivesDefaultsAndNoFileAtExit) {
  std::string ini = ScratchFolder("settings-missing") + "kestrova.ini";
  DeleteFileA(ini.c_str());
  UseSettingsFile(ini);
  std::int32_t left = 0, top = 0;
  ReadSettings(1024, 768, 137, 49, left, top);
  EXPECT_EQ(left, 512 - 68, "centred left edge");
  EXPECT_EQ(top, 384 - 24, "centred top edge");
  EXPECT_EQ(g_app.tips, 1, "tips flag");
  EXPECT_EQ(g_app.playback_speed, 0, "speed");
  EXPECT_EQ(g_app.save_settings, 0, "save-settings flag");
  HWND window = MakeMainWindow();
  DestroyMainWindow(window);
  EXPECT_EQ(Exists(ini), false, "settings file after exit");
}

WINE_TEST(SettingsRoundTripThroughTheProfileFunctions) {
  std::string ini = ScratchFolder("settings-roundtrip") + "kestrova.ini";
  WriteBytes(ini, "[Kestrova]\r\nwindow_x=3\r\nwindow_y=40\r\ntips=257\r\nspeed=256\r\n");
  UseSettingsFile(ini);
  std::int32_t left = 0, top = 0;
  ReadSettings(1024, 768, 137, 49, left, top);
  EXPECT_EQ(g_app.save_settings, 1, "a settings file turns saving on");
  EXPECT_EQ(left, 3, "saved left edge, before clamping");
  EXPECT_EQ(top, 40, "saved top edge");
  EXPECT_EQ(g_app.tips, 1, "tips 257 keeps its low 8 bits");
  EXPECT_EQ(g_app.playback_speed, 0, "speed 256 keeps its low 8 bits");

  g_app.tips = 0;
  g_app.playback_speed = 1;
  HWND window = MakeMainWindow(321, 123);
  RECT r;
  GetWindowRect(window, &r);
  DestroyMainWindow(window);
  EXPECT_EQ(GetPrivateProfileIntA("Kestrova", "window_x", -1, ini.c_str()), static_cast<UINT>(r.left), "window_x");
  EXPECT_EQ(GetPrivateProfileIntA("Kestrova", "window_y", -1, ini.c_str()), static_cast<UINT>(r.top), "window_y");
  EXPECT_EQ(GetPrivateProfileIntA("Kestrova", "tips", -1, ini.c_str()), 0u, "tips");
  EXPECT_EQ(GetPrivateProfileIntA("Kestrova", "speed", -1, ini.c_str()), 1u, "speed");

  ResetAppState();
  UseSettingsFile(ini);
  ReadSettings(1024, 768, 137, 49, left, top);
  EXPECT_EQ(left, 321, "left edge read back");
  EXPECT_EQ(top, 123, "top edge read back");
  EXPECT_EQ(g_app.tips, 0, "tips read back");
  EXPECT_EQ(g_app.playback_speed, 1, "speed read back");
}

WINE_TEST(NegativePositionIsWrittenAndReadSigned) {
  std::string ini = ScratchFolder("settings-negative") + "kestrova.ini";
  WriteBytes(ini, "");
  UseSettingsFile(ini);
  std::int32_t left = 0, top = 0;
  ReadSettings(1024, 768, 137, 49, left, top);
  EXPECT_EQ(g_app.save_settings, 1, "an empty file still turns saving on");
  HWND window = MakeMainWindow(-20, -30);
  SetWindowPos(window, nullptr, -20, -30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  DestroyMainWindow(window);
  std::string text = ReadBytes(ini);
  EXPECT_TRUE(text.find("window_x=-20") != std::string::npos, ("negative x in [" + text + "]").c_str());
  ReadSettings(1024, 768, 137, 49, left, top);
  EXPECT_EQ(left, -20, "negative left edge read back");
  EXPECT_EQ(top, -30, "negative top edge read back");
}

WINE_TEST(SavingOffDeletesTheSettingsFileAtExit) {
  std::string ini = ScratchFolder("settings-off") + "kestrova.ini";
  WriteBytes(ini, "[Kestrova]\r\ntips=0\r\n");
  UseSettingsFile(ini);
  std::int32_t left, top;
  ReadSettings(1024, 768, 137, 49, left, top);
  g_app.save_settings = 0;  // as the menu's toggle leaves it
  DestroyMainWindow(MakeMainWindow());
  EXPECT_EQ(Exists(ini), false, "settings file after exit with saving off");
}

WINE_TEST(FolderNamedLikeTheSettingsFileIsLeftAlone) {
  std::string ini = ScratchFolder("settings-folder") + "kestrova.ini";
  CreateDirectoryA(ini.c_str(), nullptr);
  UseSettingsFile(ini);
  std::int32_t left, top;
  ReadSettings(1024, 768, 137, 49, left, top);
  EXPECT_EQ(g_app.save_settings, 0, "a folder does not turn saving on");
  DestroyMainWindow(MakeMainWindow());
  DWORD attributes = GetFileAttributesA(ini.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY),
              "the folder is still there");
  RemoveDirectoryA(ini.c_str());
}

WINE_TEST(NoSettingsPathMeansNoFileIsTouched) {
  // A program path too long for ".ini" leaves the settings path empty; then
  // nothing may be read from, written to or deleted at any cut name.
  std::string folder = ScratchFolder("settings-none");
  g_app.settings_path[0] = 0;
  g_app.save_settings = 1;
  std::int32_t left, top;
  ReadSettings(1024, 768, 137, 49, left, top);
  EXPECT_EQ(g_app.tips, 1, "defaults kept");
  EXPECT_EQ(left, 512 - 68, "centred");
  DestroyMainWindow(MakeMainWindow());
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*.ini").c_str(), &found);
  EXPECT_TRUE(search == INVALID_HANDLE_VALUE, "no settings file written anywhere here");
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

WINE_TEST(FileSizeOfRealFiles) {
  std::string folder = ScratchFolder("file-size");
  WriteBytes(folder + "empty", "");
  WriteBytes(folder + "five", "12345");
  WriteBytes(folder + "big", std::string(100000, 'x'));
  EXPECT_EQ(FileSizeOf((folder + "empty").c_str()), 0u, "empty file");
  EXPECT_EQ(FileSizeOf((folder + "five").c_str()), 5u, "five bytes");
  EXPECT_EQ(FileSizeOf((folder + "big").c_str()), 100000u, "100000 bytes");
  EXPECT_EQ(FileSizeOf((folder + "missing").c_str()), 0u, "missing file");
  EXPECT_EQ(FileSizeOf(folder.c_str()), 0u, "a folder");

  char own[MAX_PATH];
  GetModuleFileNameA(nullptr, own, sizeof own);
  std::uint32_t own_size = static_cast<std::uint32_t>(ReadBytes(own).size());
  EXPECT_TRUE(own_size > 0, "own file readable");
  EXPECT_EQ(FileSizeOf(nullptr), own_size, "absent path is the own file");
  EXPECT_EQ(FileSizeOf(""), own_size, "empty path is the own file");

  // A file held open for writing by someone else is still measured.
  HANDLE held = CreateFileA((folder + "five").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(FileSizeOf((folder + "five").c_str()), 5u, "file open elsewhere");
  CloseHandle(held);
}
