# Wine for the project's programs, sourced by the scripts in tools/.
# A private prefix under build/ (made once, then reused), Chinese code page
# 936 for the program's texts, no window manager, and a display: the
# caller's, or a private Xvfb.
#
# 64-bit Windows programs run through wine64. 32-bit ones (the product)
# need Wine's 32-bit loader, /usr/lib/wine/wine (package wine32:i386), to
# run, and that is an i386 Linux program. The "32-bit route" is how it runs:
#   native  the kernel runs i386 programs itself;
#   qemu    it does not: tools/wine_ns.sh runs the program in a private
#           namespace where qemu-i386 (qemu-user 10) is registered for i386
#           programs; there every program started runs inside it, so that
#           all of them can start 32-bit ones;
#   none    neither works: 32-bit programs cannot run here (and the reason
#           is told).
# KESTROVA_ROUTE32=auto (the default: native, else qemu), native, qemu or
# none chooses. The route found is kept in KESTROVA_ROUTE32_FOUND (exported,
# so that programs started from here need not look again).

KESTROVA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${KESTROVA_WINEPREFIX:-$KESTROVA_ROOT/build/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: nothing here needs them, and asking for them stalls.
export WINEDLLOVERRIDES="mscoree=;mshtml="
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
KESTROVA_WINE_NS=$KESTROVA_ROOT/tools/wine_ns.sh
# The oldest qemu-user that starts a 32-bit process in well under a second
# (Debian 12's own 7.2 takes about a minute for each).
KESTROVA_QEMU_MIN_MAJOR=10
# The prefix's marker holds this version and its kind (wow64: with its
# 32-bit half, win64: without); a prefix with another marker is made anew.
KESTROVA_PREFIX_VERSION=3

# Runs a Windows program (64-bit) under Wine with code page 936. LC_ALL is
# given to Wine alone: the locale need not exist on the host for that.
kestrova_wine() {
  LC_ALL=zh_CN.UTF-8 "$WINE64" "$@"
}

# The machine of a PE image: i386, amd64, other, or none (not a PE image,
# or not a file: Wine's own programs such as wineboot are 64-bit here).
kestrova_pe_machine() {
  local file=$1 offset sig machine
  [ -f "$file" ] || { echo none; return; }
  [ "$(head -c 2 "$file")" = MZ ] || { echo none; return; }
  offset=$(od -An -t u4 -j 60 -N 4 "$file" | tr -d ' ')
  [ -n "$offset" ] || { echo none; return; }
  sig=$(od -An -t x1 -j "$offset" -N 4 "$file" | tr -d ' ')
  [ "$sig" = 50450000 ] || { echo none; return; }
  machine=$(od -An -t x2 -j $((offset + 4)) -N 2 "$file" | tr -d ' ')
  case $machine in
    014c) echo i386 ;;
    8664) echo amd64 ;;
    *) echo other ;;
  esac
}

# Why the qemu route does not work here (prints it and fails), or nothing.
_kestrova_qemu_trouble() {
  local qemu version major out
  qemu=${KESTROVA_QEMU_I386:-$(command -v qemu-i386 || command -v qemu-i386-static || true)}
  if [ -z "$qemu" ]; then
    echo "no qemu-i386 (package qemu-user $KESTROVA_QEMU_MIN_MAJOR or later, from backports: tools/setup.sh)"
    return
  fi
  version=$("$qemu" --version 2>/dev/null | head -n 1 | grep -oE 'version [0-9]+(\.[0-9]+)*' | cut -d' ' -f2)
  major=${version%%.*}
  if ! [ "${major:-0}" -ge "$KESTROVA_QEMU_MIN_MAJOR" ] 2>/dev/null; then
    echo "$qemu is version ${version:-unknown}, which takes about a minute to start each 32-bit process;" \
      "$KESTROVA_QEMU_MIN_MAJOR or later is needed (tools/setup.sh installs it from backports)"
    return
  fi
  if ! out=$("$KESTROVA_WINE_NS" "$WINE32" --version 2>&1) || [[ $out != wine-* ]]; then
    echo "Wine's 32-bit loader does not start in tools/wine_ns.sh's namespace: $(echo "$out" | tail -n 1)"
    return
  fi
  return 1
}

