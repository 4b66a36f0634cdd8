// bench.exe: figures (not pass/fail) for the capture and playback engines,
// run under Wine with the product's own objects (the x86_64 build).
//
//   bench.exe capture       cost of one real CaptureStep while recording with
//                           no input, beside a bare loop of the 254
//                           GetAsyncKeyState calls it cannot do without
//   bench.exe pace          the real playback engine playing a synthetic
//                           20-second recording into a window of this
//                           process: played / recorded duration, at normal
//                           speed (gaps of 10..200 ms; and moves at the
//                           polling pace, every 15-16 ms) and at fast speed
//                           (a recording of mostly moves)
//   bench.exe pace-moves    10 seconds of moves at a 125 Hz polling rate,
//                           every 8 ms, at normal speed (bench.sh plays them
//                           quiet and beside busy processes)
//   bench.exe write-moments FILE  59 key presses at irregular gaps of 23 to
//                           211 ms, moves at a 125 Hz polling rate between
//                           them, as a recording file
//   bench.exe moments COPY  starts COPY, a self-playing copy of that
//                           recording that plays it three times, and times
//                           each press at a window of its own (bench.sh
//                           compiles the copies and runs them quiet and
//                           beside busy processes)
//   bench.exe growth-rule   100 000 records appended through the growth rule
//                           and ReallocateBlock, as CaptureStep does it
//   bench.exe growth-steps  100 000 moves recorded by the real CaptureStep
//                           (the cursor set between the steps)
//   bench.exe write-pace FILE  the normal-speed pace recording as a file, for
//                           kestrova-rec to edit
//   bench.exe play-files FILE...  each recording file played as the pace
//                           part plays its own (tools/bench/retime.sh)
//
// Each prints "figure NAME VALUE UNIT" lines, and notes as "# ..." lines.
// Run them in separate processes (tools/bench.sh does): the peak memory is
// the process's.
#include <cstdio>
#include <cstring>

#include "core/state.h"
#include "tools/bench/bench_parts.h"

int main(int argc, char** argv) {
  ResetAppState();
  // This program is far longer than a plain image: without this it would
  // count as a self-playing copy and close its window after playing.
  g_app.stub_size = 0x7FFFFFFF;
  const char* part = argc > 1 ? argv[1] : "";
  if (std::strcmp(part, "capture") == 0) {
    BenchCapture();
  } else if (std::strcmp(part, "pace") == 0) {
    BenchPace();
  } else if (std::strcmp(part, "pace-moves") == 0) {
    BenchPaceMoves();
  } else if (std::strcmp(part, "write-moments") == 0 && argc == 3) {
    WriteMoments(argv[2]);
  } else if (std::strcmp(part, "moments") == 0 && argc == 3) {
    BenchMoments(argv[2]);
  } else if (std::strcmp(part, "growth-rule") == 0) {
    BenchGrowthRule();
  } else if (std::strcmp(part, "growth-steps") == 0) {
    BenchGrowthSteps();
  } else if (std::strcmp(part, "write-pace") == 0 && argc == 3) {
    WritePace(argv[2]);
  } else if (std::strcmp(part, "play-files") == 0) {
    BenchFiles(argc - 2, argv + 2);
  } else {
    std::fprintf(stderr, "usage: bench.exe capture | pace | pace-moves | moments COPY | growth-rule | growth-steps\n");
    return 2;
  }
  std::fflush(stdout);
  return 0;
}
