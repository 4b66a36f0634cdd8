#!/usr/bin/env bash
# Installs what building, running and testing Kestrova need, all from
# Debian 12's own packages. Quick when everything is there already.
#   - mingw-w64 cross compilers (i686 for the product, x86_64 for its twin
#     that runs under Wine here) with windres;
#   - wine64 with fonts, Xvfb, xdotool and the X tools for screenshots;
#   - a CJK font, so that the program's Chinese texts have glyphs;
#   - g++, GoogleTest, clang with libFuzzer for the native tests;
#   - python3 for the asset generator and the end-to-end tests;
#   - osslsigncode and openssl, with which the tests sign the program;
#   - procps (ps, pgrep), with which the test command looks after its runs;
#   - the route for the 32-bit product (tools/wine_ns.sh): the i386
#     architecture with Wine's 32-bit loader (wine32:i386), and qemu-user
#     10 from the distribution's backports suite, whose mirror is taken from
#     the machine's own apt configuration. Only qemu-user (and what it
#     needs) comes from backports; nothing is pinned.
# Without the route (no backports to be had, say) setup warns and goes on:
# the 32-bit end-to-end runs are then skipped with the reason.
set -eu

packages=(
  make python3 g++ clang libclang-rt-14-dev libgtest-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 libwine fonts-wine xvfb xdotool x11-apps x11-utils fonts-wqy-microhei osslsigncode openssl procps
)
# The 32-bit half of Wine, once the i386 architecture is there.
packages32=(wine32:i386 libwine:i386)
QEMU_MIN_MAJOR=10

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
apt_install() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@"
}
installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}
warn() {
  echo "setup: warning: $*; the 32-bit product cannot be run here (its end-to-end runs will be skipped)" >&2
}

codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
backports=$codename-backports
backports_file=/etc/apt/sources.list.d/kestrova-$backports.sources

# "URI<TAB>Signed-By" of the first enabled apt source of the release's main
# suite ($codename), in deb822 files or one-line lists; empty when none.
release_source() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    [ "$f" = "$backports_file" ] && continue
    awk -v suite="$codename" '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && enabled != "no" && (" " suites " ") ~ (" " suite " ") && uri != "") {
          print uri "\t" signed; found = 1; exit
        }
        types = suites = uri = signed = enabled = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      {
        key = tolower($1); sub(/:$/, "", key)
        value = $0; sub(/^[^:]*:[ \t]*/, "", value); sub(/[ \t]+$/, "", value)
        if (key == "types") types = value
        else if (key == "suites") suites = value
        else if (key == "uris") { split(value, u, /[ \t]+/); uri = u[1] }
        else if (key == "signed-by") signed = value
        else if (key == "enabled") enabled = tolower(value)
      }
      END { if (!found) flush() }' "$f" | head -n 1
  done | head -n 1 | grep . && return 0
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v suite="$codename" '
      $1 != "deb" { next }
      {
        i = 2; signed = ""
        if ($2 ~ /^\[/) {
          while (i <= NF) {
            if ($i ~ /^\[?signed-by=/) { signed = $i; sub(/^\[?signed-by=/, "", signed); sub(/\]$/, "", signed) }
            if ($i ~ /\]$/) { i++; break }
            i++
          }
        }
        if ($(i + 1) == suite) { print $i "\t" signed; exit }
      }' "$f"
  done | head -n 1
}

# Whether apt already knows the backports suite (from the machine's own
# configuration or from ours).
backports_configured() {
  grep -Eqs "^[^#]*[[:space:]]$backports([[:space:]]|$)" /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources
}

qemu_major() {
  local v
  v=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null) || return 1
  v=${v#*:}
  echo "${v%%.*}"
}

qemu_ok() {
  local major
  major=$(qemu_major) && [ "$major" -ge "$QEMU_MIN_MAJOR" ] 2>/dev/null
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
have_i386=no
dpkg --print-foreign-architectures | grep -qx i386 && have_i386=yes
missing32=()
for p in "${packages32[@]}"; do installed "$p" || missing32+=("$p"); done
need_backports=no
backports_configured || need_backports=yes
need_qemu=no
qemu_ok || need_qemu=yes

if [ ${#missing[@]} -eq 0 ] && [ $have_i386 = yes ] && [ ${#missing32[@]} -eq 0 ] &&
   [ $need_backports = no ] && [ $need_qemu = no ]; then
  exit 0
fi

if [ $have_i386 = no ]; then
  echo "adding the i386 architecture (for Wine's 32-bit loader)"
  $sudo dpkg --add-architecture i386
fi
if [ $need_backports = yes ]; then
  if [ -z "$codename" ]; then
    warn "no release code name in /etc/os-release, so no backports suite"
  else
    source_line=$(release_source || true)
    if [ -z "$source_line" ]; then
      warn "no apt source for the '$codename' suite to take the backports mirror from"
    else
      uri=${source_line%%$'\t'*}
      signed=${source_line#*$'\t'}
      echo "adding the $backports suite from $uri ($backports_file)"
      {
        echo "# Written by Kestrova's tools/setup.sh: qemu-user 10 for the 32-bit product."
        echo "Types: deb"
        echo "URIs: $uri"
        echo "Suites: $backports"
        echo "Components: main"
        [ -z "$signed" ] || echo "Signed-By: $signed"
      } | $sudo tee "$backports_file" >/dev/null
    fi
  fi
fi

if [ ${#missing[@]} -eq 0 ] && [ ${#missing32[@]} -eq 0 ] && ! backports_configured; then
  exit 0  # qemu-user 10 cannot be had here (said above): nothing else to do
fi
todo=("${missing[@]}" "${missing32[@]}")
[ $need_qemu = no ] || todo+=("qemu-user (from $backports)")
echo "installing: ${todo[*]}"
$sudo apt-get update -qq
[ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"
if [ ${#missing32[@]} -gt 0 ]; then
  # --no-remove: nothing is taken away to make room (multiarch can ask).
  apt_install --no-remove "${missing32[@]}" || warn "could not install ${missing32[*]}"
fi
if [ $need_qemu = yes ]; then
  if backports_configured; then
    apt_install --no-remove -t "$backports" qemu-user || warn "could not install qemu-user from $backports"
    qemu_ok || warn "qemu-user is $(qemu_major || echo missing), not $QEMU_MIN_MAJOR or later"
  fi
fi
