#!/usr/bin/env bash
# usage: run_fuzzers.sh [SECONDS | --long]
# Runs each fuzzer in build/native and ends with a "N passed, N failed" line:
# a fuzzer passes when it finds nothing. Each starts from its corpus kept in
# the repository (tests/fuzz/corpus/NAME: recordings whole and cut, program
# images with their markers at the edges, names with two-byte characters
# whose second byte is a backslash, devices' names, command lines, texts for
# pack), which the long runs grow; what a run finds besides goes to
# build/native/corpus/NAME.
#   SECONDS (default 10): each fuzzer runs that long, as the test command does.
#   --long (make fuzz, before a release): each runs ten million inputs of at
#   most 512 bytes (short inputs run faster and keep the corpus small), two at
#   a time (the machine's two cores), and the corpus in the repository is
#   then made anew from both folders with libFuzzer's -set_cover_merge=1 (the
#   smaller -merge=1): few inputs that reach all that both reached. Each says
#   its executions, corpus and coverage: commit the corpus and put the figures
#   in the README.
set -u
cd "$(dirname "$0")/.."
mode=${1:-10}
runs=10000000
passed=0
failed=0

# run NAME: one fuzzer as the mode asks; its log in build/native/NAME.log.
run() {
  local name=$1 fuzzer=build/native/$1 found=build/native/corpus/$1 kept=tests/fuzz/corpus/$1
  local log=build/native/$1.log merged=build/native/merged-$1
  mkdir -p "$found" "$kept"
  if [ "$mode" != --long ]; then
    "$fuzzer" -max_total_time="$mode" -print_final_stats=0 -artifact_prefix=build/native/ "$found" "$kept" >"$log" 2>&1 &&
      echo "PASS $name ($mode s, from $(find "$kept" -type f | wc -l) inputs kept)"
    return
  fi
  "$fuzzer" -runs=$runs -max_len=512 -print_final_stats=1 -artifact_prefix=build/native/ "$found" "$kept" >"$log" 2>&1 ||
    return 1
  rm -rf "$merged" && mkdir -p "$merged" && "$fuzzer" -set_cover_merge=1 "$merged" "$kept" "$found" >>"$log" 2>&1 ||
    return 1
  rm -rf "$kept" && mv "$merged" "$kept"
  # What the corpus kept reaches: libFuzzer's count of edges (cov) and features (ft) once it has run it.
  "$fuzzer" -runs=0 "$kept" >>"$log" 2>&1 || return 1
  echo "PASS $name: $(sed -n 's/^stat::number_of_executed_units: //p' "$log") executions; corpus" \
    "$(find "$kept" -type f | wc -l) files, $(cat "$kept"/* | wc -c) bytes; $(grep -ao 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)"
}

names=()
for fuzzer in build/native/*_fuzz; do [ -x "$fuzzer" ] && names+=("$(basename "$fuzzer")"); done
for name in "${names[@]}"; do
  # Two at a time in the long mode; a status file each, since they end in any order.
  [ "$mode" = --long ] && [ "$(jobs -rp | wc -l)" -ge 2 ] && wait -n
  { run "$name"; echo $? >"build/native/$name.status"; } &
  [ "$mode" = --long ] || wait
done
wait
for name in "${names[@]}"; do
  if [ "$(cat "build/native/$name.status")" = 0 ]; then
    passed=$((passed + 1))
  else
    echo "FAIL $name: see build/native/$name.log"
    tail -n 30 "build/native/$name.log"
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
