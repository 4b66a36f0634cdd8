#!/usr/bin/env bash
# Runs each fuzzer in build/native for the given number of seconds (default
# 10) on its corpus in tests/fuzz/corpus/NAME, and ends with a
# "N passed, N failed" line: a fuzzer passes when it finds nothing.
set -u
cd "$(dirname "$0")/.."
seconds=${1:-10}
passed=0
failed=0
for fuzzer in build/native/*_fuzz; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus=build/native/corpus/$name
  mkdir -p "$corpus"
  [ -d "tests/fuzz/corpus/$name" ] && cp -n tests/fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null
  if "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix=build/native/ "$corpus" \
      >"build/native/$name.log" 2>&1; then
    echo "PASS $name ($seconds s)"
    passed=$((passed + 1))
  else
    echo "FAIL $name: see build/native/$name.log"
    tail -n 30 "build/native/$name.log"
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
