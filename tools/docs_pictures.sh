#!/usr/bin/env bash
# Takes the README's pictures anew from the real program under Wine: runs the
# end-to-end journeys that photograph the window, the window while recording,
# the options menu, the About box and the result of a compile, and copies
# their screenshots into docs/. Uses the 32-bit product where it runs here,
# else the x86_64 build (they look the same).
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
make -s images
build=win32
tools/wine_run.sh --route build/win32/kestrova.exe >/dev/null || build=win64
python3 tests/e2e/run_e2e.py "build/$build/kestrova.exe" fresh_window a_moved_window_and_a_late_one_get_the_click_and_the_keys \
  menu_opens_with_enter_and_closes_with_escape about_box_link_opens_the_web_site compiled_copies
for name in window recording menu about compiled; do
  cp "build/e2e/shots/$name-$build.png" "docs/$name.png"
done
echo "docs/: window, recording, menu, about and compiled pictures taken from build/$build/kestrova.exe"
