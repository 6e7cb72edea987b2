#!/usr/bin/env bash
# The two Windows test bundles run against a release's own bytes:
#   .ci/bundles-with-release.sh [--no-build] DIST OUT
# builds build/win32/windows-tests and build/win64/windows-tests (the CMake
# target windows-tests; --no-build takes them as they are) and copies each to
# OUT/<preset>/windows-tests with the convert.exe of DIST's zip for that
# preset in place of the one built here: the tests then drive the program
# users download, signed or not.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
usage() {
  [ -z "${1:-}" ] || echo ".ci/bundles-with-release.sh: $1" >&2
  echo "usage: .ci/bundles-with-release.sh [--no-build] DIST OUT" >&2
  exit 2
}
build=yes
[ "${1:-}" != --no-build ] || { build=""; shift; }
[ $# -eq 2 ] || usage
[ -f "$1/BUILDINFO" ] || usage "$1 is not a release's dist/ (no BUILDINFO)"
dist=$(realpath -- "$1") out=$2
version=$(sed -n 's/^version: //p' "$dist/BUILDINFO")

if [ -n "$build" ]; then
  tools/env/deps.sh test
  for preset in win32 win64; do
    cmake --preset "$preset" -DCONVERT_BUILD_TESTS=ON
    cmake --build --preset "$preset" --target windows-tests
  done
fi
# preset | the machine its programs are built for (the PE header's field)
machines=("win32|014c|i386" "win64|8664|amd64")
for row in "${machines[@]}"; do
  IFS='|' read -r preset machine name <<<"$row"
  bundle=build/$preset/windows-tests zip=$dist/convert-$version-$preset.zip
  [ -f "$bundle/run-tests.cmd" ] || { echo "FAIL: no bundle in $bundle (run-tests.cmd)" >&2; exit 1; }
  [ -f "$zip" ] || { echo "FAIL: no $zip" >&2; exit 1; }
  rm -rf "${out:?}/$preset/windows-tests"
  mkdir -p "$out/$preset"
  cp -a "$bundle" "$out/$preset/"
  python3 - "$zip" "$out/$preset/windows-tests/convert.exe" "$machine" <<'PY'
import struct, sys, zipfile
zip_path, exe_path, machine = sys.argv[1], sys.argv[2], int(sys.argv[3], 16)
program = zipfile.ZipFile(zip_path).read("convert.exe")
offset = struct.unpack_from("<I", program, 0x3C)[0]
if program[:2] != b"MZ" or program[offset:offset + 4] != b"PE\0\0":
    sys.exit(f"FAIL: convert.exe of {zip_path} is no Windows program")
found = struct.unpack_from("<H", program, offset + 4)[0]
if found != machine:
    sys.exit(f"FAIL: convert.exe of {zip_path} is built for machine {found:04x}, not {machine:04x}")
open(exe_path, "wb").write(program)
PY
  echo "ok   $out/$preset/windows-tests: convert.exe of $(basename "$zip") ($name, $(stat -c %s "$out/$preset/windows-tests/convert.exe") bytes, sha256 $(sha256sum "$out/$preset/windows-tests/convert.exe" | cut -c1-16)…)"
done
