#!/usr/bin/env bash
# Runs the libFuzzer targets (built in the asan preset: clang, AddressSanitizer
# and UBSan) over their seed corpora.
#
#   tools/fuzz.sh            a short run: 15 s per target (what the sanitizer check runs)
#   tools/fuzz.sh --long     10 million executions per target, both targets at once
#   tools/fuzz.sh --seconds N | --runs N
#
# A crash, a sanitizer report or a disagreement with the model stops a target
# with its input saved under build/asan/fuzz/artifacts/; the script then fails.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

limit=(-max_total_time=15)
parallel=0
case "${1:-}" in
  "") ;;
  --long) limit=(-runs=10000000); parallel=1 ;;
  --seconds) limit=(-max_total_time="$2") ;;
  --runs) limit=(-runs="$2") ;;
  *) sed -n '2,11p' "$0"; exit 2 ;;
esac

targets=(integer_text convert_command)
[ -f build/asan/build.ninja ] || cmake --preset asan >/dev/null
cmake --build --preset asan --target "${targets[@]/%/_fuzz}"

work=build/asan/fuzz
mkdir -p "$work/artifacts"

run() {
  local target=$1
  mkdir -p "$work/corpus/$target"
  # New finds go to the build folder; the seeds in the tree stay small.
  build/asan/tests/fuzz/"${target}_fuzz" "$work/corpus/$target" "tests/fuzz/corpus/$target" \
    -dict=tests/fuzz/field_text.dict -max_len=512 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/$target-" "${limit[@]}" >"$work/$target.log" 2>&1
}

summary() {
  local target=$1 status=$2 runs seconds
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log" | tail -1)
  seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$work/$target.log" | tail -1)
  if [ "$status" -eq 0 ]; then
    echo "fuzz $target: ${runs:-?} executions in ${seconds:-?} s, 0 crashes, 0 mismatches"
  else
    echo "fuzz $target: FAILED (exit $status); log $work/$target.log"
    grep -E 'MISMATCH|ERROR:|runtime error|SUMMARY' "$work/$target.log" | head -5 || true
  fi
}

declare -A status
if [ "$parallel" -eq 1 ]; then
  declare -A pids
  for t in "${targets[@]}"; do run "$t" & pids[$t]=$!; done
  for t in "${targets[@]}"; do
    if wait "${pids[$t]}"; then status[$t]=0; else status[$t]=$?; fi
  done
else
  for t in "${targets[@]}"; do
    if run "$t"; then status[$t]=0; else status[$t]=$?; fi
  done
fi

failed=0
for t in "${targets[@]}"; do
  summary "$t" "${status[$t]}"
  [ "${status[$t]}" -eq 0 ] || failed=1
done
exit $failed
