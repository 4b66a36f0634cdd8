#include "files/self_play.h"

#include "core/file_size.h"
#include "core/ids.h"
#include "core/post_command.h"
#include "core/state.h"
#include "core/text_number.h"
#include "files/file_name_rules.h"
#include "files/recording_file.h"

int PlayOnStart(const char* command_tail, bool self_playing) {
  std::uint32_t loaded = 0;
  if (command_tail[0]) {
    char path[kNameCapacity];
    // Cut, the path would name some other file: it is refused instead.
    if (UnquotePath(path, sizeof path, command_tail))
      loaded = LoadRecording(path, 0);
    else
      ShowNotRecording(path);
  } else if (self_playing) {
    // The running copy finds the compiled values in its initialised data.
    loaded = LoadRecording(g_app.own_path, g_app.stub_size, OwnRecordsEnd());
    g_app.playback_speed = static_cast<std::uint8_t>(TextToInt(ImageFieldsAsLoaded().speed_marker));
    g_app.repeat_count = TextToInt(ImageFieldsAsLoaded().repeat_marker);
  } else {
    return 1;
  }
  if (loaded) PostCommand(CMD_PLAY, 0);
  // A hidden copy left with nothing to play would never end.
  return loaded || !self_playing;
}
