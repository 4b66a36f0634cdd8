#!/usr/bin/env bash
# Gives the processes and all they started the priority of the caller (whose
# nice value is the first argument): a build that went at a low priority beside
# the end-to-end runs, once there is nothing left to yield to. Where raising a
# priority is not allowed, they keep theirs.
set -u
base=$1
shift
for pid in "$@"; do
  renice "$base" -p "$pid" >/dev/null 2>&1
  children=$(pgrep -P "$pid")
  [ -z "$children" ] || "$0" "$base" $children
done
