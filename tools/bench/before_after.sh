#!/usr/bin/env bash
# usage: tools/bench/before_after.sh [REV]
#
# The playback's figures before and after a change, from one run: builds REV
# (default main) in a worktree of its own (build/bench/before, removed at the
# end) and this checkout as it stands, then runs bench.sh's moments and pace
# parts, quiet and beside four busy processes, and its pace part (normal and
# fast speed), for each in turn (REV first, then this checkout, part by part,
# so that both meet the same machine); KESTROVA_BENCH_PARTS chooses others.
# Prints each figure as it comes, named before_... or after_..., and at the
# end the two side by side. Figures, not pass/fail: on a shared machine they
# are only as quiet as the machine.
set -eu -o pipefail
cd "$(dirname "$0")/../.."
rev=${1:-main}
old=build/bench/before
echo "# before: $rev ($(git rev-parse --short "$rev")); after: this checkout ($(git rev-parse --short HEAD)$(
  git diff --quiet HEAD || echo ', with changes'))"
nice make -s -j2 images build/bench/bench.exe build/tool/kestrova-rec >/dev/null
git worktree remove --force "$old" 2>/dev/null || rm -rf "$old"
git worktree prune
git worktree add -q --detach "$old" "$rev"
trap 'git worktree remove --force "$old"' EXIT
nice make -s -j2 -C "$old" images build/bench/bench.exe >/dev/null

figures=build/bench/before_after.txt
: >"$figures"
for part in ${KESTROVA_BENCH_PARTS:-moments-quiet moments-loaded pace-quiet pace-loaded pace}; do
  for side in before after; do
    tree=.
    [ $side = after ] || tree=$old
    KESTROVA_BENCH_PARTS=$part KESTROVA_BENCH_EXE=$tree/build/bench/bench.exe \
      KESTROVA_BENCH_IMAGES="win32=$tree/build/win32/kestrova.exe win64=$tree/build/win64/kestrova.exe" \
      tools/bench/bench.sh | sed "s/^figure /figure ${side}_/" | tee -a "$figures"
  done
done

echo "== before and after"
awk '$1 == "figure" { side = substr($2, 1, index($2, "_") - 1); name = substr($2, index($2, "_") + 1)
       if (!(name in unit)) order[++n] = name
       value[side, name] = $3; unit[name] = $4 }
     END { printf "%-58s %10s %10s\n", "figure", "before", "after"
           for (i = 1; i <= n; ++i) printf "%-58s %10s %10s %s\n", order[i], value["before", order[i]],
                                          value["after", order[i]], unit[order[i]] }' "$figures"
