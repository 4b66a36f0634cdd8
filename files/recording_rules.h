// What the program decides about recording bytes: whether a file holds a
// recording, how many records a recording has, and the marker patch that
// makes a self-playing copy.
#ifndef KESTROVA_RECORDING_RULES_H
#define KESTROVA_RECORDING_RULES_H

#include <cstdint>

#include "core/input_event.h"

// Bytes of a text that holds a decimal marker value: "-2147483648" and its zero.
constexpr std::uint32_t kMarkerTextCapacity = 12;

// Whether the n bytes read from a file are a recording: more than one byte,
// whole records only, and a first byte of 0 (the first record is a key down,
// a mouse move or another message whose low byte is 0).
bool IsRecording(const std::uint8_t* bytes, std::uint32_t n);

// The length in records of a recording read as n bytes: every record of the
// file, those behind an end marker too, so that a recording opened and saved
// or compiled keeps its bytes.
constexpr std::uint32_t RecordingLength(std::uint32_t n) { return n / sizeof(InputEvent); }

// The records a run of count records plays: up to its first end marker (a
// record with message 0), or all of them. Record 0 is always played, even
// all zero: a valid file may begin with one.
std::uint32_t RunLength(const InputEvent* records, std::uint32_t count);

// Writes value as five digits with leading zeros, or "-" and four, and longer
// when it needs more (printf's "%05d"), into dst (kMarkerTextCapacity bytes).
void FormatMarkerValue(std::int32_t value, char* dst);

// Finds the first run of five marker characters in the n bytes of an image
// and writes the first five characters of the value's "%05d" text over it.
// Returns 1 when a marker was found and patched, 0 when the image has none.
int PatchMarker(std::uint8_t* image, std::uint32_t n, char marker, std::int32_t value);

#endif
