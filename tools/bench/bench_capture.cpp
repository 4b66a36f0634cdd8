// The capture part: what one real CaptureStep costs while recording with no
// input, beside a bare loop of the GetAsyncKeyState calls it cannot do without.
#include <cstdio>

#include "core/ids.h"
#include "core/state.h"
#include "record/capture.h"
#include "tools/bench/bench_measure.h"
#include "tools/bench/bench_parts.h"

namespace {

volatile int g_sink;

void BareKeyLoop() {
  int down = 0;
  for (int vk = 1; vk <= 254; ++vk) down += (GetAsyncKeyState(vk) & 0x8000) != 0;
  g_sink = down;
}

}  // namespace

void BenchCapture() {
  HWND window = MakeMainWindow();
  OnRecordCommand(0, 0);
  KillTimer(window, TIMER_CAPTURE);
  CaptureStep(window);  // obtains the buffer
  std::uint32_t before = g_app.event_count;
  const int kCalls = 200, kRounds = 25;
  std::vector<double> step, bare;
  for (int round = 0; round < kRounds; ++round) {
    double start = Seconds();
    for (int i = 0; i < kCalls; ++i) CaptureStep(window);
    double middle = Seconds();
    for (int i = 0; i < kCalls; ++i) BareKeyLoop();
    double end = Seconds();
    step.push_back((middle - start) / kCalls);
    bare.push_back((end - middle) / kCalls);
    KillTimer(window, TIMER_CAPTURE);
    Pump();
  }
  double s = Median(step), b = Median(bare);
  std::printf("# %d rounds of %d calls each, alternating; medians of the rounds\n", kRounds, kCalls);
  Figure("capture_step_time", s * 1e6, "us");
  Figure("bare_254_getasynckeystate_time", b * 1e6, "us");
  Figure("capture_step_over_bare_loop", s / b, "x");
  Figure("capture_step_share_of_10ms_period", s / 0.010 * 100, "%");
  std::printf("# records made during the measurement (no input expected): %u\n", g_app.event_count - before);
  OnRecordCommand(0, 0);
  DestroyWindow(window);
}
