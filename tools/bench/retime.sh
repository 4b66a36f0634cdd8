#!/usr/bin/env bash
# usage: tools/bench/retime.sh
#
# Reports how long the real playback engine takes to play the pace
# benchmark's 20-second recording and its `kestrova-rec retime --speed 2`
# output, each measured as the pace part measures (bench.exe, the product's
# x86_64 objects under Wine: from the play command until idle again). A
# retime that works plays the second in about half the time. Figures only.
set -u -o pipefail
cd "$(dirname "$0")/../.."
source tools/wine_env.sh
make -s build/bench/bench.exe build/tool/kestrova-rec >/dev/null
unset DISPLAY
kestrova_start_display
trap kestrova_stop_display EXIT
kestrova_ensure_prefix || exit 1
kestrova_run build/bench/bench.exe write-pace build/bench/pace.rec | tr -d '\r' &&
  build/tool/kestrova-rec retime build/bench/pace.rec --speed 2 -o build/bench/pace_x2.rec &&
  kestrova_run build/bench/bench.exe play-files build/bench/pace.rec build/bench/pace_x2.rec | tr -d '\r'
