#!/usr/bin/env bash
# usage: tools/bench/files.sh [RUNS]
#
# Times loading, saving and compiling a 1 000 000-record recording (20 MB)
# under Wine (x86_64 build): builds tools/bench/files.cpp against the
# program's own objects and runs it on a private display, in the prefix
# KESTROVA_WINEPREFIX names (default build/wine-prefix). Prints figures;
# it checks nothing beyond the recording loading whole.
set -eu
cd "$(dirname "$0")/../.."
source tools/wine_env.sh
make -s images
objects=$(ls build/win64/obj/{core,app,record,play,files,ui}/*.o | grep -v -e '/entry\.o$' -e '/runtime\.o$')
mkdir -p build/bench
x86_64-w64-mingw32-g++ -std=c++17 -O2 -Wall -Wextra -finput-charset=UTF-8 -fexec-charset=GBK -I. -Ibuild/gen \
  tools/bench/files.cpp $objects build/win64/obj/res.o -static -o build/bench/bench_files.exe \
  -luser32 -lgdi32 -lcomdlg32 -lshell32 -lwinmm
kestrova_start_display
trap kestrova_stop_display EXIT
kestrova_ensure_prefix || { echo "no Wine prefix" >&2; exit 1; }
image="Z:$(readlink -f build/win64/kestrova.exe | tr / '\\')"
kestrova_wine build/bench/bench_files.exe "$image" "${1:-5}" | tr -d '\r'
