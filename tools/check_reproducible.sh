#!/usr/bin/env bash
# Builds the working tree twice, in two temporary folders of different names
# and depths, one build after the other, and compares what a release ships
# (both images, kestrova-rec and the release zip) byte for byte: a build must
# not depend on where or when it ran. Cheap enough for CI: the images and
# the tool are all it compiles. Then checks the zip's own checksums.
set -eu
cd "$(dirname "$0")/.."
outputs=(build/win32/kestrova.exe build/win64/kestrova.exe build/win32/kestrova-rec.exe build/tool/kestrova-rec)
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT
trees=("$work/one" "$work/two/deeper")
for tree in "${trees[@]}"; do
  mkdir -p "$tree"
  git ls-files -z -co --exclude-standard | tar --null -T - -cf - | tar -xf - -C "$tree"
  make -s -C "$tree" -j"$(nproc)" "${outputs[@]}" dist >/dev/null
done
outputs+=("$(cd "${trees[0]}" && echo dist/kestrova-*.zip)")
differ=0
for f in "${outputs[@]}"; do
  if ! cmp -s "${trees[0]}/$f" "${trees[1]}/$f"; then
    echo "not reproducible: $f differs in $(cmp -l "${trees[0]}/$f" "${trees[1]}/$f" | wc -l) bytes," \
      "the first at $(cmp "${trees[0]}/$f" "${trees[1]}/$f" | grep -o 'byte [0-9]*')" >&2
    differ=1
  fi
done
[ $differ -eq 0 ] || exit 1
echo "reproducible: ${outputs[*]} the same in two builds"
mkdir "$work/unpacked"
python3 -m zipfile -e "${trees[0]}/${outputs[-1]}" "$work/unpacked"
(cd "$work"/unpacked/* && sha256sum --quiet -c SHA256SUMS) && echo "${outputs[-1]}: its SHA256SUMS hold"
