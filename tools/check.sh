#!/usr/bin/env bash
# Sets up, builds and runs every test layer, then checks that two builds in
# other folders come out the same: the README's test command.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
make -j"$(nproc)" test
tools/check_reproducible.sh
