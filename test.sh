#!/usr/bin/env bash
# Builds everything (Linux and 32-bit Windows) and runs every test.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

tools/deps.sh
source tools/xvfb.sh
start_private_display

cmake --preset native
cmake --build --preset native
cmake --preset win32
cmake --build --preset win32
tools/wine-prefix.sh build/win32/wineprefix >/dev/null

ctest --preset native
ctest --preset win32
