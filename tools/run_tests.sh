#!/usr/bin/env bash
# Runs every test layer (building the tests where missing; the images must be
# there), and closes with one "N passed, N failed" line over all of them:
#   1. native: the plain decisions (GoogleTest with sanitizers), and a short
#      run of each fuzzer;
#   2. wine: the Win32 code under Wine on a private display;
#   3. e2e: the real program under Wine, driven from outside, on each build
#      (in runs side by side).
# Exits non-zero when anything failed or could not run.
set -u
cd "$(dirname "$0")/.."
source tools/wine_env.sh

passed=0
failed=0
skipped=0
broken=()

# Adds the counts of a "N passed, N failed[, N skipped]" line to the totals.
tally() {
  local layer=$1 line=$2
  if [[ $line =~ ([0-9]+)\ passed,\ ([0-9]+)\ failed(,\ ([0-9]+)\ skipped)? ]]; then
    passed=$((passed + BASH_REMATCH[1]))
    failed=$((failed + BASH_REMATCH[2]))
    skipped=$((skipped + ${BASH_REMATCH[4]:-0}))
  else
    broken+=("$layer")
  fi
}

kestrova_start_display
trap kestrova_stop_display EXIT
kestrova_ensure_prefix || broken+=(wine-prefix)
# How 32-bit programs run here (tools/wine_env.sh), found once for all runs.
kestrova_route32_available && echo "32-bit Windows programs run here by the route: $KESTROVA_ROUTE32_FOUND"

# Shows a layer's log and adds up its closing line.
report_layer() {
  local layer=$1 log=$2
  cat "$log"
  tally "$layer" "$(tail -n 1 "$log")"
}

# The end-to-end runs go side by side with the Win32 layer: each build's
# tests shared by KESTROVA_E2E_SHARDS runs (default 2), each with a display
# and a copy of the prefix of its own, since one Wine server's keyboard and
# focus are shared by all its programs. They mostly wait for what Windows
# shows, not for the processor.
shards=${KESTROVA_E2E_SHARDS:-2}
runs=()
rm -f build/e2e/queue-*  # the runs of a build take their tests from its queue
kestrova_copy_e2e_prefixes || broken+=(wine-prefix)
for build in win64 win32; do
  for k in $(seq "$shards"); do
    env -u DISPLAY KESTROVA_WINEPREFIX="$(kestrova_e2e_prefix "$build" "$k")" KESTROVA_E2E_SHARD="$k/$shards" \
      python3 tests/e2e/run_e2e.py "build/$build/kestrova.exe" 2>&1 | tr -d '\r' >"build/e2e-$build-$k.log" &
    runs+=("$build $k $!")
  done
done

# What the other layers run is built beside the end-to-end runs, which need
# only the images (a no-op after `make native-tests wine-tests`); at a low
# priority, so that the programs under Wine get the processor when they want
# it, and at ours again once those runs are over.
nice -n 10 make -s native-tests wine-tests &
building=$!
(for run in "${runs[@]}"; do
  read -r _ _ pid <<<"$run"
  while kill -0 "$pid" 2>/dev/null; do sleep 1; done
done
tools/give_back_priority.sh "$(ps -o ni= -p $$)" "$building") >/dev/null 2>&1 &
wait "$building" || broken+=(build)

# The fuzzers' short runs go on beside the Win32 layer, at a low priority: the
# layers under Wine wait for what Windows shows, never for a time.
mkdir -p build/native
nice -n 10 tools/run_fuzzers.sh "${KESTROVA_FUZZ_SECONDS:-10}" >build/fuzz.log 2>&1 &
fuzzing=$!

echo "== native tests"
log=build/native/unit_tests.log
build/native/unit_tests --gtest_brief=1 2>&1 | tee "$log"
ok=$(grep -oP '^\[  PASSED  \] \K[0-9]+' "$log" || echo 0)
bad=$(grep -oP '^\[  FAILED  \] \K[0-9]+(?= tests?, listed below)' "$log" || echo 0)
if grep -q '^\[  PASSED  \]\|^\[  FAILED  \]' "$log"; then
  tally native "$ok passed, $bad failed"
else
  broken+=(native)
fi

echo "== Win32 tests under Wine (x86_64)"
# All in one process: a test stuck in a modal loop would hold the run for
# ever, so the layer has a time limit (it takes seconds). A test that
# crashes ends it at once, named.
timeout 600 env LC_ALL=zh_CN.UTF-8 "$WINE64" build/wine-tests/shell_tests.exe 2>&1 | tr -d '\r' >build/wine-tests.log
report_layer wine build/wine-tests.log

for run in "${runs[@]}"; do
  read -r build k pid <<<"$run"
  wait "$pid"
  echo "== end to end: build/$build/kestrova.exe, part $k of $shards"
  report_layer "e2e $build $k" "build/e2e-$build-$k.log"
done

wait "$fuzzing"
echo "== fuzzers (short runs)"
report_layer fuzz build/fuzz.log
untested=
[[ $KESTROVA_ROUTE32_FOUND != none* ]] || untested=${KESTROVA_ROUTE32_FOUND#none: }

echo
[ ${#broken[@]} -eq 0 ] || echo "did not run to the end: ${broken[*]}"
if [ -n "$untested" ]; then
  echo "************************************************************************"
  echo "the 32-bit product (build/win32) was NOT run end to end: $untested"
  echo "(under CI, or with KESTROVA_REQUIRE_WIN32=1, this fails the run)"
  echo "************************************************************************"
fi
echo "all layers: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ] && [ ${#broken[@]} -eq 0 ]
