// What plays as soon as the program has started.
#ifndef KESTROVA_SELF_PLAY_H
#define KESTROVA_SELF_PLAY_H

/*
 * Loads the recording named on the command line or, when there is none, the
 * one appended to a self-playing copy (with the repeat count and speed
 * compiled into it), and posts the play command. Returns 0 when a
 * self-playing copy has nothing to play and should end at once.
 */
int PlayOnStart(const char* command_tail, bool self_playing);

#endif
