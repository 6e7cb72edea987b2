#!/usr/bin/env bash
# What the shipped .exe is made of: builds the program of a Windows preset
# (win32, the shipped 32-bit build, by default) and prints its stripped size
# and the bytes it takes from each library and object, largest first, read
# from the linker's map file (app/convert.map beside the program).
#   tools/size-report.sh [PRESET] [TOP]     (default: win32 20)
#   tools/size-report.sh --map FILE [TOP]   (a map file of any build)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "${1:-}" = "--map" ]; then
  python3 tools/size_report.py "$2" "${3:-20}"
  exit
fi
preset=${1:-win32}
top=${2:-20}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target convert >/dev/null
exe=build/$preset/app/convert.exe
echo "$exe: $(stat -c %s "$exe") bytes stripped"
echo
python3 tools/size_report.py "build/$preset/app/convert.map" "$top"
