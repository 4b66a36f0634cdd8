#!/usr/bin/env bash
# Installs what building, running and testing Kestrova need, all from
# Debian 12's own packages. Quick when everything is there already.
#   - mingw-w64 cross compilers (i686 for the product, x86_64 for its twin
#     that runs under Wine here) with windres;
#   - wine64 with fonts, Xvfb, xdotool and the X tools for screenshots;
#   - a CJK font, so that the program's Chinese texts have glyphs;
#   - g++, GoogleTest, clang with libFuzzer for the native tests;
#   - python3 for the asset generator and the end-to-end tests.
set -eu

packages=(
  make python3 g++ clang libclang-rt-14-dev libgtest-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 libwine fonts-wine xvfb xdotool x11-apps x11-utils fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
