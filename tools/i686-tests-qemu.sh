#!/usr/bin/env bash
# Runs the 32-bit build's unit tests and a reference slice under Wine on a
# machine whose kernel cannot run 32-bit code (its 32-bit emulation is off):
# the 32-bit side of Wine then runs under qemu's i386 user-mode emulation.
# About 2 minutes, and it needs root: qemu-i386 is registered with
# binfmt_misc for the run and removed afterwards. ./test.sh runs it there.
#   tools/i686-tests-qemu.sh [--start]   --start: then also start the shipped
#   convert.exe and wait for its window (its own entry point and start-up are
#   32-bit code that the tests do not run; about a minute more; needs DISPLAY)
# Exit status: 0 passed, 1 a test failed, 77 it cannot run here (the last
# line says why).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/wine-env.sh
if can_run_32bit; then
  echo "This machine runs 32-bit code itself: ctest --preset win32 runs these tests."
  exit 0
fi

cannot() { echo "skipped: $*"; exit 77; }
installed() { dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q '^install ok installed$'; }
for p in wine32:i386 qemu-user-static; do
  installed "$p" || cannot "$p is not installed (tools/deps.sh test said why)"
done
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || cannot "registering qemu with binfmt_misc needs root"
  exec sudo "$0" "$@"
fi
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target convert_unit_tests reference_sweep convert

binfmt=/proc/sys/fs/binfmt_misc
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" ||
  cannot "binfmt_misc cannot be mounted here, so qemu cannot be registered"
registered=""
if [ ! -e "$binfmt/qemu-i386" ]; then
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    >"$binfmt/register" || cannot "binfmt_misc refused the qemu-i386 entry"
  registered=yes
fi
prefix=build/win32/wineprefix-qemu
cleanup() {
  wine_env "$prefix" win64
  "$WINESERVER" -k 2>/dev/null || true
  if [ -n "$registered" ]; then echo -1 >"$binfmt/qemu-i386"; fi
}
trap cleanup EXIT

# A 64-bit prefix with its 32-bit half: the 64-bit loader starts the 32-bit
# programs through the emulated 32-bit loader.
tools/wine-prefix.sh "$prefix" win64 >/dev/null
wine_env "$prefix" win64
# A run passes on its exit status and its own words, never on a line that a
# failing run prints too (GoogleTest's "[  PASSED  ]" counts the tests that passed).
rc=0
unit=$("$WINE" build/win32/tests/convert_unit_tests.exe 2>&1) || rc=$?
echo "$unit"
if [ $rc -ne 0 ] || grep -q '^\[  FAILED  \]' <<<"$unit" || ! grep -q '^\[==========\] [1-9][0-9]* tests\? from .* ran' <<<"$unit"; then
  echo "FAIL: the 32-bit unit tests under qemu (exit $rc)" >&2
  exit 1
fi
# One thread: threads of a 32-bit program under the emulation are fragile.
sweep=$("$WINE" build/win32/tests/reference_sweep.exe --threads 1 --cm-limit 2000000 --chi-limit 200 \
  --cun-limit 20 --pairs 20000 2>&1) || rc=$?
echo "$sweep"
if [ $rc -ne 0 ] || ! grep -q ' 0 mismatches' <<<"$sweep"; then
  echo "FAIL: the 32-bit reference slice under qemu (exit $rc)" >&2
  exit 1
fi

if [ "${1:-}" = --start ]; then
  caption='"厘米《＝》尺、寸 转化"'
  start=$(date +%s)
  "$WINE" build/win32/app/convert.exe >/dev/null 2>&1 &
  until xwininfo -root -tree 2>/dev/null | grep -q "$caption"; do
    if [ $(( $(date +%s) - start )) -gt 300 ]; then
      echo "FAIL: the shipped 32-bit convert.exe showed no window within 300 s"
      exit 1
    fi
    sleep 1
  done
  echo "the shipped 32-bit convert.exe showed its window after $(( $(date +%s) - start )) s"
fi
