#!/usr/bin/env bash
# Builds everything (Linux, 32-bit and 64-bit Windows) and runs every test, in
# stages. A stage that cannot run on this machine is skipped with its reason;
# the last lines list every stage, run or skipped, with its time.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
source tools/on-exit.sh
source tools/wine-env.sh

# One run at a time in a checkout: two would share build folders, Wine
# servers and virtual desktops.
mkdir -p build
exec 8>build/.test.lock
if ! flock -n 8; then
  echo "Another ./test.sh is running in this checkout; waiting for it to end."
  flock 8
fi

results=() passed=0 failed=0 skipped=0
summary() {
  [ ${#results[@]} -gt 0 ] || return 0
  echo
  echo "==== Summary"
  printf '  %s\n' "${results[@]}"
  echo "stages: $passed passed, $failed failed, $skipped skipped"
}
on_exit summary
on_exit 'stop_wine_servers build'

# stage NAME [--optional] COMMAND...: runs one stage. An optional stage whose
# command exits 77 could not run here; its last line says why.
stage() {
  local name=$1 optional="" rc=0 start=$SECONDS log
  shift
  if [ "$1" = --optional ]; then optional=yes; shift; fi
  echo
  echo "==== $name"
  log=$(mktemp)
  set +e
  "$@" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  set -e
  local took=$((SECONDS - start))
  if [ $rc -eq 0 ]; then
    # A stage may close with a line of its own figures ("passed: ...").
    local note
    note=$(grep -a '^passed: ' "$log" | tail -n1 | sed 's/^passed: / (/; s/$/)/') || true
    results+=("passed   $(printf '%4d s' $took)  $name$note") passed=$((passed + 1))
  elif [ -n "$optional" ] && [ $rc -eq 77 ]; then
    skip "$name" "$(grep -a '^skipped: ' "$log" | tail -n1 | sed 's/^skipped: //')"
  else
    results+=("FAILED   $(printf '%4d s' $took)  $name (exit $rc)") failed=$((failed + 1))
    rm -f "$log"
    exit 1
  fi
  rm -f "$log"
}
skip() {
  echo "!!! SKIPPED: $1: $2"
  results+=("skipped          $1: $2") skipped=$((skipped + 1))
}

build_all() {
  for preset in native win32 win64; do
    cmake --preset "$preset" -DCONVERT_BUILD_TESTS=ON
    cmake --build --preset "$preset"
  done
}
wine8_tests() {
  tools/wine-prefix.sh build/win64/wineprefix win64 >/dev/null
  ctest --preset win64
}
wine32_tests() {
  tools/wine-prefix.sh build/win32/wineprefix win32 >/dev/null
  ctest --preset win32
}

stage "set-up (Debian packages)" tools/deps.sh test
source tools/xvfb.sh
start_private_display
stage "build: native, win32, win64" build_all
stage "unit tests and reference sweep (native)" ctest --preset native
stage "AddressSanitizer, UBSan, fuzzing" tools/check-sanitizers.sh
stage "PE check of both programs" tools/pe-check.py build/win32/app/convert.exe build/win64/app/convert.exe
stage "win64 tests under Wine 8" wine8_tests
if [ -x tools/wine10-tests.sh ]; then
  stage "win64 window tests under Wine 10" --optional tools/wine10-tests.sh
fi
if can_run_32bit; then
  stage "win32 tests under Wine (the shipped program)" wine32_tests
else
  echo
  echo "This machine cannot run 32-bit x86 code (the kernel's 32-bit emulation is off): the 32-bit"
  echo "build's tests run under 32-bit Wine through qemu's user-mode emulation; its window tests"
  echo "run in the 64-bit build above."
  stage "win32 unit tests and reference slice under Wine through qemu" --optional tools/i686-tests-qemu.sh
  stage "the shipped 32-bit window end to end, under Wine through qemu" --optional tools/i686-tests-qemu.sh --e2e
  # The shipped program's size needs no Wine.
  stage "size guard of the shipped program" ctest --preset win32 -R '^size_guard$'
fi
stage "release built twice and compared" --optional tools/release.sh --check
