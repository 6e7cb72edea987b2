#!/usr/bin/env bash
# A preset's window test set, as ctest runs it (the Windows test bundle, the
# start at 144 DPI, the release checks), under the Wine of a Debian root made
# once in build/ (tools/env/debian-root.sh), on the caller's display:
#   tools/stages/root-tests.sh wine10 [make]   win64 under Wine 10 (Debian 13);
#                                              its prefixes in build/win64/wine10
#   tools/stages/root-tests.sh wine32 [make]   win32 under Debian 12's 32-bit Wine
# "make" only makes the root (while the builds run). CTEST_ARGS in the
# environment go to ctest. Needs root. Exit status: 0 passed; 1 failed, or the
# root could not be made (its log is named); 2 wrong use (no such root, or no
# build with its tests); 77 this machine cannot make the root (the last line
# says why, starting with "skipped: ").
set -uo pipefail
project=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
kind=${1:-}
case $kind in
  wine10) preset=win64 want='^wine-10\.' ;;
  wine32) preset=win32 want='^wine-' ;;
  *) sed -n '5,6p' "${BASH_SOURCE[0]}" | sed 's/^# *//; s/^/usage: /' >&2; exit 2 ;;
esac

made=$("$project/tools/env/debian-root.sh" make "$kind")
case $? in
  0) ;;
  77) echo "$made"; exit 77 ;;
  *) echo "FAIL: the $kind root could not be made (see build/$kind-root.log)"; exit 1 ;;
esac
[ "${2:-}" = make ] && exit 0
build=$project/build/$preset
[ -f "$build/CTestTestfile.cmake" ] || { echo "no $build with its tests: build the $preset preset first" >&2; exit 2; }

if [ "$kind" = wine10 ]; then
  # Apart from the Wine 8 prefixes, which a newer Wine would convert for itself;
  # made again with a new root, since they keep what the old one put there.
  export CONVERT_WINE_STATE=$build/wine10
  if [ "$(cat "$CONVERT_WINE_STATE/root-stamp" 2>/dev/null)" != "$(cat "$made/.convert-root")" ]; then
    rm -rf "$CONVERT_WINE_STATE" && mkdir -p "$CONVERT_WINE_STATE" && cp "$made/.convert-root" "$CONVERT_WINE_STATE/root-stamp"
  fi
else
  export CONVERT_E2E_MACHINE=i386
fi
start=$SECONDS
# shellcheck disable=SC2016 # expanded inside the root
"$project/tools/env/debian-root.sh" run "$kind" -- bash -c '
  version=$(wine --version)
  grep -Eq "$1" <<<"$version" || { echo "FAIL: the root'"'"'s Wine is $version, not the one expected"; exit 1; }
  echo "$version in $(. /etc/os-release && echo "$PRETTY_NAME")"
  ctest --preset "$2" $3' -- "$want" "$preset" "${CTEST_ARGS:-}"
status=$?
if [ "$status" -eq 0 ]; then
  echo "passed: ctest --preset $preset under the $kind root's Wine in $((SECONDS - start)) s; the bundle:" \
    "$(grep -aoE '[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped' "$build/ctest-junit.xml" | tail -n1)"
else
  echo "FAIL: ctest --preset $preset under the $kind root's Wine (exit $status)"
fi
exit "$status"
