#!/usr/bin/env bash
# Runs the 32-bit build under Wine on a machine whose kernel cannot run
# 32-bit code (its 32-bit emulation is off): the 32-bit side of Wine then
# runs under qemu's i386 user-mode emulation, registered with binfmt_misc
# for the run (root) and removed afterwards if this script registered it.
#
#   tools/i686-tests-qemu.sh          the 32-bit unit tests and a reference slice
#                                     (about 2 minutes)
#   tools/i686-tests-qemu.sh --e2e    the end-to-end walk through the window
#                                     (OneStart), built for x86-64 and run at native
#                                     speed, driving the shipped 32-bit convert.exe,
#                                     started once (about 3 minutes; the first run
#                                     makes the Wine prefix, 6 minutes more)
#   tools/i686-tests-qemu.sh --start  the unit tests, then start the shipped
#                                     convert.exe and wait for its window
#
# Exit status: 0 ran and passed, 1 ran and failed, 77 could not run here (the
# last line then says "skipped: " and why). Without DISPLAY a private Xvfb is
# started for the window.
#
# Where this machine's Debian has no 32-bit Wine (wine32:i386), Wine runs
# inside a Debian 12 root that has it (tools/i386-wine-root.sh, kept in
# build/i386-wine-root; about 7 minutes to make once, then reused): the
# project folder is mounted there at the same path, so the builds, the
# prefix and the display are the same. CONVERT_I386_ROOT=no never uses the
# root, =always uses it even where this machine has wine32.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/wine-env.sh
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
  tools/wine-prefix.sh "$prefix" win64 >/dev/null
  echo "Wine prefix ready after $(( $(date +%s) - started )) s"
  if [ "$mode" = tests ] || [ "$mode" = start ]; then
    unit=$("$WINE" build/win32/tests/convert_unit_tests.exe) || { echo "$unit"; exit 1; }
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
    caption='"厘米《＝》尺、寸 转化"'
    shown=$(date +%s)
    "$WINE" build/win32/app/convert.exe >/dev/null 2>&1 &
    until xwininfo -root -tree 2>/dev/null | grep -q "$caption"; do
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
    for attempt in 1 2; do
      # Into a file, not a pipe: a crash under Wine starts its debugger, which
      # inherits the output and would keep a pipe open long after the test.
      set +e
      CONVERT_E2E_PROGRAM=$program CONVERT_E2E_TIME_SCALE=$time_scale timeout -k 10 1500 \
        "$WINE" build/win64/tests/e2e/convert_e2e.exe --gtest_filter='OneStart.*' >"$log" 2>&1 &
      test_pid=$!
      tail -n +1 -f --pid="$test_pid" "$log"
      wait "$test_pid"
      rc=$?
      set -e
      # gtest prints PASSED for the tests that passed even when others failed:
      # the exit status, no FAILED line, and exactly the one test run.
      if [ "$rc" -eq 0 ] && ! grep -q '^\[  FAILED  \]' "$log" && ! grep -q '^\[  SKIPPED \]' "$log" &&
        grep -q '^\[  PASSED  \] 1 test\.' "$log"; then
        echo "$attempt" >build/win32/i686-e2e-starts
        rm -f "$log"
        exit 0
      fi
      # The emulation now and then stops the program's screen-reader threads
      # with an illegal instruction in code Wine made at run time (1 run in 5
      # measured). A program that really holds one fails the second time too.
      echo "$attempt" >build/win32/i686-e2e-starts
      if [ "$attempt" -eq 1 ] && grep -q 'Unhandled illegal instruction' "$log"; then
        echo "RETRY: the emulated program stopped on an illegal instruction; the walk runs once more"
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

if can_run_32bit; then
  skip "this machine runs 32-bit code itself; ctest --preset win32 runs these tests on the 32-bit build"
fi
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then exec sudo -E "$0" "$@"; fi
  skip "qemu's i386 emulation must be registered with binfmt_misc, which needs root"
fi
[ -x /usr/bin/qemu-i386-static ] || skip "qemu-i386-static is not installed (Debian qemu-user-static)"

use_root=""
case "${CONVERT_I386_ROOT:-auto}" in
  always) use_root=yes ;;
  no) [ -x /usr/lib/wine/wine ] || skip "this machine has no 32-bit Wine (wine32:i386) and CONVERT_I386_ROOT=no" ;;
  *) [ -x /usr/lib/wine/wine ] || use_root=yes ;;
esac
if [ -n "$use_root" ] && ! command -v debootstrap >/dev/null && [ ! -f build/i386-wine-root/.convert-ready ]; then
  skip "this machine has no 32-bit Wine (wine32:i386), and debootstrap, which makes a Debian root with one, is not installed"
