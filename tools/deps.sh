#!/usr/bin/env bash
# Installs from Debian whatever the build, the tests and the window need and
# is missing. Quick when everything is there. Needs root (or sudo) only when
# something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libbenchmark-dev clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
  wine wine64 wine32:i386
  xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei fonts-wine
  zip python3
  qemu-user-static  # the 32-bit tests where the kernel runs no 32-bit code
)

installed() {
  dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