# Finds the 32-bit route (see above) once: sets and exports
# KESTROVA_ROUTE32_FOUND to native, qemu or "none: REASON". Fails when it
# is none, printing nothing.
kestrova_find_route32() {
  if [ -z "${KESTROVA_ROUTE32_FOUND:-}" ]; then
    local want=${KESTROVA_ROUTE32:-auto} found out why
    if [ ! -x "$WINE32" ]; then
      found="none: Wine's 32-bit loader $WINE32 is missing (package wine32:i386: tools/setup.sh)"
    else
      case $want in
        auto | native)
          if out=$("$WINE32" --version 2>&1) && [[ $out == wine-* ]]; then
            found=native
          elif [ "$want" = native ]; then
            found="none: this kernel does not run i386 programs ($(echo "$out" | tail -n 1))"
          elif why=$(_kestrova_qemu_trouble); then
            found="none: this kernel does not run i386 programs, and $why"
          else
            found=qemu
          fi
          ;;
        qemu)
          if why=$(_kestrova_qemu_trouble); then found="none: $why"; else found=qemu; fi
          ;;
        none | off) found="none: KESTROVA_ROUTE32=$want" ;;
        *) found="none: KESTROVA_ROUTE32=$want is none of auto, native, qemu, none" ;;
      esac
    fi
    export KESTROVA_ROUTE32_FOUND=$found
  fi
  [[ $KESTROVA_ROUTE32_FOUND != none* ]]
}

# Succeeds when 32-bit programs can run here; otherwise prints why not and
# fails.
kestrova_route32_available() {
  kestrova_find_route32 && return 0
  echo "32-bit Windows programs cannot run here: ${KESTROVA_ROUTE32_FOUND#none: }"
  return 1
}

# Sets the array KESTROVA_CMD to the command that runs PROGRAM [ARGS...]
# under Wine by the route its PE machine needs (a PROGRAM that is no file,
# such as wineboot, is one of Wine's own 64-bit programs). Fails, printing
# why, when a 32-bit program cannot run here.
kestrova_command() {
  local program=$1 machine loader
  machine=$(kestrova_pe_machine "$program")
  kestrova_find_route32 || true
  if [ "$machine" = i386 ]; then
    kestrova_route32_available || return 1
    loader=$WINE32
  else
    loader=$WINE64
  fi
  KESTROVA_CMD=(env LC_ALL=zh_CN.UTF-8 "$loader" "$@")
  if [ "$KESTROVA_ROUTE32_FOUND" = qemu ]; then
    KESTROVA_CMD=("$KESTROVA_WINE_NS" "${KESTROVA_CMD[@]}")
  fi
}

# Runs PROGRAM [ARGS...] under Wine (see kestrova_command) and returns its
# exit code.
kestrova_run() {
  local KESTROVA_CMD
  kestrova_command "$@" || return 125
  "${KESTROVA_CMD[@]}"
}

_kestrova_prefix_ready() {
  local kind=$1 marker
  marker=$(cat "$WINEPREFIX/.kestrova-ready" 2>/dev/null) || return 1
  [ "$marker" = "$KESTROVA_PREFIX_VERSION wow64" ] || [ "$marker" = "$KESTROVA_PREFIX_VERSION $kind" ]
}

