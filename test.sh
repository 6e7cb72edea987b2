#!/usr/bin/env bash
# Builds everything (Linux, 32-bit and 64-bit Windows) and runs every test, in
# stages. A stage that cannot run on this machine is skipped with its reason;
# the last lines list every stage, run or skipped, with its time, and every
# test that skipped itself, with its reason.
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

# The end-to-end tests drive the program this build made, not one a caller's
# shell points at, unless asked.
if [ -n "${CONVERT_E2E_PROGRAM:-}" ] && [ "${CONVERT_E2E_PROGRAM_KEEP:-}" != yes ]; then
  echo "CONVERT_E2E_PROGRAM=$CONVERT_E2E_PROGRAM is ignored: the tests drive this build's programs"
  echo "(CONVERT_E2E_PROGRAM_KEEP=yes keeps it)."
  unset CONVERT_E2E_PROGRAM
fi

results=() skipped_tests=() passed=0 failed=0 skipped=0
summary() {
  [ ${#results[@]} -gt 0 ] || return 0
  echo
  echo "==== Summary"
  printf '  %s\n' "${results[@]}"
  if [ ${#skipped_tests[@]} -gt 0 ]; then
    echo "  tests that skipped themselves, or a check they could not make here:"
    printf '    %s\n' "${skipped_tests[@]}"
  fi
  echo "stages: $passed passed, $failed failed, $skipped skipped"
}
on_exit summary
on_exit 'stop_wine_servers build'

# stage NAME [--optional] COMMAND...: runs one stage, which fails as soon as
# any command in it fails. An optional stage whose command exits 77 could not
# run on this machine; its last line says why.
stage() {
  local name=$1 optional="" rc=0 start=$SECONDS log
  shift
  if [ "$1" = --optional ]; then optional=yes; shift; fi
  echo
  echo "==== $name"
  log=$(mktemp)
  rm -f build/*/ctest-junit.xml
  set +e
  (set -e; "$@") 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  set -e
  local took=$((SECONDS - start)) line
  while IFS= read -r line; do skipped_tests+=("$line"); done < <(tools/skipped-tests.py "$log" build/*/ctest-junit.xml)
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
# The whole win32 test set on the shipped program, under this machine's
# 32-bit Wine or inside the Debian 12 root that has one.
wine32_tests() {
  tools/wine-prefix.sh build/win32/wineprefix win32 >/dev/null
  CONVERT_E2E_MACHINE=i386 ctest --preset win32
}
wine32_tests_in_root() {
  source tools/wine32.sh
  wine32_in_root bash -c 'tools/wine-prefix.sh build/win32/wineprefix win32 >/dev/null &&
                          CONVERT_E2E_MACHINE=i386 ctest --preset win32'
}

stage "set-up (Debian packages)" tools/deps.sh test
stage "the readers of test output this run reports from" python3 tests/tools/log_readers_test.py
stage "the GitHub workflows linted (actionlint)" --optional tools/stages/lint-workflows.sh
source tools/xvfb.sh
start_private_display
stage "build: native, win32, win64" build_all
stage "unit tests and reference sweep (native)" ctest --preset native
stage "AddressSanitizer, UBSan, fuzzing" tools/check-sanitizers.sh
stage "PE check of both programs" tools/pe-check.py build/win32/app/convert.exe build/win64/app/convert.exe
stage "win64 tests under Wine 8" wine8_tests
stage "win64 window tests under Wine 10" --optional bash tools/wine10-tests.sh

# Which 32-bit Wine runs the shipped program, decided once here from what
# starts; every 32-bit stage below follows it.
rm -f build/wine32-way
stage "32-bit Wine for the shipped program" --optional tools/wine32.sh build/wine32-way
source build/wine32-way
export CONVERT_WINE32_WAY=$WINE32_WAY
qemu_stages=("win32 unit tests and reference slice under Wine through qemu"
             "the shipped 32-bit window end to end, under Wine through qemu")
case $WINE32_WAY in
  host | root)
    if [ "$WINE32_WAY" = host ]; then
      stage "win32 tests under this machine's 32-bit Wine (the shipped program)" wine32_tests
    else
      stage "win32 tests under the Debian 12 root's 32-bit Wine (the shipped program)" wine32_tests_in_root
    fi
    for name in "${qemu_stages[@]}"; do skip "$name" "not needed: the shipped program's whole test set ran natively above"; done
    ;;
  host-qemu | root-qemu)
    skip "win32 tests natively (the shipped program)" "this kernel runs no 32-bit code; they run through qemu below"
    stage "${qemu_stages[0]}" tools/i686-tests-qemu.sh
    stage "${qemu_stages[1]}" tools/i686-tests-qemu.sh --e2e
    # The shipped program's size needs no Wine.
    stage "size guard of the shipped program" ctest --preset win32 -R '^size_guard$'
    ;;
  *)
    for name in "win32 tests natively (the shipped program)" "${qemu_stages[@]}"; do skip "$name" "$WINE32_WHY"; done
    stage "size guard of the shipped program" ctest --preset win32 -R '^size_guard$'
    ;;
esac
stage "release built twice and compared" --optional tools/release.sh --check
stage "release signed, verified and tampered with" --optional tests/release/signing-test.sh
stage "installed as users install it: a release served, its downloads checked" tests/install/install-test.sh
