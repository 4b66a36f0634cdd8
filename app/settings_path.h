// Where the settings file lives: beside the program, named like it.
#ifndef KESTROVA_SETTINGS_PATH_H
#define KESTROVA_SETTINGS_PATH_H

#include <cstdint>

constexpr std::uint32_t kPathCapacity = 256;

// Cuts own_path at its last full stop (which may lie in a folder name) and
// appends ".ini", into dst of kPathCapacity bytes. Returns 1 on success. When
// the result would not fit, dst is left empty and 0 is returned: a cut name
// could point at some other file, so the run then has no settings file.
int MakeSettingsPath(char* dst, const char* own_path);

#endif
