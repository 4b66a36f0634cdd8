#!/usr/bin/env bash
# Sets up, builds and starts Kestrova under Wine (the x86_64 twin: this
# machine's kernel runs 64-bit Windows programs through wine64). On a
# machine with a display ($DISPLAY set) the window opens there. Without one
# the program runs on a private virtual display instead: a screenshot is
# saved to build/screenshot.png after a few seconds, and it keeps running
# until you press Enter.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
make -j"$(nproc)" images
source tools/wine_env.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "No display here (DISPLAY is not set): starting Kestrova on a virtual display."
  kestrova_start_display
  trap kestrova_stop_display EXIT
  kestrova_ensure_prefix
  kestrova_wine build/win64/kestrova.exe "$@" &
  sleep 4
  python3 tools/screenshot.py build/screenshot.png
  echo "Screenshot of the running program: build/screenshot.png"
  if [ -t 0 ]; then read -r -p "Press Enter to stop it. "; fi
else
  kestrova_ensure_prefix
  kestrova_wine build/win64/kestrova.exe "$@"
fi
