// Numeric identifiers, one header for all of them: resources from 1001,
// timers from 1001, commands from 0x8000, and the command table. Shared by
// the C++ sources and the resource script, so it holds nothing but #defines.
#ifndef KESTROVA_IDS_H
#define KESTROVA_IDS_H

// Resources
#define IDI_APP 1001      // program icon
#define IDB_TOOLBAR 1002  // toolbar strip, seven 16 by 16 pictures

// Window timers, all on the main window
#define TIMER_CAPTURE 1001     // one capture step while recording
#define TIMER_PLAYBACK 1002    // one playback step
#define TIMER_ABOUT_LINK 1003  // injects the web link into the About box
#define TIMER_REPEAT_EDIT 1004 // injects the edit box into the repeat prompt
#define TIMER_POLL 1005        // hotkeys and title line, every 50 ms

// Commands (low word of WM_COMMAND's wParam). Toolbar button i sends
// CMD_OPEN + i. 0x8006 to 0x8009 are unused.
#define CMD_OPEN 0x8000
#define CMD_SAVE 0x8001
#define CMD_RECORD 0x8002
#define CMD_PLAY 0x8003
#define CMD_COMPILE 0x8004
#define CMD_OPTIONS 0x8005
#define CMD_SPEED_NORMAL 0x800A
#define CMD_SPEED_FAST 0x800B
#define CMD_CONTINUOUS 0x800C
#define CMD_SET_REPEAT 0x800D
#define CMD_HELP 0x800E
#define CMD_WEBSITE 0x800F
#define CMD_ABOUT 0x8010
#define CMD_TIPS 0x8011
#define CMD_SAVE_SETTINGS 0x8012
#define CMD_FOLLOW_WINDOWS 0x8013
#define CMD_LAST CMD_FOLLOW_WINDOWS

// The command table: one row per command, ROW(id, gate, handler). The gate
// says in which run modes the command runs (core/admission.h); the handler is
// the feature's function that carries it out. A new command is one row here
// (and its menu entry, for a menu command).
#define KESTROVA_COMMAND_TABLE(ROW)                      \
  ROW(CMD_OPEN, GATE_IDLE, OnOpenCommand)                \
  ROW(CMD_SAVE, GATE_IDLE_RECORDED, OnSaveCommand)       \
  ROW(CMD_RECORD, GATE_NONE, OnRecordCommand)            \
  ROW(CMD_PLAY, GATE_PLAYABLE, OnPlayCommand)            \
  ROW(CMD_COMPILE, GATE_IDLE_RECORDED, OnCompileCommand) \
  ROW(CMD_OPTIONS, GATE_IDLE, ShowOptionsMenu)           \
  ROW(CMD_SPEED_NORMAL, GATE_NONE, ApplySetting)         \
  ROW(CMD_SPEED_FAST, GATE_NONE, ApplySetting)           \
  ROW(CMD_CONTINUOUS, GATE_NONE, ApplySetting)           \
  ROW(CMD_SET_REPEAT, GATE_NONE, AskRepeatCount)         \
  ROW(CMD_HELP, GATE_NONE, ShowHelp)                     \
  ROW(CMD_WEBSITE, GATE_NONE, OpenWebSite)               \
  ROW(CMD_ABOUT, GATE_NONE, ShowAbout)                   \
  ROW(CMD_TIPS, GATE_NONE, ApplySetting)                 \
  ROW(CMD_SAVE_SETTINGS, GATE_NONE, ApplySetting)        \
  ROW(CMD_FOLLOW_WINDOWS, GATE_NONE, ApplySetting)

#endif
