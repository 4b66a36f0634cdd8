#!/usr/bin/env bash
# Prints the benchmark figures of the capture and playback engines (figures,
# not pass/fail): `make bench` builds what they need and runs this.
#   bench.exe (tools/bench/bench.cpp, the product's x86_64 objects under
#   Wine): the cost of a capture step beside its floor, the playback pace at
#   normal and fast speed, 100 000 records through the growth path;
#   tools/bench/record_cpu.py: the CPU the real program takes while it
#   records with no input.
# Always on a private Xvfb (the pace part moves the pointer and injects
# keys), in the prefix of KESTROVA_WINEPREFIX (default build/wine-prefix).
# KESTROVA_BENCH_PARTS chooses parts (default: all of
# "capture pace growth-rule growth-steps record-cpu").
set -u -o pipefail
cd "$(dirname "$0")/../.."
source tools/wine_env.sh

parts=${KESTROVA_BENCH_PARTS:-capture pace growth-rule growth-steps record-cpu}
unset DISPLAY
kestrova_start_display
trap kestrova_stop_display EXIT
kestrova_ensure_prefix || exit 1

status=0
for part in $parts; do
  echo "== $part"
  if [ "$part" = record-cpu ]; then
    python3 tools/bench/record_cpu.py build/win64/kestrova.exe || status=1
  else
    kestrova_run build/bench/bench.exe "$part" | tr -d '\r' || status=1
  fi
done
exit $status
