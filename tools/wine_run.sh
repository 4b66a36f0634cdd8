#!/usr/bin/env bash
# usage: tools/wine_run.sh PROGRAM [ARG...]
#        tools/wine_run.sh --route PROGRAM
#
# Starts a Windows program under Wine, 32-bit or 64-bit, the one way the
# project does (tools/wine_env.sh: the prefix, code page 936, and the route
# a 32-bit program needs). On the display given ($DISPLAY), or else on a
# private Xvfb that goes when the program ends. With a display given, the
# program takes this script's place (same process id), so that whoever
# started it can signal and wait for the program itself; its exit code is
# the program's. 125: it cannot run here (the reason is printed).
#
# --route prints how PROGRAM would be run: "wine64", "native" or "qemu"
# (see tools/wine_env.sh); or "none: REASON" (exit 3) when it cannot run
# here.
set -eu
source "$(dirname "$(readlink -f "$0")")/wine_env.sh"

if [ "${1:-}" = --route ]; then
  [ $# -eq 2 ] || { echo "usage: $0 --route PROGRAM" >&2; exit 2; }
  kestrova_find_route32 || true
  case $(kestrova_pe_machine "$2") in
    i386) echo "$KESTROVA_ROUTE32_FOUND"; [[ $KESTROVA_ROUTE32_FOUND != none* ]] || exit 3 ;;
    amd64) echo wine64 ;;
    *) echo "none: $2 is not a 32-bit or 64-bit x86 Windows program"; exit 3 ;;
  esac
  exit 0
fi
[ $# -gt 0 ] || { echo "usage: $0 PROGRAM [ARG...]" >&2; exit 2; }

private=no
if [ -z "${DISPLAY:-}" ]; then
  kestrova_start_display
  private=yes
fi
kestrova_ensure_prefix >&2 || exit 125
if ! kestrova_command "$@" >&2; then
  [ $private = no ] || kestrova_stop_display
  exit 125
fi
if [ $private = no ]; then
  exec "${KESTROVA_CMD[@]}"
fi
status=0
"${KESTROVA_CMD[@]}" || status=$?
kestrova_stop_display
exit $status
