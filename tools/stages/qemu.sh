#!/usr/bin/env bash
# Runs the 32-bit build under Wine on a machine whose kernel cannot run
# 32-bit code (its 32-bit emulation is off): the 32-bit side of Wine then
# runs under qemu's i386 user-mode emulation, registered with binfmt_misc
# for the run (root) and removed afterwards if this script registered it.
#
#   tools/stages/qemu.sh          the 32-bit unit tests and a reference slice
#                                     (about 2 minutes)
#   tools/stages/qemu.sh --e2e    the end-to-end walk through the window
#                                     (OneStart), built for x86-64 and run at native
#                                     speed, driving the shipped 32-bit convert.exe,
#                                     started once (about 3 minutes; the first run
#                                     makes the Wine prefix, 6 minutes more)
#   tools/stages/qemu.sh --start  the unit tests, then start the shipped
#                                     convert.exe and wait for its window
#
# Exit status: 0 ran and passed, 1 ran and failed, 77 could not run here (the
# last line then says "skipped: " and why). Without DISPLAY a private Xvfb is
# started for the window.
#
# Which 32-bit Wine runs is decided once, by tools/env/wine32.sh (test.sh passes
# its answer in CONVERT_WINE32_WAY): this machine's own wine32:i386, or the
# one inside a Debian 12 root made once in build/wine32-root, where the
# project folder is mounted at the same path, so that the builds, the prefix
# and the display are the same.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
source tools/env/wine.sh
prefix=build/win32/wineprefix-qemu
# Every wait of the end-to-end tests, times this: under the emulation the
# program answers many times slower than natively (its window takes 60-80 s
# to show, up to 3 minutes on a busy machine).
time_scale=20

# The part that runs under Wine, on this machine or inside the root.
if [ "${1:-}" = --inner ]; then
  mode=$2
  wine_env "$prefix" win64
  if [ "$mode" = stop ]; then "$WINESERVER" -k 2>/dev/null || true; exit 0; fi
  started=$(date +%s)
  # A 64-bit prefix with its 32-bit half: the 64-bit loader starts the 32-bit
  # programs through the emulated 32-bit loader.
  tools/env/wine-prefix.sh "$prefix" wow64 >/dev/null
  echo "Wine prefix ready after $(( $(date +%s) - started )) s"
  if [ "$mode" = tests ] || [ "$mode" = start ]; then
    # What the 32-bit build can get wrong: the core, the Convert command, the
    # application's texts and the FPU modes; the window's own unit tests
    # (layout, colours, accessible objects) are the 64-bit build's, under Wine
    # at native speed.
    unit=$("$WINE" build/win32/tests/convert_unit_tests.exe --gtest_filter='-Form*:AccessibleTest.*') ||
      { echo "$unit"; exit 1; }
    echo "$unit"
    # Its own count, not "[  PASSED  ]", which a run with failures prints too.
    ! grep -q '^\[  FAILED  \]' <<<"$unit" && grep -q '^\[==========\] [1-9][0-9]* tests\? from .* ran' <<<"$unit" ||
      { echo "FAIL: the 32-bit unit tests under qemu"; exit 1; }
    # One thread: threads of a 32-bit program under the emulation are fragile.
    sweep=$("$WINE" build/win32/tests/reference_sweep.exe --threads 1 --cm-limit 2000000 --chi-limit 200 \
      --cun-limit 20 --pairs 20000) || { echo "$sweep"; exit 1; }
    echo "$sweep"
    grep -q ' 0 mismatches' <<<"$sweep" || exit 1
  fi
  if [ "$mode" = start ]; then
    source tools/env/wine.sh
    shown=$(date +%s)
    "$WINE" build/win32/app/convert.exe >/dev/null 2>&1 &
    until window_shown "厘米《＝》尺、寸 转化"; do
      if [ $(( $(date +%s) - shown )) -gt 300 ]; then
        echo "FAIL: the shipped 32-bit convert.exe showed no window within 300 s"
        exit 1
      fi
      sleep 1
    done
    echo "the shipped 32-bit convert.exe showed its window after $(( $(date +%s) - shown )) s"
  fi
  if [ "$mode" = e2e ]; then
    program="Z:$(realpath build/win32/app/convert.exe | tr / '\\')"
    log=$(mktemp)
    reruns=0
    for attempt in 1 2; do
      # Into a file, not a pipe: a crash under Wine starts its debugger, which
      # inherits the output and would keep a pipe open long after the test.
      set +e
      CONVERT_E2E_PROGRAM=$program CONVERT_E2E_MACHINE=i386 CONVERT_E2E_TIME_SCALE=$time_scale timeout -k 10 1500 \
        "$WINE" build/win64/tests/e2e/convert_e2e.exe --gtest_filter='OneStart.*' >"$log" 2>&1 &
      test_pid=$!
      tail -n +1 -f --pid="$test_pid" "$log"
      wait "$test_pid"
      rc=$?
      set -e
      echo "$attempt $reruns" >build/win32/i686-e2e-starts
      # gtest prints PASSED for the tests that passed even when others failed:
      # the exit status, no FAILED line, and exactly the one test run.
      if [ "$rc" -eq 0 ] && ! grep -q '^\[  FAILED  \]' "$log" && ! grep -q '^\[  SKIPPED \]' "$log" &&
        grep -q '^\[  PASSED  \] 1 test\.' "$log"; then
        rm -f "$log"
        exit 0
      fi
      # The emulation now and then stops a thread with an illegal instruction
      # in code Wine made at run time (1 run in 5 measured). Only that fault,
      # outside the program's own code, and before any check failed, earns
      # one more walk: a program that really holds one is not retried.
      if [ "$attempt" -eq 1 ] && why=$(tools/stages/emulator-fault.py "$log" convert); then
        echo "RETRY: $why; the walk runs once more"
        reruns=1
        "$WINESERVER" -k 2>/dev/null || true
        "$WINESERVER" -w 2>/dev/null || true
        continue
      fi
      break
    done
    rm -f "$log"
    echo "FAIL: the end-to-end walk on the shipped 32-bit convert.exe (exit status $rc)"
    exit 1
  fi
  exit 0
