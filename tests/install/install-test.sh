#!/usr/bin/env bash
# The install test (install_test.exe) under Wine, against a release:
#   tests/install/install-test.sh [--preset win32|win64] [DIST]
# DIST is a release's dist/ folder with its manifests; without it, build/dist
# when that has them, else a release made here in a fresh clone of the
# commit for https://example.invalid/convert/<version>. Then the same against
# a copy of DIST whose win32 zip has one byte changed, which must fail.
# Wine has neither winget nor Scoop: those parts skip, with their reasons.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
usage() {
  [ -z "${1:-}" ] || echo "tests/install/install-test.sh: $1" >&2
  echo "usage: tests/install/install-test.sh [--preset win32|win64] [DIST]" >&2
  exit 2
}
preset=win64 dist=""
while [ $# -gt 0 ]; do
  case $1 in
    --preset) [ $# -ge 2 ] && [[ $2 =~ ^win(32|64)$ ]] || usage "--preset takes win32 or win64"; preset=$2; shift 2 ;;
    -*) usage "unknown option $1" ;;
    *) [ -z "$dist" ] && [ -d "$1" ] || usage "$1: no such folder (or a second DIST)"; dist=$(realpath -- "$1"); shift ;;
  esac
done

tools/env/deps.sh test
source tools/env/on-exit.sh
source tools/env/wine.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/convert-install-test.XXXXXX")
on_exit "rm -rf '$work'"

if [ -z "$dist" ] && [ -d build/dist/winget ]; then dist=$PWD/build/dist; fi
if [ -z "$dist" ]; then
  version=$(sed -n 's/^project(convert VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  git clone -q --no-checkout "$(git rev-parse --path-format=absolute --git-common-dir)" "$work/release"
  git -C "$work/release" checkout -q --detach "$(git rev-parse HEAD)"
  echo "making a release of $(git rev-parse --short HEAD) in $work/release (a few minutes)"
  (cd "$work/release" && tools/release/release.sh --url "https://example.invalid/convert/$version") >"$work/release.log" 2>&1 ||
    { cat "$work/release.log"; echo "FAIL: the release could not be made"; exit 1; }
  dist=$work/release/dist
fi
[ -d "$dist/winget" ] && [ -d "$dist/scoop" ] || { echo "FAIL: $dist holds no winget/ and scoop/ manifests"; exit 1; }

cmake --preset "$preset" -DCONVERT_BUILD_TESTS=ON >/dev/null
cmake --build --preset "$preset" --target install_test
exe=build/$preset/tests/install/install_test.exe
start_private_display
tools/env/wine-prefix.sh "build/$preset/wineprefix" "$preset" >/dev/null

# run DIST LOG: exit status of the test program under Wine
run() {
  local rc=0
  # Wine writes the program's lines ending in CR LF.
  CONVERT_TEST_RELEASE="Z:${1//\//\\}" tools/env/wine-run.sh "build/$preset/wineprefix" "$preset" "$exe" 2>&1 |
    tr -d '\r' >"$2" || rc=$?
  grep -av ':fixme:' "$2" || true
  return $rc
}

echo "==== install_test against $dist"
run "$dist" "$work/good.log" || { echo "FAIL: install_test failed against $dist"; exit 1; }
grep -q '^\[  PASSED  \] 1 test\.' "$work/good.log" || { echo "FAIL: the serving test did not pass alone"; exit 1; }
grep -q '^\[       OK \] ReleaseServed\.' "$work/good.log" || { echo "FAIL: the serving test did not run"; exit 1; }

# One byte of the win32 zip changed, the manifests left as they are: what a
# broken upload or a tampered mirror gives a user.
cp -a "$dist" "$work/changed"
zip=$(cd "$work/changed" && ls convert-*-win32.zip)
python3 - "$work/changed/$zip" <<'PY'
import sys
path = sys.argv[1]
data = bytearray(open(path, "rb").read())
data[len(data) // 2] ^= 0x01
open(path, "wb").write(data)
PY
echo "==== install_test against a copy whose $zip has one byte changed (must fail)"
if run "$work/changed" "$work/changed.log" >/dev/null; then
  cat "$work/changed.log"
  echo "FAIL: install_test passed a release whose $zip has one byte changed"
  exit 1
fi
grep -qF "$zip as served is not what the manifest says" "$work/changed.log" ||
  { cat "$work/changed.log"; echo "FAIL: install_test failed the changed zip, but not for its hash"; exit 1; }
echo "ok   the changed $zip: $(grep -c "$zip as served is not what the manifest says" "$work/changed.log") manifests' hashes refuse it"

skipped=$(grep -A1 ': Skipped$' "$work/good.log" | grep -v -e ': Skipped$' -e '^--$' | sort -u | paste -sd ';' | sed 's/;/; /g') || true
echo "passed: every download of the manifests served from 127.0.0.1 with its hash ($preset, Wine); the changed zip refused; skipped: ${skipped:-nothing}"
