#!/usr/bin/env bash
# Builds the working tree once more, in a temporary folder of another name and
# depth, and compares what a release ships (both images, kestrova-rec and the
# release zip) byte for byte with this checkout's own build: a build must not
# depend on where or when it ran. The checkout's outputs are built first when
# missing (a no-op after `make`). Cheap enough for CI: the images and the tool
# are all it compiles. Then checks the zip's own checksums.
set -eu
cd "$(dirname "$0")/.."
outputs=(build/win32/kestrova.exe build/win64/kestrova.exe build/win32/kestrova-rec.exe build/tool/kestrova-rec)
# The zip's entries are dated with the last commit: the copy below is no git
# checkout, so it is given the same date.
release_time=$(git log -1 --format=%ct 2>/dev/null || echo 0)
make -s -j"$(nproc)" "${outputs[@]}" dist RELEASE_TIME="$release_time" >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT
trees=(. "$work/elsewhere/deeper")
mkdir -p "${trees[1]}"
git ls-files -z -co --exclude-standard | tar --null -T - -cf - | tar -xf - -C "${trees[1]}"
make -s -C "${trees[1]}" -j"$(nproc)" "${outputs[@]}" dist RELEASE_TIME="$release_time" >/dev/null
outputs+=("dist/kestrova-$(sed -n 's/^#define KESTROVA_VERSION "\(.*\)"$/\1/p' res/kestrova.rc).zip")
differ=0
for f in "${outputs[@]}"; do
  if ! cmp -s "${trees[0]}/$f" "${trees[1]}/$f"; then
    echo "not reproducible: $f differs in $(cmp -l "${trees[0]}/$f" "${trees[1]}/$f" | wc -l) bytes," \
      "the first at $(cmp "${trees[0]}/$f" "${trees[1]}/$f" | grep -o 'byte [0-9]*')" >&2
    differ=1
  fi
done
[ $differ -eq 0 ] || exit 1
echo "reproducible: ${outputs[*]} the same in this checkout and in a second build elsewhere"
mkdir "$work/unpacked"
python3 -m zipfile -e "${outputs[-1]}" "$work/unpacked"
(cd "$work"/unpacked/* && sha256sum --quiet -c SHA256SUMS) && echo "${outputs[-1]}: its SHA256SUMS hold"
