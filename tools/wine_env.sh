# Wine for the project's programs, sourced by the scripts in tools/.
# A private prefix under build/ (made once, then reused), Chinese code page
# 936 for the program's texts, no window manager, and a display: the
# caller's, or a private Xvfb.

KESTROVA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${KESTROVA_WINEPREFIX:-$KESTROVA_ROOT/build/wine-prefix}
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and asking for them stalls.
export WINEDLLOVERRIDES="mscoree=;mshtml="
WINE64=/usr/lib/wine/wine64

# Runs a Windows program (64-bit) under Wine with code page 936. LC_ALL is
# given to Wine alone: the locale need not exist on the host for that.
kestrova_wine() {
  LC_ALL=zh_CN.UTF-8 "$WINE64" "$@"
}

kestrova_ensure_prefix() {
  if [ -f "$WINEPREFIX/.kestrova-ready" ]; then return 0; fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  echo "making the Wine prefix $WINEPREFIX (once)..."
  kestrova_wine wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; return 1; }
  # Without a window manager Wine must manage its windows itself, or every
  # close waits about 2 s and focus does not follow clicks.
  kestrova_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  kestrova_wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /d N /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
  touch "$WINEPREFIX/.kestrova-ready"
}

# Starts a private Xvfb on the first free display from :90 on and exports
# DISPLAY; KESTROVA_XVFB_PID holds its process for kestrova_stop_display.
kestrova_start_display() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  KESTROVA_XVFB_PID=$!
  local i
  for i in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.05
  done
  export DISPLAY=":$n"
}

kestrova_stop_display() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  if [ -n "${KESTROVA_XVFB_PID:-}" ]; then
    kill "$KESTROVA_XVFB_PID" 2>/dev/null || true
    wait "$KESTROVA_XVFB_PID" 2>/dev/null || true
    KESTROVA_XVFB_PID=
  fi
}
