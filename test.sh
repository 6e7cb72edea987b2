#!/usr/bin/env bash
# Builds everything (Linux, 32-bit and 64-bit Windows) and runs every test.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

tools/deps.sh
source tools/xvfb.sh
source tools/wine-env.sh
start_private_display

for preset in native win32 win64; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
done

ctest --preset native
tools/check-sanitizers.sh   # AddressSanitizer and UBSan, then short fuzz runs
tools/wine-prefix.sh build/win64/wineprefix win64 >/dev/null
ctest --preset win64
if can_run_32bit; then
  tools/wine-prefix.sh build/win32/wineprefix win32 >/dev/null
  ctest --preset win32
else
  echo "This machine cannot run 32-bit x86 code (the kernel's 32-bit emulation is off), so the"
  echo "32-bit build is built but its tests run only in their 64-bit build above."
  ctest --preset win32 -R '^size_guard$'   # the shipped program's size needs no Wine
fi
