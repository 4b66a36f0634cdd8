// Window notes (core/window_note.h) as the tool meets them: where the whole
// ones lie among the records, what is wrong with a torn one, and their words
// in the text form, one line for all the records of a note:
//   window "Untitled - Notepad" class Notepad at 100 80 size 640 480
//   window none
// Titles and classes are code page 936 bytes in the records and UTF-8 in
// the text, each character that converts there and back unchanged; any other
// byte is written \xNN, and a quote and a backslash \" and \\.
#ifndef KESTROVA_REC_NOTES_H
#define KESTROVA_REC_NOTES_H

#include <cstddef>
#include <string>
#include <string_view>

#include "core/window_note.h"

// The records of the whole note whose head is records[i] of the count, or 0.
std::size_t NoteAt(const InputEvent* records, std::size_t count, std::size_t i, WindowNote& note);

// The first of the count records that is a note's but in no whole note, and
// what is wrong there in why; count when every note is whole.
std::size_t FirstTornNote(const InputEvent* records, std::size_t count, std::string& why);

// The note's words as show writes them, from "window" on.
std::string NoteWords(const WindowNote& note);

// Reads the words of a window line, from "window" on, into note. Returns an
// empty text, or what is wrong.
std::string ReadNoteWords(const std::string_view* words, std::size_t count, WindowNote& note);

// A title's or a class's bytes as the text writes them between quotes.
std::string ShownNoteText(std::string_view bytes);

// The bytes of a title or a class written in quotes (or, a class, as one
// word), named what in the errors. Returns an empty text, or what is wrong.
std::string ReadNoteText(std::string_view written, const char* what, std::string& bytes);

#endif
