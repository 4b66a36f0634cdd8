#include "kestrova-rec/rec_edit.h"

#include <algorithm>

#include "kestrova-rec/rec_notes.h"

namespace {

enum Message : std::uint32_t {
  kKeyDown = 256,
  kKeyUp = 257,
  kMove = 512,
};

// The pause before a record: a clock that wrapped still counts forward, one
// that stepped back counts as no pause.
std::uint32_t PauseBefore(const InputEvent& record, const InputEvent& previous) {
  std::int32_t gap = static_cast<std::int32_t>(record.time - previous.time);
  return gap > 0 ? static_cast<std::uint32_t>(gap) : 0;
}

// The release of a mouse button's press, or 0 when the message is no press:
// left, right, middle and side buttons.
std::uint32_t ReleaseOfButton(std::uint32_t message) {
  return message == 513 || message == 516 || message == 519 || message == 523 ? message + 1 : 0;
}

bool IsButtonRelease(std::uint32_t message) {
  return message == 514 || message == 517 || message == 520 || message == 524;
}

// What the cut part holds down: presses not yet let go, in the order made.
struct Held {
  Records presses;

  // The press the release lets go of, taken off the list; false if none.
  bool Release(const InputEvent& release) {
    for (auto it = presses.begin(); it != presses.end(); ++it) {
      bool key = release.message == kKeyUp && it->message == kKeyDown &&
                 (it->param_l & 0xFF) == (release.param_l & 0xFF);
      if (key || (release.message != kKeyUp && ReleaseOfButton(it->message) == release.message)) {
        presses.erase(it);
        return true;
      }
    }
    return false;
  }

  bool Holds(const InputEvent& press) {
    for (const InputEvent& p : presses)
      if (p.message == press.message && (press.message != kKeyDown || (p.param_l & 0xFF) == (press.param_l & 0xFF)))
        return true;
    return false;
  }
};

// floor(a / b) for a positive b, also for a negative a.
std::int64_t FloorDivide(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && a < 0); }

// A coordinate on a screen of from pixels mapped to one of to pixels: the
// nearest pixel, the first and the last pixel onto the first and the last.
std::int64_t MapCoordinate(std::int64_t v, std::int64_t from, std::int64_t to) {
  if (from < 2) return v;
  return FloorDivide(2 * v * (to - 1) + (from - 1), 2 * (from - 1));
}

std::uint32_t Coordinate(std::int64_t v, std::int64_t screen) {
  if (screen > 0) v = std::clamp<std::int64_t>(v, 0, screen - 1);
  v = std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX);
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
}

// The pixels from v on, n of them, on a screen of from pixels mapped to one
// of to: from the first one's place to the last one's, so that a point in
// them stays in them.
std::uint32_t MapLength(std::int64_t v, std::int64_t n, std::int64_t from, std::int64_t to) {
  if (!n) return 0;
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(
      MapCoordinate(v + n - 1, from, to) - MapCoordinate(v, from, to) + 1, 0, 0xFFFF));
}

// A note's rectangle moves and scales with the positions of the input it is
// for, and is not kept on the screen: a window may lie partly beyond it.
void MoveNote(InputEvent& head, const WindowNote& note, const MoveEdit& edit) {
  std::int64_t left = note.left, top = note.top;
  std::uint32_t width = note.width, height = note.height;
  if (edit.to.width) {
    width = MapLength(left, width, edit.from.width, edit.to.width);
    height = MapLength(top, height, edit.from.height, edit.to.height);
    left = MapCoordinate(left, edit.from.width, edit.to.width);
    top = MapCoordinate(top, edit.from.height, edit.to.height);
  }
  head.param_l = Coordinate(left + edit.dx, 0);
  head.param_h = Coordinate(top + edit.dy, 0);
  head.window = width | height << 16;
}

}  // namespace

bool ParseThousandths(std::string_view text, std::uint64_t most, std::uint64_t& thousandths) {
  std::size_t point = text.find('.');
  std::string_view whole = text.substr(0, point), part = point == text.npos ? "" : text.substr(point + 1);
  if ((whole.empty() && part.empty()) || whole.size() > 12 || part.size() > 3 || (point != text.npos && part.empty()))
    return false;
  std::uint64_t value = 0;
  for (char c : whole) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  for (std::size_t i = 0; i < 3; ++i) {
    if (i < part.size() && (part[i] < '0' || part[i] > '9')) return false;
    value = value * 10 + (i < part.size() ? static_cast<std::uint64_t>(part[i] - '0') : 0);
  }
  thousandths = value;
  return value <= most;
}

std::vector<std::uint64_t> ElapsedMs(const Records& records) {
  std::vector<std::uint64_t> elapsed(records.size());
  for (std::size_t i = 1; i < records.size(); ++i) elapsed[i] = elapsed[i - 1] + PauseBefore(records[i], records[i - 1]);
  return elapsed;
}

void Retime(Records& records, std::uint64_t speed_thousandths, std::uint64_t cap_ms) {
  if (records.empty()) return;
  // A slowed pause may not outgrow what the 32-bit times tell forward.
  cap_ms = std::min<std::uint64_t>(cap_ms, 0x7FFFFFFF);
  // The exact time since record 0 is whole + part / speed milliseconds.
  std::uint64_t whole = 0, part = 0;
  const std::uint32_t start = records[0].time;
  std::uint32_t previous = start;
  for (std::size_t i = 1; i < records.size(); ++i) {
    std::uint64_t pause = PauseBefore(records[i], InputEvent{0, 0, 0, previous, 0}) * std::uint64_t{1000};
    previous = records[i].time;
    if (pause > cap_ms * speed_thousandths) {
      whole += cap_ms;
    } else {
      part += pause;
      whole += part / speed_thousandths;
      part %= speed_thousandths;
    }
    bool round_up = 2 * part >= speed_thousandths;
    records[i].time = start + static_cast<std::uint32_t>(whole + round_up);
  }
}

