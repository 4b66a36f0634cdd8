#!/usr/bin/env bash
# Sets up, builds and runs every test layer: the README's test command.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
make -j"$(nproc)" test
