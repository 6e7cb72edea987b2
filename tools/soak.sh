#!/usr/bin/env bash
# The soak of the real program under Wine (or on Windows through the same
# test program): 10,000 conversions alternating direction, 1,000 refused
# inputs with the error box opened and closed, 1,000 hover cycles over the
# credit label, 1,000 rounds of accessible-object queries of every control;
# memory, handles and fonts sampled after warm-up and at the end.
#   tools/soak.sh           the full run (about 17 minutes)
#   tools/soak.sh --short   500 conversions, 50 refusals, 50 hovers, 100 query rounds (as ./test.sh runs it)
# Anything after the options goes to the test program (--conversions=N, --refusals=N, --hovers=N,
# --queries=N).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

size=--full
if [ "${1:-}" = --short ]; then size=; shift; fi

tools/env/deps.sh test
source tools/env/wine.sh
start_private_display

# The shipped 32-bit program where this machine can run it, else the 64-bit build.
preset=win64
if can_run_32bit; then preset=win32; fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target convert_stress

# A prefix of its own, so that a soak never shares a Wine server with ctest.
# Not exec: the display and the Wine server are stopped when this script ends.
prefix=build/$preset/wineprefix-soak
on_exit "stop_wine_server '$prefix'"
tools/env/wine-run.sh "$prefix" "$preset" "build/$preset/tests/stress/convert_stress.exe" \
  --gtest_filter=Soak.* $size "$@"
