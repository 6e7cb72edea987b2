#!/usr/bin/env bash
# The core and Convert-command tests under AddressSanitizer and UBSan (clang,
# no recovery), then a short run of each fuzz target: about 30 s of fuzzing,
# under three minutes in all from a clean clone on two cores.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan
tools/fuzz.sh
