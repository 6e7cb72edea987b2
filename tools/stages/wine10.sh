#!/usr/bin/env bash
# Runs the 64-bit window tests a second time, under Wine 10: the end-to-end
# suites (UI Automation answers there, unlike Wine 8) and the release checks,
# from the same build, in a minimal Debian 13 root that holds Wine 10. The
# root is made once (tools/env/debian-root.sh: 3 to 6 minutes and 1.3 GB, from
# this machine's Debian mirror) and kept in the build folder.
#   tools/stages/wine10.sh [BUILD_DIR]        BUILD_DIR: default build/win64
# It needs root (debootstrap, mounts, chroot). Exit status:
#   0   ran and passed
#   1   ran and failed, or making the root failed (its log is named)
#   77  this machine cannot run it (not root, no debootstrap, no mirror);
#       the last line says why, starting with "skipped: "
#   2   wrong use (arguments, or no win64 build with its tests)
# Environment: WINE10_ROOT (default build/wine10-root); DEBIAN_MIRROR
# (default: this machine's own, from its apt sources).
# Wine 10's state (prefixes, logs) goes to BUILD_DIR/wine10, apart from the
# Wine 8 prefixes, which a newer Wine would convert for itself.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/../.." && pwd)

# The packages of the root. Without recommends, Wine still finds the X
# libraries and fontconfig it needs, but not its own fonts (fonts-wine): the
# caption buttons, drawn with Marlett, would show as "0 1 r". python3 runs the
# release checks' prefix lister. The stamp holds this list, so changing it
# makes the root again.
packages=(wine wine64 fonts-wine xvfb fonts-wqy-microhei python3-minimal)

# ---------------------------------------------------------------------------
# Inside the root: the tests themselves. Prints one line per suite and the
# totals; the exit status is 0 when every suite ran tests and none failed.
inside() {
  local build=$1 state=$2
  source "$project/tools/env/wine.sh"
  local e2e=$build/tests/e2e/convert_e2e.exe
  mkdir -p "$state/logs"
  "$project/tools/env/wine-prefix.sh" "$state/wineprefix" win64 >/dev/null
  wine_env "$state/wineprefix" win64
  echo "$("$WINE" --version) in $(. /etc/os-release && echo "$PRETTY_NAME")"

  local suites
  suites=$("$WINE" "$e2e" --gtest_list_tests 2>/dev/null | tr -d '\r' | sed -n 's/^\([A-Za-z0-9_]*\)\.$/\1/p')
  if [ -z "$suites" ]; then
    echo "FAIL: convert_e2e.exe listed no tests under this Wine"
    return 1
  fi
  local failed=0 total_run=0 total_passed=0 total_skipped=0 total_failed=0 suite
  for suite in $suites; do
    local prefix=$state/wineprefix
    # The scaled start needs a screen at 144 DPI: a second prefix set so, as
    # the ctest fixture makes it for Wine 8.
    if [ "$suite" = HighDpi ]; then
      prefix=$state/wineprefix-144
      "$project/tests/e2e/make-dpi-prefix.sh" "$prefix" win64 144
    fi
    local log=$state/logs/$suite.log start=$SECONDS status
    (wine_env "$prefix" win64 && timeout -k 10 180 "$WINE" "$e2e" --gtest_filter="$suite.*") 2>&1 |
      tr -d '\r' >"$log"
    status=${PIPESTATUS[0]}
    local ran passed skipped nfailed
    ran=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log" | tail -1)
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
    skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below:.*/\1/p' "$log" | tail -1)
    nfailed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:.*/\1/p' "$log" | tail -1)
    ran=${ran:-0} passed=${passed:-0} skipped=${skipped:-0} nfailed=${nfailed:-0}
    total_run=$((total_run + ran)) total_passed=$((total_passed + passed))
    total_skipped=$((total_skipped + skipped)) total_failed=$((total_failed + nfailed))
    local what="$ran run, $passed passed, $skipped skipped, $nfailed failed ($((SECONDS - start)) s)"
    # A filter that matches nothing is a fault of this script, not a pass.
    if [ "$status" -ne 0 ] || [ "$ran" -eq 0 ] || [ "$nfailed" -ne 0 ]; then
      [ "$status" -eq 124 ] && what="$what, timed out after 180 s"
      echo "FAIL $suite: $what, exit status $status"
      sed 's/^/  | /' "$log"
      failed=1
    else
      echo "ok   $suite: $what"
      # What a test skipped or noted for this Wine, so that it shows.
      awk '/: Skipped$/ { why = 1; next } /^\[  SKIPPED \] [A-Za-z]/ && why { print; why = 0; next }
           why || /^note: / { print }' "$log" | sed 's/^/  | /'
    fi
  done
  echo "end-to-end under Wine 10: $total_run run, $total_passed passed, $total_skipped skipped, $total_failed failed"

  local mode
  for mode in planting trace; do
    local log=$state/logs/release-$mode.log start=$SECONDS status
    timeout -k 10 600 "$project/tests/e2e/release-checks.sh" "$mode" "$state" win64 \
      "$build/app/convert.exe" "$build/bench/startup/minimal_window.exe" \
      "$build/tests/e2e/release_session.exe" "$build/tests/e2e/planted_dll.dll" \
      "$build/tests/e2e/url_recorder.exe" >"$log" 2>&1
    status=$?
    if [ "$status" -eq 0 ]; then
      echo "ok   release checks, $mode ($((SECONDS - start)) s): $(tail -1 "$log")"
    else
      echo "FAIL release checks, $mode: exit status $status"
      sed 's/^/  | /' "$log"
      failed=1
    fi
  done
  return "$failed"
}

