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
# "capture pace growth-rule growth-steps record-cpu"). Two more parts play
# 10 s of moves at a 125 Hz polling rate KESTROVA_BENCH_RUNS times (default
# 3) and report the worst: pace-quiet as the machine is, pace-loaded beside
# four busy processes this script starts and stops. KESTROVA_BENCH_EXE names
# the bench.exe of the engine parts (default build/bench/bench.exe).
# Two more, moments-quiet and moments-loaded (the same two ways), play 59 key
# presses at irregular gaps with moves at 125 Hz between them three times
# from a self-playing copy of each image of KESTROVA_BENCH_IMAGES (default
# "win32=build/win32/kestrova.exe win64=build/win64/kestrova.exe", each
# LABEL=IMAGE), compiled by kestrova-rec, into a window of bench.exe: each
# press's lateness at the window, the spacing error of two presses, the copy's
# CPU while it plays (figures named LABEL_moments_quiet_...).
# tools/bench/before_after.sh prints the playback's figures of two commits.
set -u -o pipefail
cd "$(dirname "$0")/../.."
source tools/wine_env.sh

parts=${KESTROVA_BENCH_PARTS:-capture pace growth-rule growth-steps record-cpu}
bench=${KESTROVA_BENCH_EXE:-build/bench/bench.exe}
unset DISPLAY
kestrova_start_display
kestrova_ensure_prefix || exit 1

busy=()
stop_busy() {
  local pid
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  busy=()
}
trap 'stop_busy; kestrova_stop_display' EXIT

# Plays the moves at the polling pace the runs times; prints each run's
# figures, and the worst of each, the one furthest from 1: the played length
# (from the play command until idle again) and the span from the first key
# the target window got to the last, each over the recorded one.
pace_runs() {
  local name=$1 run out figure value
  declare -A worst=()
  for run in $(seq "${KESTROVA_BENCH_RUNS:-3}"); do
    out=$(kestrova_run "$bench" pace-moves | tr -d '\r') || return 1
    for figure in played_over_recorded key_span_played_over_recorded; do
      value=$(awk -v f="moves_125hz_$figure" '$2 == f { print $3 }' <<<"$out")
      [ -n "$value" ] || { echo "$out"; return 1; }
      echo "figure ${name}_run${run}_$figure $value x"
      worst[$figure]=$(awk -v a="$value" -v b="${worst[$figure]:-1}" \
        'function d(x) { return x < 1 ? 1 - x : x - 1 } BEGIN { print (d(a) > d(b) ? a : b) }')
    done
  done
  for figure in played_over_recorded key_span_played_over_recorded; do
    echo "figure ${name}_worst_$figure ${worst[$figure]} x"
  done
}

start_busy() {
  for _ in 1 2 3 4; do
    yes >/dev/null &
    busy+=($!)
  done
  echo "# beside four busy processes: ${busy[*]}"
}

# Plays the moments recording from a copy of each image; NAME in the figures.
moments() {
  local name=$1 pair label image copy
  kestrova_run build/bench/bench.exe write-moments build/bench/moments.rec || return 1
  for pair in ${KESTROVA_BENCH_IMAGES:-win32=build/win32/kestrova.exe win64=build/win64/kestrova.exe}; do
    label=${pair%%=*} image=${pair#*=}
    copy=build/bench/moments-$label.exe
    build/tool/kestrova-rec compile build/bench/moments.rec --stub "$image" --repeat 3 -o "$copy" >/dev/null || return 1
    kestrova_run build/bench/bench.exe moments "Z:$(readlink -f "$copy" | tr / '\\')" | tr -d '\r' |
      sed "s/^figure /figure ${label}_${name}_/" || return 1
  done
}

status=0
for part in $parts; do
  echo "== $part"
  case $part in
    *-loaded) start_busy ;;
  esac
  case $part in
    record-cpu) python3 tools/bench/record_cpu.py build/win64/kestrova.exe || status=1 ;;
    pace-quiet | pace-loaded) pace_runs "${part/-/_}" || status=1 ;;
    moments-quiet | moments-loaded) moments "${part/-/_}" || status=1 ;;
    *) kestrova_run "$bench" "$part" | tr -d '\r' || status=1 ;;
  esac
  stop_busy
done
exit $status