fi

stage_started=$(date +%s)
mode=tests
case "${1:-}" in
  "") ;;
  --start) mode=start ;;
  --e2e) mode=e2e ;;
  *) echo "usage: $0 [--e2e | --start]" >&2; exit 2 ;;
esac
skip() { echo "skipped: $*"; exit 77; }

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then exec sudo -E "$0" "$@"; fi
  skip "qemu's i386 emulation must be registered with binfmt_misc, which needs root"
fi
source tools/env/wine32.sh
if [ -z "${CONVERT_WINE32_WAY:-}" ]; then
  decided=$(mktemp)
  tools/env/wine32.sh "$decided" >/dev/null || true
  source "$decided"
  rm -f "$decided"
  CONVERT_WINE32_WAY=$WINE32_WAY
fi
case $CONVERT_WINE32_WAY in
  host | root) skip "the 32-bit Wine runs natively here; ctest --preset win32 runs these tests on the 32-bit build" ;;
  host-qemu | root-qemu) ;;
  *) skip "no 32-bit Wine runs here: ${WINE32_WHY:-see tools/env/wine32.sh}" ;;
esac

targets=(convert_unit_tests reference_sweep convert)
[ "$mode" = e2e ] && targets=(convert)
cmake --preset win32 -DCONVERT_BUILD_TESTS=ON >/dev/null
cmake --build --preset win32 --target "${targets[@]}"
if [ "$mode" = e2e ]; then
  cmake --preset win64 -DCONVERT_BUILD_TESTS=ON >/dev/null
  cmake --build --preset win64 --target convert_e2e url_recorder
fi

# One run at a time: a second run would share the binfmt registration, the
# prefix and the root, and take them away from the first when it ends.
mkdir -p build
exec 8>build/i686-tests-qemu.lock
flock 8

runner=() inner_pid=""
cleanup() {
  set +e
  # Inside the root, leaving it ends every process there; here, ending the
  # prefix's Wine server ends every Windows program of the run.
  if [ -n "$inner_pid" ]; then kill "$inner_pid" 2>/dev/null; wait "$inner_pid" 2>/dev/null; fi
  if [ ${#runner[@]} -eq 0 ]; then
    tools/stages/qemu.sh --inner stop
    # A 32-bit program still starting under the emulation has not yet told
    # the Wine server its process, and outlives it.
    local p prefix_path
    prefix_path=$(realpath -m "$prefix")
    for p in /proc/[0-9]*; do
      tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$prefix_path" && kill -9 "${p#/proc/}" 2>/dev/null
    done
  fi
  qemu_unregister
}
on_exit cleanup

qemu_register || skip "$QEMU_WHY"

# The walk and the start show the window: a display of their own where there is none.
if [ -z "${DISPLAY:-}" ]; then
  command -v Xvfb >/dev/null || skip "no DISPLAY and no Xvfb"
  start_private_display
fi

root_note=""
if [ "$CONVERT_WINE32_WAY" = root-qemu ]; then
  made=$(date +%s)
  rc=0
  root=$(wine32_make_root) || rc=$?
  [ "$rc" -eq 77 ] && skip "no 32-bit Wine here, and $(sed -n 's/^skipped: //p' <<<"$root")"
  [ "$rc" -eq 0 ] || { echo "FAIL: the Debian 12 root with 32-bit Wine could not be made (build/wine32-root.log)"; exit 1; }
  root_note="; Wine inside the Debian 12 root $root, ready after $(( $(date +%s) - made )) s"
  runner=("${wine32_root_run[@]}")
fi

rm -f build/win32/i686-e2e-starts
# In the background, so that a signal to this script is handled at once.
"${runner[@]}" tools/stages/qemu.sh --inner "$mode" &
inner_pid=$!
set +e
wait "$inner_pid"
rc=$?
set -e
inner_pid=""
seconds=$(( $(date +%s) - stage_started ))
what="the 32-bit unit tests and reference slice"
if [ "$mode" = e2e ]; then
  read -r starts reruns < <(cat build/win32/i686-e2e-starts 2>/dev/null || echo "0 0")
  what="the end-to-end walk on the shipped 32-bit convert.exe ($starts start$([ "$starts" = 1 ] || echo s), $reruns rerun$([ "$reruns" = 1 ] || echo s) for the emulator's fault)"
fi
[ "$mode" = start ] && what="the 32-bit tests and the shipped convert.exe's start"
if [ "$rc" -eq 0 ]; then
  echo "passed: $what, under qemu ($CONVERT_WINE32_WAY), in $seconds s$root_note"
else
  echo "FAILED: $what, under qemu ($CONVERT_WINE32_WAY), after $seconds s$root_note"
  exit 1
fi