fi

targets=(convert_unit_tests reference_sweep convert)
[ "$mode" = e2e ] && targets=(convert)
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target "${targets[@]}"
if [ "$mode" = e2e ]; then
  cmake --preset win64 >/dev/null
  cmake --build --preset win64 --target convert_e2e url_recorder
fi

# One run at a time: a second run would share the binfmt registration, the
# mounts and the prefix, and take them away from the first when it ends.
mkdir -p build
exec 8>build/i686-tests-qemu.lock
flock 8

binfmt=/proc/sys/fs/binfmt_misc
registered="" root="" mounts=() xvfb_pid="" runner=() inner_pid=""
cleanup() {
  set +e
  # Ending the prefix's Wine server ends every Windows program of the run,
  # convert.exe and the test program too, and so the run itself.
  if [ ${#runner[@]} -gt 0 ] || [ -z "$root" ]; then "${runner[@]}" tools/i686-tests-qemu.sh --inner stop; fi
  # A 32-bit program still starting under the emulation has not yet told the
  # Wine server its process, and outlives it: the processes of this run's
  # prefix or root go too.
  local p prefix_path
  prefix_path=$(realpath -m "$prefix")
  for p in /proc/[0-9]*; do
    if { [ -n "$root" ] && [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ]; } ||
      tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$prefix_path"; then
      kill -9 "${p#/proc/}" 2>/dev/null
    fi
  done
  if [ -n "$inner_pid" ]; then kill "$inner_pid" 2>/dev/null; wait "$inner_pid" 2>/dev/null; fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  local i
  for (( i = ${#mounts[@]} - 1; i >= 0; i-- )); do
    umount -R "${mounts[i]}" 2>/dev/null || umount -R -l "${mounts[i]}"
  done
  if [ -n "$registered" ]; then echo -1 >"$binfmt/qemu-i386"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ ! -e "$binfmt/register" ]; then
  mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || skip "binfmt_misc cannot be mounted here"
fi
if [ ! -e "$binfmt/qemu-i386" ]; then
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    >"$binfmt/register" || skip "qemu-i386 cannot be registered with binfmt_misc"
  registered=yes
fi

if [ "$mode" != tests ] && [ -z "${DISPLAY:-}" ]; then
  command -v Xvfb >/dev/null || skip "no DISPLAY and no Xvfb"
  n=99
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
fi

root_note=""
if [ -n "$use_root" ]; then
  made=$(date +%s)
  root=$(tools/i386-wine-root.sh build/i386-wine-root) ||
    skip "this machine has no 32-bit Wine (wine32:i386), and a Debian 12 root with one could not be made (build/i386-wine-root.log)"
  root_note="; Wine inside the Debian 12 root $root, ready after $(( $(date +%s) - made )) s"
  project=$(pwd -P)
  bind() {  # bind SOURCE [rbind]: SOURCE at the same path inside the root
    mkdir -p "$root$1"
    mount "--${2:-bind}" "$1" "$root$1"
    mounts+=("$root$1")
    [ "${2:-}" = rbind ] && mount --make-rslave "$root$1"
    return 0
  }
  mount -t proc proc "$root/proc"; mounts+=("$root/proc")
  bind /sys rbind
  bind /dev rbind
  [ -d /tmp/.X11-unix ] && bind /tmp/.X11-unix
  bind "$project"
  runner=(chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
          "DISPLAY=${DISPLAY:-}" "WINEDEBUG=${WINEDEBUG:--all}" bash -c 'cd "$1" && shift && exec "$@"' -- "$project")
fi

rm -f build/win32/i686-e2e-starts
# In the background, so that a signal to this script is handled at once.
"${runner[@]}" tools/i686-tests-qemu.sh --inner "$mode" &
inner_pid=$!
set +e
wait "$inner_pid"
rc=$?
set -e
inner_pid=""
seconds=$(( $(date +%s) - stage_started ))
what="the 32-bit unit tests and reference slice"
if [ "$mode" = e2e ]; then
  starts=$(cat build/win32/i686-e2e-starts 2>/dev/null || echo 0)
  what="the end-to-end walk on the shipped 32-bit convert.exe ($starts start$([ "$starts" = 1 ] || echo s))"
fi
[ "$mode" = start ] && what="the 32-bit tests and the shipped convert.exe's start"
if [ "$rc" -eq 0 ]; then
  echo "passed: $what, under qemu, in $seconds s$root_note"
else
  echo "FAILED: $what, under qemu, after $seconds s$root_note"
  exit 1
fi
