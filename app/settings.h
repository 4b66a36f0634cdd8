// The settings file beside the program: read at start, written (or deleted,
// when saving is off) at exit.
#ifndef KESTROVA_SETTINGS_H
#define KESTROVA_SETTINGS_H

#include <cstdint>

// Sets the save-settings flag from the file's presence and reads the tips
// flag, the playback speed, whether to follow windows and how long to wait
// for one into the state; returns the saved window position, or the centred
// one where none is saved.
void ReadSettings(std::int32_t screen_w, std::int32_t screen_h, std::int32_t window_w, std::int32_t window_h,
                  std::int32_t& left, std::int32_t& top);

// Writes the window's position and the settings read when saving is on;
// otherwise deletes the file. Nothing at all when the run has no
// settings path.
void WriteSettings();

#endif
