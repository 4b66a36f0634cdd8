#!/usr/bin/env bash
# usage: tools/bench/rec.sh [RECORDS]
#
# Reports how long kestrova-rec takes to show and to pack a recording of
# RECORDS records (default 1000000): moves, key presses and clicks as a
# long session would hold them. Figures only; it passes or fails nothing.
# With WINE=1 the Windows build is timed under Wine as well.
set -eu
cd "$(dirname "$0")/../.."
records=${1:-1000000}
make -s build/tool/kestrova-rec >/dev/null
dir=build/bench-rec
mkdir -p "$dir"

python3 - "$dir/big.rec" "$records" <<'EOF'
import struct, sys
path, n = sys.argv[1], int(sys.argv[2])
out = bytearray()
t = 5_000_000
for i in range(n):
    t += (i * 7) % 40
    kind = i % 10
    if kind < 6:
        out += struct.pack("<5I", 512, 100 + i % 1800, 50 + i % 1000, t, 0x200A4)
    elif kind < 8:
        vk = 0x41 + i % 26
        out += struct.pack("<5I", 256 if kind == 6 else 257, 0x1E00 | vk, 0x1E, t, 0x200A4)
    else:
        out += struct.pack("<5I", 513 if kind == 8 else 514, 640, 480, t, 0x200A4)
open(path, "wb").write(out)
EOF

# Runs the command three times and prints the best wall time in seconds.
best_of_three() {
  local best= start end took
  for _ in 1 2 3; do
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    took=$(( (end - start) / 1000000 ))
    [ -z "$best" ] || [ "$took" -lt "$best" ] || continue
    best=$took
  done
  printf '%d.%03d s' $((best / 1000)) $((best % 1000))
}

tool=build/tool/kestrova-rec
echo "recording: $records records, $(stat -c %s "$dir/big.rec") bytes"
echo "show (native):  $(best_of_three "$tool" show "$dir/big.rec" -o "$dir/big.txt")," \
  "text $(stat -c %s "$dir/big.txt") bytes"
echo "pack (native):  $(best_of_three "$tool" pack "$dir/big.txt" -o "$dir/again.rec")"
cmp -s "$dir/big.rec" "$dir/again.rec" && same=yes || same=no
echo "show then pack gives the same bytes: $same"

if [ "${WINE:-0}" = 1 ]; then
  make -s build/win32/kestrova-rec.exe >/dev/null
  exe=build/win32/kestrova-rec.exe
  # Wine's start-up (and a private display's) is part of these figures.
  echo "--help (Wine):  $(best_of_three tools/wine_run.sh "$exe" --help), start-up alone"
  echo "show (Wine):    $(best_of_three tools/wine_run.sh "$exe" show "$dir/big.rec" -o "$dir/big.wine.txt")"
  echo "pack (Wine):    $(best_of_three tools/wine_run.sh "$exe" pack "$dir/big.wine.txt" -o "$dir/again.wine.rec")"
fi
