// Cutting the program's own name off the process command line.
#ifndef KESTROVA_COMMAND_TAIL_H
#define KESTROVA_COMMAND_TAIL_H

// Returns the part of the command line behind the program's own path (quoted
// or not) and the blanks after it; possibly empty, never absent. Bytes of 128
// and above (code page 936 lead and trail bytes) are ordinary characters.
const char* CommandTail(const char* command_line);

#endif
