#!/usr/bin/env bash
# Sets up, builds and starts Kestrova under Wine: the product, the 32-bit
# build, where 32-bit Windows programs can run here (natively, or through
# qemu-user: see tools/wine_env.sh); else its x86_64 twin, saying why. On a
# machine with a display ($DISPLAY set) the window opens there. Without one
# the program runs on a private virtual display instead: a screenshot is
# saved to build/screenshot.png after a few seconds, and it keeps running
# until you press Enter.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
make -j"$(nproc)" images
source tools/wine_env.sh
image=build/win32/kestrova.exe
kestrova_find_route32 || true
if ! why=$(kestrova_route32_available); then
  echo "$why: starting the x86_64 build instead."
  image=build/win64/kestrova.exe
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "No display here (DISPLAY is not set): starting Kestrova ($image) on a virtual display."
  kestrova_start_display
  trap kestrova_stop_display EXIT
  kestrova_ensure_prefix
  kestrova_run "$image" "$@" &
  sleep 4
  python3 tools/screenshot.py build/screenshot.png
  echo "Screenshot of the running program: build/screenshot.png"
  if [ -t 0 ]; then read -r -p "Press Enter to stop it. "; fi
else
  kestrova_ensure_prefix
  kestrova_run "$image" "$@"
fi
