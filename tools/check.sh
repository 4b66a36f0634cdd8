#!/usr/bin/env bash
# Sets up, builds and runs every test layer, and meanwhile checks that a
# second build in another folder comes out the same: the README's test
# command.
set -u
cd "$(dirname "$0")/.."
tools/setup.sh || exit 1
# Everything the layers and a release need, then the second build beside the
# tests, at a low priority: they wait for what they look for, never for a time.
make -j"$(nproc)" images native-tests wine-tests || exit 1
mkdir -p build
nice -n 10 tools/check_reproducible.sh >build/reproducible.log 2>&1 &
second_build=$!
make test
tested=$?
wait "$second_build"
reproducible=$?
cat build/reproducible.log
[ "$tested" -eq 0 ] && [ "$reproducible" -eq 0 ]
