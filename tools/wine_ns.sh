#!/usr/bin/env bash
# usage: tools/wine_ns.sh COMMAND [ARG...]
#
# Runs COMMAND where 32-bit i386 Linux programs run through qemu-user: in a
# private user and mount namespace of its own, with a private binfmt_misc
# instance in which qemu-i386 is registered for i386 ELF files (flag F: the
# interpreter is opened now, so it need not be visible later). Nothing
# outside changes: the host's binfmt_misc stays as it is (here: unmounted),
# and the namespace goes when its last process ends. Inside, Wine's 32-bit
# loader (/usr/lib/wine/wine, from wine32:i386) runs, and so Wine runs
# 32-bit Windows programs in a 64-bit prefix.
#
# The process keeps its id all the way (no fork): COMMAND takes the place
# of this script, so whoever started it can signal and wait for COMMAND
# itself, and gets its exit code.
#
# KESTROVA_QEMU_I386 names the interpreter; by default the first of
# qemu-i386 and qemu-i386-static on PATH.
set -eu

if [ "${1:-}" != --inside ]; then
  [ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARG...]" >&2; exit 2; }
  exec unshare --user --map-root-user --mount "$(readlink -f "$0")" --inside "$(id -u)" "$(id -g)" "$@"
fi
uid=$2 gid=$3
shift 3

qemu=${KESTROVA_QEMU_I386:-$(command -v qemu-i386 || command -v qemu-i386-static || true)}
if [ -z "$qemu" ] || [ ! -x "$qemu" ]; then
  echo "wine_ns.sh: no qemu-i386 (package qemu-user)" >&2
  exit 125
fi
qemu=$(readlink -f "$qemu")

binfmt=/proc/sys/fs/binfmt_misc
mount -t binfmt_misc binfmt_misc "$binfmt" || {
  echo "wine_ns.sh: cannot mount a private binfmt_misc on $binfmt" >&2
  exit 125
}
# The i386 ELF header (executables and shared objects), as the kernel's
# binfmt_misc "register" file takes it: :name:type:offset:magic:mask:interpreter:flags
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
printf ':qemu-i386:M::%s:%s:%s:F' "$magic" "$mask" "$qemu" >"$binfmt/register" || {
  echo "wine_ns.sh: cannot register $qemu with binfmt_misc" >&2
  exit 125
}
# Only the namespace's root may register, so the caller is root in it. A
# caller who is not root outside goes on as itself, in a namespace nested
# in this one (it uses this one's registration): as root it would reach
# another Wine server than its programs outside.
if [ "$uid" != 0 ]; then
  exec unshare --user --map-user="$uid" --map-group="$gid" "$@"
fi
exec "$@"
