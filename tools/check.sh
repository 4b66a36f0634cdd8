#!/usr/bin/env bash
# Sets up, builds and runs every test layer, and meanwhile checks that a
# second build in another folder comes out the same: the README's test
# command.
set -u
cd "$(dirname "$0")/.."
tools/setup.sh || exit 1
# The Wine prefix is made beside the build, and copied for each end-to-end
# run (over a gigabyte each): mostly waiting, and done once.
mkdir -p build
(source tools/wine_env.sh && kestrova_start_display &&
  { kestrova_ensure_prefix && kestrova_copy_e2e_prefixes; kestrova_stop_display; }) >build/prefix.log 2>&1 &
prefix=$!
# Twice as many jobs as cores: compiles also wait on the disk, and on a
# machine busy with other work more jobs get more of its time.
jobs=$(($(nproc) * 2))
# First what the end-to-end runs need; the rest is built beside them.
e2e_needs=(build/win32/kestrova.exe build/win64/kestrova.exe build/tool/kestrova-rec build/e2e/probe.exe build/e2e/target.exe)
make -j"$jobs" "${e2e_needs[@]}" || exit 1
wait "$prefix"  # when it failed, the tests try again and tell why
# The second build goes on beside the tests, at a low priority: they wait for
# what they look for, never for a time, but Wine's focus is surer when its
# programs get the processor at once.
nice -n 10 tools/check_reproducible.sh >build/reproducible.log 2>&1 &
second_build=$!
make -j"$jobs" test
tested=$?
tools/give_back_priority.sh "$(ps -o ni= -p $$)" "$second_build"  # nothing left to yield to
wait "$second_build"
reproducible=$?
cat build/reproducible.log
[ "$tested" -eq 0 ] && [ "$reproducible" -eq 0 ]