std::string Cut(const Records& records, std::uint64_t from_ms, std::uint64_t to_ms, Records& out) {
  out.clear();
  std::vector<std::uint64_t> elapsed = ElapsedMs(records);
  Held held;
  bool positioned = false;  // whether a mouse record before the part tells where the cursor is
  InputEvent cursor{kMove, 0, 0, 0, 0};
  Records window;  // the last note before the part, when it names a window
  WindowNote note;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const InputEvent& r = records[i];
    bool kept = elapsed[i] >= from_ms && elapsed[i] <= to_ms;
    if (!kept && out.empty() && IsMouseRecord(r.message)) {
      cursor.param_l = r.param_l, cursor.param_h = r.param_h, cursor.window = r.window;
      positioned = true;
    }
    std::size_t n = kept || !out.empty() ? 0 : NoteAt(records.data(), records.size(), i, note);
    if (n) window.assign(records.begin() + static_cast<std::ptrdiff_t>(i),
                         records.begin() + static_cast<std::ptrdiff_t>(note.window_class[0] ? i + n : i));
    if (!kept) continue;
    if (r.message == kKeyUp || IsButtonRelease(r.message)) {
      if (!held.Release(r)) continue;  // its press was cut away
    } else if ((r.message == kKeyDown || ReleaseOfButton(r.message)) && !held.Holds(r)) {
      held.presses.push_back(r);
    }
    out.push_back(r);
  }
  // A note with no input after it would have playback wait for a window to
  // play nothing there.
  while (!out.empty() && IsNoteRecord(out.back().message)) out.pop_back();
  if (out.empty()) return "no record lies in the part";
  // What the part still holds is let go at its end, the last press first.
  const InputEvent last = out.back();
  InputEvent at = cursor;
  for (const InputEvent& r : out)
    if (IsMouseRecord(r.message)) at = r;
  for (auto press = held.presses.rbegin(); press != held.presses.rend(); ++press) {
    InputEvent release = *press;
    release.time = last.time;
    if (release.message == kKeyDown) {
      release.message = kKeyUp;
    } else {
      release.message = ReleaseOfButton(press->message);
      release.param_l = at.param_l, release.param_h = at.param_h;
    }
    out.push_back(release);
  }
  // The input at the part's start goes to the window it went to.
  if (!IsNoteRecord(out.front().message)) {
    for (InputEvent& r : window) r.time = out.front().time;
    out.insert(out.begin(), window.begin(), window.end());
  }
  const InputEvent first = out.front();
  bool noted = IsNoteRecord(first.message);
  if (!noted && (first.message == kKeyDown || first.message == kMove)) return {};
  // The input the part starts with, after its note.
  const InputEvent& lead =
      *std::find_if(out.begin(), out.end(), [](const InputEvent& r) { return !IsNoteRecord(r.message); });
  if (IsMouseRecord(lead.message)) {
    cursor.param_l = lead.param_l, cursor.param_h = lead.param_h, cursor.window = lead.window;
  } else if (!positioned) {
    return "the part starts with " +
           (noted ? std::string("a window note") : "message " + std::to_string(first.message)) +
           ", and no mouse record before it tells where to put the cursor for the move a recording starts with";
  }
  cursor.time = first.time;
  out.insert(out.begin(), cursor);
  return {};
}

void Join(Records& joined, const Records& next, std::uint32_t pause_ms) {
  if (next.empty()) return;
  std::uint32_t shift = joined.empty() ? 0 : joined.back().time + pause_ms - next[0].time;
  // The window of the last note before would move next's input until its
  // first note; a note of no window ends its reach there.
  WindowNote note{};
  auto head = std::find_if(joined.rbegin(), joined.rend(), [](const InputEvent& r) { return r.message == kNoteMessage; });
  std::size_t at = static_cast<std::size_t>(joined.rend() - head) - 1;
  if (head != joined.rend() && NoteAt(joined.data(), joined.size(), at, note) && note.window_class[0]) {
    InputEvent none[2];
    joined.insert(joined.end(), none, none + WriteNote(WindowNote{}, next[0].time + shift, none, 2));
  }
  for (InputEvent r : next) {
    r.time += shift;
    joined.push_back(r);
  }
}

bool IsMouseRecord(std::uint32_t message) {
  switch (message) {
    case 512: case 513: case 514: case 516: case 517: case 519: case 520: case 522: case 523: case 524: case 526:
      return true;
    default:
      return false;
  }
}

void MovePositions(Records& records, const MoveEdit& edit) {
  WindowNote note;
  for (std::size_t i = 0; i < records.size(); ++i) {
    InputEvent& r = records[i];
    if (NoteAt(records.data(), records.size(), i, note) && note.window_class[0]) MoveNote(r, note, edit);
    if (!IsMouseRecord(r.message)) continue;
    std::int64_t x = static_cast<std::int32_t>(r.param_l), y = static_cast<std::int32_t>(r.param_h);
    if (edit.to.width) {
      x = MapCoordinate(x, edit.from.width, edit.to.width);
      y = MapCoordinate(y, edit.from.height, edit.to.height);
    }
    r.param_l = Coordinate(x + edit.dx, edit.clamp.width);
    r.param_h = Coordinate(y + edit.dy, edit.clamp.height);
  }
}