# Makes the prefix unless it is ready (and of the right kind: one without
# its 32-bit half is made anew once 32-bit programs can run). Runs take
# turns at making it.
kestrova_ensure_prefix() {
  # wow64 (with its 32-bit half) when 32-bit programs can run here.
  local kind=win64
  if kestrova_find_route32; then kind=wow64; fi
  _kestrova_prefix_ready "$kind" && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    _kestrova_prefix_ready "$kind" && exit 0
    # A server still running on an old prefix here would keep its files.
    [ -d "$WINEPREFIX" ] && "$WINESERVER" -k 2>/dev/null
    rm -rf "$WINEPREFIX"
    echo "making the Wine prefix $WINEPREFIX ($kind, once)..."
    # Made through the route, so that its 32-bit half (syswow64) is filled.
    kestrova_run wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 1; }
    # Without a window manager Wine must manage its windows itself, or every
    # close waits about 2 s and focus does not follow clicks.
    kestrova_run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    kestrova_run reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /d N /f >/dev/null 2>&1
    # A program that crashes ends at once, its backtrace in its log ("wine: Unhandled ..."), instead of
    # waiting in a crash dialog that nobody answers.
    kestrova_run reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    "$WINESERVER" -w
    if [ "$kind" = wow64 ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
      echo "the prefix $WINEPREFIX got no 32-bit half (syswow64/kernel32.dll)" >&2
      exit 1
    fi
    echo "$KESTROVA_PREFIX_VERSION $kind" >"$WINEPREFIX/.kestrova-ready"
  ) 9>"$WINEPREFIX.lock"
}

# Makes the prefix DEST a copy of the ready prefix (much quicker than making
# one), unless DEST is a ready prefix of the same marker already. Ends the
# prefix's Wine server first, so that the copy is taken of files at rest.
kestrova_copy_prefix() {
  local dest=$1
  [ "$(cat "$dest/.kestrova-ready" 2>/dev/null)" = "$(cat "$WINEPREFIX/.kestrova-ready")" ] && return 0
  { "$WINESERVER" -k && "$WINESERVER" -w; } 2>/dev/null
  rm -rf "$dest"
  cp -a "$WINEPREFIX" "$dest" || { rm -rf "$dest"; return 1; }
}

# The prefix of end-to-end run K of BUILD's runs side by side.
kestrova_e2e_prefix() {
  echo "$WINEPREFIX-e2e-$1-$2"
}

# Makes the prefixes of the end-to-end runs (tools/run_tests.sh: the
# KESTROVA_E2E_SHARDS runs, default 2, of each build) where they are not
# copies of the ready prefix yet.
kestrova_copy_e2e_prefixes() {
  local build k
  for build in win64 win32; do
    for k in $(seq "${KESTROVA_E2E_SHARDS:-2}"); do
      kestrova_copy_prefix "$(kestrova_e2e_prefix "$build" "$k")" || return 1
    done
  done
}

# Starts a private Xvfb on the first free display from :90 on and exports
# DISPLAY; KESTROVA_XVFB_PID holds its process for kestrova_stop_display.
# Another run may take the same number at the same moment: then our Xvfb
# ends at once and the next free number is tried. The display is ours once
# its lock file names our Xvfb (the other run's socket is there too).
kestrova_start_display() {
  local n=90 try i
  for try in $(seq 20); do
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    KESTROVA_XVFB_PID=$!
    for i in $(seq 600); do
      kill -0 "$KESTROVA_XVFB_PID" 2>/dev/null || break
      [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' ' <"/tmp/.X$n-lock" 2>/dev/null)" = "$KESTROVA_XVFB_PID" ] &&
        { export DISPLAY=":$n"; return 0; }
      sleep 0.05
    done
    kill "$KESTROVA_XVFB_PID" 2>/dev/null
    n=$((n + 1))
  done
  echo "could not start Xvfb" >&2
  return 1
}

# Ends the Wine server and every program it still serves, and waits for
# them, before the display goes.
kestrova_stop_display() {
  { "$WINESERVER" -k && "$WINESERVER" -w; } 2>/dev/null || true
  if [ -n "${KESTROVA_XVFB_PID:-}" ]; then
    kill "$KESTROVA_XVFB_PID" 2>/dev/null || true
    wait "$KESTROVA_XVFB_PID" 2>/dev/null || true
    # Waited for also when another shell started it (then it is no child of
    # this one): until it runs no more.
    while [[ $(ps -o stat= -p "$KESTROVA_XVFB_PID") == [^Z]* ]]; do sleep 0.05; done
    KESTROVA_XVFB_PID=
  fi
}
