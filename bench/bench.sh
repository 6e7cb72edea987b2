#!/usr/bin/env bash
# Builds the benchmarks (Release), runs each pair interleaved in one process
# and writes the ratios to docs/performance.md, with the start-up and size
# figures of bench/startup.sh.
#
#   bench/bench.sh [--repetitions N]   (default 15)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

repetitions=15
[ "${1:-}" = "--repetitions" ] && repetitions=$2

cmake --preset bench >/dev/null
cmake --build --preset bench --target convert_bench

table=$(mktemp)
trap 'rm -f "$table"' EXIT
build/bench/bench/conversion/convert_bench --table "$table" \
  --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
  --benchmark_min_time=0.05 --benchmark_report_aggregates_only=true

out=docs/performance.md
keep=$(mktemp)
trap 'rm -f "$table" "$keep"' EXIT
# Start-up and size are measured under Wine; where that fails, the section
# already in the file is kept: everything from its heading to the next "## ".
if bench/startup.sh >"$keep"; then
  :
elif [ -f "$out" ]; then
  awk '/^## /{on = ($0 == "## Start-up and size")} on' "$out" >"$keep"
fi
if [ ! -s "$keep" ]; then
  cat >"$keep" <<'PLACEHOLDER'
## Start-up and size

Not measured yet: time from process creation to a visible window against a minimal Win32 program
under Wine, the stripped .exe size and the peak working set.
PLACEHOLDER
fi

{
  echo "# Performance"
  echo
  echo "Ratios of the converter's code to a baseline measured side by side in the same run; below"
  echo "1.0 the converter's code is faster. They are not promises of absolute speed."
  echo
  echo "## Conversion and parsing"
  echo
  echo "- Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) cores"
  echo "- Date: $(date -u +%Y-%m-%d)"
  compiler=$(sed -n "s/^CMAKE_CXX_COMPILER:[^=]*=//p" build/bench/CMakeCache.txt)
  echo "- Compiler: $("$compiler" --version | head -1), Release build"
  echo "- Method: Google Benchmark, $repetitions repetitions of each benchmark, randomly interleaved;"
  echo "  median CPU time per item over 1024 inputs (mixed lengths, both signs). The long double"
  echo "  baseline is the x87 evaluation of the same steps (tests/reference/x87_length.h)."
  echo "- Command: \`bench/bench.sh\`"
  echo
  cat "$table"
  echo
  cat "$keep"
} >"$out.new"
mv "$out.new" "$out"
echo "wrote $out"