if [ "${1:-}" = --inside ]; then
  inside "$2" "$3"
  exit
fi

# ---------------------------------------------------------------------------
# Outside: the root (tools/env/debian-root.sh makes it, enters it and cleans up).
skip() { echo "skipped: $*"; exit 77; }
if [ $# -gt 1 ] || [[ ${1:-} == -* ]]; then
  sed -n '7p' "${BASH_SOURCE[0]}" | sed 's/^# *//; s/^/usage: /' >&2
  exit 2
fi
build=$(realpath -m "${1:-$project/build/win64}")
for file in app/convert.exe tests/e2e/convert_e2e.exe tests/e2e/release_session.exe tests/e2e/planted_dll.dll \
  tests/e2e/url_recorder.exe bench/startup/minimal_window.exe; do
  if [ ! -f "$build/$file" ]; then
    echo "no $build/$file: build the win64 preset with its tests first (cmake --build --preset win64)" >&2
    exit 2
  fi
done
[ "$(id -u)" -eq 0 ] ||
  skip "needs root to make and enter a Debian 13 root (debootstrap, mount, chroot); run it with sudo"

root=$(realpath -m "${WINE10_ROOT:-$project/build/wine10-root}")
state=$build/wine10
mkdir -p "$state"
total_start=$SECONDS
made=$("$project/tools/env/debian-root.sh" make "$root" trixie amd64 "${packages[@]}")
case $? in
  0) ;;
  77) echo "$made"; exit 77 ;;
  *) echo "FAIL: the Debian 13 root with Wine 10 could not be made (see $root.log)"; exit 1 ;;
esac
# Prefixes made by another Wine would keep what that one put there.
if [ "$(cat "$state/root-stamp" 2>/dev/null)" != "$(cat "$root/.convert-root")" ]; then
  rm -rf "$state"/wineprefix*
  cp "$root/.convert-root" "$state/root-stamp"
fi

# In the root: its own X server on the first free display number (the host's
# X socket folder is shared, so the number is one the host sees as taken),
# then the tests. The sources read-only, the build folder writable, both
# where the build put their paths into the test programs.
"$project/tools/env/debian-root.sh" run "$root" --bind "$project:ro" --bind "$build" --env WINEDEBUG -- bash -c '
  wine --version | grep -q "^wine-10\." || { echo "FAIL: the root'"'"'s Wine does not report version 10: $(wine --version)"; exit 1; }
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$2/display" >"$2/xvfb.log" 2>&1 &
  for _ in $(seq 100); do [ -s "$2/display" ] && break; sleep 0.1; done
  [ -s "$2/display" ] || { echo "FAIL: the root'"'"'s Xvfb did not start:"; sed "s/^/  | /" "$2/xvfb.log"; exit 1; }
  DISPLAY=:$(tr -dc 0-9 <"$2/display") "$3/wine10.sh" --inside "$1" "$2"' -- "$build" "$state" "$here"
status=$?
echo "Wine 10 stage: $((SECONDS - total_start)) s"
exit "$status"
