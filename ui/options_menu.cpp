#include "ui/options_menu.h"

const MenuEntry kOptionsMenu[kMenuEntryCount] = {
    {CMD_SPEED_NORMAL, CHECK_SPEED_NORMAL, "播放速度: 正常(&N)"},
    {CMD_SPEED_FAST, CHECK_SPEED_FAST, "播放速度: 快(&F)"},
    {0, CHECK_NEVER, nullptr},
    {CMD_CONTINUOUS, CHECK_CONTINUOUS, "连续播放(&C)"},
    {CMD_SET_REPEAT, CHECK_NEVER, "设置重复次数(&R)..."},
    {CMD_FOLLOW_WINDOWS, CHECK_FOLLOW_WINDOWS, "跟随窗口(&L)"},
    {0, CHECK_NEVER, nullptr},
    {CMD_SAVE_SETTINGS, CHECK_SAVE_SETTINGS, "保存设置到.INI(&S)"},
    {CMD_TIPS, CHECK_TIPS, "显示提示(&T)"},
    {0, CHECK_NEVER, nullptr},
    {CMD_HELP, CHECK_NEVER, "帮助(&H)"},
    {CMD_WEBSITE, CHECK_NEVER, "官网(&W)"},
    {CMD_ABOUT, CHECK_NEVER, "关于(&A)"},
};

std::uint32_t MenuEntryFlags(const MenuEntry& entry, const MenuSettings& settings) {
  if (!entry.id) return kMenuSeparator;
  const bool holds[] = {false,
                        settings.playback_speed == 0,
                        settings.playback_speed != 0,
                        settings.continuous_playback != 0,
                        settings.save_settings != 0,
                        settings.tips != 0,
                        settings.follow_windows != 0};  // by MenuCheck
  return holds[entry.check] ? kMenuString | kMenuChecked : kMenuString;
}
