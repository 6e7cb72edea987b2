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
# Hardening fields and Windows 7 imports of both shipped programs.
tools/pe-check.py build/win32/app/convert.exe build/win64/app/convert.exe
tools/wine-prefix.sh build/win64/wineprefix win64 >/dev/null
ctest --preset win64
if can_run_32bit; then
  tools/wine-prefix.sh build/win32/wineprefix win32 >/dev/null
  ctest --preset win32
else
  echo "This machine cannot run 32-bit x86 code (the kernel's 32-bit emulation is off): the 32-bit"
  echo "build's unit tests and a slice of its reference sweep run under 32-bit Wine through qemu's"
  echo "user-mode emulation (tools/i686-tests-qemu.sh); its window tests run in the 64-bit build above."
  tools/i686-tests-qemu.sh
  ctest --preset win32 -R '^size_guard$'   # the shipped program's size needs no Wine
fi
# The release, built twice from clean clones of HEAD and compared byte for byte.
tools/release.sh --check
