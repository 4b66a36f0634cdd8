#include "app/command_tail.h"

const char* CommandTail(const char* command_line) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(command_line);
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p > ' ') ++p;
  }
  while (*p >= 1 && *p <= ' ') ++p;
  return reinterpret_cast<const char*>(p);
}
