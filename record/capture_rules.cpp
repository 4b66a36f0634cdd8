#include "record/capture_rules.h"

namespace {

constexpr std::uint32_t WM_KEYDOWN_ = 256, WM_KEYUP_ = 257, WM_MOUSEMOVE_ = 512, WM_LBUTTONDOWN_ = 513,
                        WM_LBUTTONUP_ = 514, WM_RBUTTONDOWN_ = 516, WM_RBUTTONUP_ = 517;

}  // namespace

std::uint32_t ScanKeys(std::uint8_t* snapshot, bool (*key_down)(std::uint32_t vk)) {
  for (std::uint32_t vk = 1; vk <= 254; ++vk) {
    std::uint8_t down = key_down(vk) ? 1 : 0;
    if (down != snapshot[vk]) {
      snapshot[vk] = down;
      return vk;
    }
  }
  return kNoKey;
}

int MakeCaptureRecord(std::uint32_t vk, bool down, std::uint32_t scan, std::int32_t x, std::int32_t y,
                      std::uint8_t& checksum, InputEvent& record) {
  std::uint32_t ux = static_cast<std::uint32_t>(x), uy = static_cast<std::uint32_t>(y);
  if (vk == 1 || vk == 2) {
    if (vk == 1)
      record.message = down ? WM_LBUTTONDOWN_ : WM_LBUTTONUP_;
    else
      record.message = down ? WM_RBUTTONDOWN_ : WM_RBUTTONUP_;
    record.param_l = ux;
    record.param_h = uy;
    return 1;
  }
  if (vk != kNoKey && vk != kLeftShift) {
    record.message = down ? WM_KEYDOWN_ : WM_KEYUP_;
    record.param_l = scan * 256u + vk;
    record.param_h = scan;
    return 1;
  }
  if (x == 0 || y == 0 || MouseChecksum(x, y) == checksum) return 0;
  checksum = MouseChecksum(x, y);
  record.message = WM_MOUSEMOVE_;
  record.param_l = ux;
  record.param_h = uy;
  return 1;
}

int MoveBeforeButtonKey(std::uint32_t vk, std::uint8_t* snapshot, const InputEvent* records, std::uint32_t count,
                        std::int32_t x, std::int32_t y, InputEvent& record) {
  if (vk == kNoKey || !ButtonOfKey(vk, true).flags) return 0;
  const InputEvent* place = LastPlace(records, count);
  if (place && static_cast<std::int32_t>(place->param_l) == x && static_cast<std::int32_t>(place->param_h) == y) return 0;
  snapshot[vk] ^= 1;
  snapshot[0] = MouseChecksum(x, y);
  record.message = WM_MOUSEMOVE_;
  record.param_l = static_cast<std::uint32_t>(x);
  record.param_h = static_cast<std::uint32_t>(y);
  return 1;
}

int AppendWheelTurn(InputEvent* records, std::uint32_t capacity, std::uint32_t& count, const InputEvent& turn) {
  if (count + 1 < capacity) {
    records[count++] = turn;
    return 1;
  }
  // The bound holds (count < capacity), so the last record lies in the buffer.
  if (!count || records[count - 1].message != turn.message) return 0;
  records[count - 1].window += turn.window;
  return 1;
}

std::uint32_t WithoutTrailingNotes(const InputEvent* records, std::uint32_t count) {
  while (count > 1 && IsNoteRecord(records[count - 1].message)) --count;
  return count;
}

std::uint32_t TrimmedCount(const InputEvent* records, std::uint32_t count, std::uint32_t main_window) {
  for (std::uint32_t i = count; i > 1; --i) {
    const InputEvent& r = records[i - 1];
    if (r.message == WM_LBUTTONDOWN_ && r.window == main_window) return WithoutTrailingNotes(records, i - 1);
    if (r.message != WM_MOUSEMOVE_ && r.message != WM_LBUTTONUP_) break;
  }
  return WithoutTrailingNotes(records, ChordTrimmedCount(records, count));
}

std::uint32_t ChordTrimmedCount(const InputEvent* records, std::uint32_t count) {
  std::uint32_t cut = count;
  for (std::uint32_t i = count; i > 1; --i) {
    const InputEvent& r = records[i - 1];
    if (r.message == WM_KEYDOWN_ && IsRecordChordKey(r.param_l & 0xFF))
      cut = i - 1;
    else if (r.message != WM_MOUSEMOVE_ && !IsNoteRecord(r.message))
      break;
  }
  return cut;
}
