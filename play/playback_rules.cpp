#include "play/playback_rules.h"

bool StartsAnotherRun(bool stop_request, std::int32_t repetitions_done, std::int32_t repeat_count,
                      std::uint8_t continuous_playback) {
  if (stop_request) return false;
  return repetitions_done < repeat_count || continuous_playback != 0;
}

std::uint32_t DueRecordsEnd(const InputEvent* records, std::uint32_t capacity, std::uint32_t p,
                            std::uint32_t base_tick, std::uint32_t now) {
  std::uint32_t end = p + 1;
  while (end < capacity && records[end].message == kMoveMessage &&
         TimeToRecord(base_tick, records[0].time, records[end].time, now) == 0)
    ++end;
  return end;
}

FastBatch RunFastBatch(const InputEvent* records, std::uint32_t capacity, std::uint32_t p, bool button_held,
                       void (*play_move)(const InputEvent& move)) {
  FastBatch batch = {p, false};
  if (button_held) return batch;
  for (; batch.next < capacity && records[batch.next].message == kMoveMessage; ++batch.next) {
    std::uint32_t after = batch.next + 1;
    bool last_of_series = after >= capacity || records[after].message != kMoveMessage;
    if (batch.next % 6 == 0 || last_of_series) {
      play_move(records[batch.next]);
      batch.played = true;
    }
  }
  return batch;
}
