// The fields of the program image that a compiled copy patches: the repeat
// count and speed markers, and the size of the image they belong to.
#ifndef KESTROVA_IMAGE_FIELDS_H
#define KESTROVA_IMAGE_FIELDS_H

#include <cstddef>

// They stay in one object so that the reference to the size keeps the
// markers in the image too; a reader of a copy finds the two fields just
// before the size text, which a compile leaves as it is.
struct ImageFields {
  char repeat_marker[6];  // "@@@@@", or the repeat count's five digits
  char speed_marker[6];   // "$$$$$", or the speed's
  char stub_size_text[7];
};

static_assert(offsetof(ImageFields, speed_marker) == 6 && offsetof(ImageFields, stub_size_text) == 12,
              "the fields lie back to back");

#endif
