// Window notes as records: written and read back, and every torn note refused
// without a read past the records given.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/window_note.h"

namespace {

WindowNote Note(const std::string& window_class, const std::string& title, std::int32_t left = -8,
                std::int32_t top = 80) {
  WindowNote note = {left, top, 640, 480, {}, {}};
  std::strncpy(note.window_class, window_class.c_str(), kNoteTextCapacity - 1);
  std::strncpy(note.title, title.c_str(), kNoteTextCapacity - 1);
  return note;
}

std::vector<InputEvent> Written(const WindowNote& note) {
  std::vector<InputEvent> records(kNoteMaxRecords);
  records.resize(WriteNote(note, 5000, records.data(), kNoteMaxRecords));
  return records;
}

// Reads from a copy of exactly the records given, so that the sanitizer sees a read past them.
std::uint32_t Read(const std::vector<InputEvent>& records, WindowNote& note) {
  std::vector<InputEvent> exact(records);
  return ReadNote(exact.data(), static_cast<std::uint32_t>(exact.size()), note);
}

}  // namespace

TEST(WindowNotes, WrittenNotesReadBackWhole) {
  const std::string kTitle = "\xce\xde\xb1\xea\xcc\xe2 - \xbc\xc7\xca\xc2\xb1\xbe";  // 无标题 - 记事本
  struct Case {
    WindowNote note;
    std::uint32_t records;
  } cases[] = {
      {Note("Notepad", kTitle), 3},           // 8 + 16 bytes of text: two text records
      {Note("Notepad", "abc"), 2},            // 8 + 4 bytes, the last one the title's zero
      {Note("Notepad", "abcd"), 3},           // one byte more
      {Note("#32768", ""), 2},                // a menu: no title
      {Note("", "", 0, 0), 2},                // no window
      {Note(std::string(127, 'c'), std::string(127, 't')), kNoteMaxRecords},
  };
  cases[4].note.width = cases[4].note.height = 0;
  for (const Case& c : cases) {
    std::vector<InputEvent> records = Written(c.note);
    EXPECT_EQ(records.size(), c.records) << c.note.window_class;
    EXPECT_EQ(NoteLength(c.note), c.records) << c.note.window_class;
    for (const InputEvent& r : records) EXPECT_EQ(r.time, 5000u) << "every record at the input's time";
    WindowNote back = {};
    ASSERT_EQ(Read(records, back), c.records) << c.note.window_class;
    EXPECT_EQ(std::string(back.window_class), c.note.window_class);
    EXPECT_EQ(std::string(back.title), c.note.title);
    EXPECT_EQ(back.left, c.note.left);
    EXPECT_EQ(back.top, c.note.top);
    EXPECT_EQ(back.width, c.note.width);
    EXPECT_EQ(back.height, c.note.height);
    EXPECT_EQ(WriteNote(c.note, 0, records.data(), c.records - 1), 0u) << "a note that does not fit is not written";
  }
}

TEST(WindowNotes, TornNotesAreRefused) {
  const std::vector<InputEvent> whole = Written(Note("Notepad", "a.txt - Note"));  // 8 + 13 bytes: 3 records
  const InputEvent key = {256, 0x1e41, 0x1e, 5000, 0};
  struct Case {
    const char* what;
    void (*tear)(std::vector<InputEvent>&, const InputEvent&);
  } cases[] = {
      {"its last text record cut off", [](std::vector<InputEvent>& r, const InputEvent&) { r.pop_back(); }},
      {"a key instead of a text record", [](std::vector<InputEvent>& r, const InputEvent& k) { r[2] = k; }},
      {"a text record at another time", [](std::vector<InputEvent>& r, const InputEvent&) { r[1].time += 1; }},
      {"a byte behind the title's zero", [](std::vector<InputEvent>& r, const InputEvent&) { r[2].window |= 1u << 24; }},
      {"a text record too many", [](std::vector<InputEvent>& r, const InputEvent&) { r.push_back(r[2]); }},
      {"no head", [](std::vector<InputEvent>& r, const InputEvent&) { r.erase(r.begin()); }},
      {"a class of 128 bytes", [](std::vector<InputEvent>& r, const InputEvent&) {
         r = Written(Note(std::string(127, 'c'), ""));
         r[11].param_h |= 0x63u << 24;  // the class's zero becomes one more 'c'
       }},
      {"no window, with a title", [](std::vector<InputEvent>& r, const InputEvent&) {
         r = Written(Note("", "", 0, 0));
         r[1].param_l = 0x4100;  // "\0A\0"
       }},
  };
  WindowNote note = {};
  EXPECT_EQ(Read(whole, note), 3u);
  for (const Case& c : cases) {
    std::vector<InputEvent> records = whole;
    c.tear(records, key);
    EXPECT_EQ(Read(records, note), 0u) << c.what;
  }
  std::vector<InputEvent> followed = whole;
  followed.push_back(key);
  EXPECT_EQ(Read(followed, note), 3u) << "the input after the note is no part of it";
}

TEST(WindowNotes, TextsAreCutWholeAndMatchedByClassThenTitle) {
  struct Cut {
    std::string text, kept;
  } cuts[] = {
      {std::string(200, 'a'), std::string(127, 'a')},
      {std::string(126, 'a') + "\xbc\xc7", std::string(126, 'a')},  // the character would end past 127 bytes
      {std::string(125, 'a') + "\xbc\xc7", std::string(125, 'a') + "\xbc\xc7"},
      {"abc\xbc", "abc"},  // a lead byte without its second byte
  };
  for (const Cut& c : cuts) {
    std::vector<char> text(c.text.begin(), c.text.end());
    text.push_back(0);
    KeepNoteText(text.data());
    EXPECT_EQ(std::string(text.data()), c.kept) << c.text.size() << " bytes";
  }
  WindowNote note = Note("Notepad", "a.txt - Notepad");
  EXPECT_EQ(NoteMatch(note, "Notepad", "a.txt - Notepad"), 2);
  EXPECT_EQ(NoteMatch(note, "Notepad", "*a.txt - Notepad"), 1);
  EXPECT_EQ(NoteMatch(note, "notepad", "a.txt - Notepad"), 0);
  EXPECT_EQ(NoteMatch(note, "Edit", "a.txt - Notepad"), 0);
}
