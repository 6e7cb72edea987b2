#!/usr/bin/env bash
# Builds everything (Linux, 32-bit and 64-bit Windows) and runs every test, in
# stages. After the build the stages run in three lanes side by side: the
# 64-bit window tests (Wine 8, then Wine 10), the shipped 32-bit program's,
# and the rest (native tests, sanitizers, the release, the workflows' linter),
# each lane on a display of its own, the rest at a lower priority. A stage whose inputs have
# not changed since its last passing run is not run again, and says so
# (./test.sh --rerun runs every stage). A stage that cannot run on this
# machine is skipped with its reason. The last lines list every stage with its
# time, every test that skipped itself with its reason, and the total against
# the budget.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
source tools/env/wine.sh

rerun=${CONVERT_RERUN:-}
case "${1:-}" in
  "") ;;
  --rerun) rerun=yes ;;
  *) echo "usage: ./test.sh [--rerun]" >&2; exit 2 ;;
esac

# One run at a time in a checkout: two would share build folders, Wine
# servers and virtual desktops.
mkdir -p build
exec 8>build/.test.lock
if ! flock -n 8; then
  echo "Another ./test.sh is running in this checkout; waiting for it to end."
  flock 8
fi

# The end-to-end tests drive the program this build made, not one a caller's
# shell points at, unless asked.
if [ -n "${CONVERT_E2E_PROGRAM:-}" ] && [ "${CONVERT_E2E_PROGRAM_KEEP:-}" != yes ]; then
  echo "CONVERT_E2E_PROGRAM=$CONVERT_E2E_PROGRAM is ignored: the tests drive this build's programs"
  echo "(CONVERT_E2E_PROGRAM_KEEP=yes keeps it)."
  unset CONVERT_E2E_PROGRAM
fi

# ---- Stages ----------------------------------------------------------------
# Each stage's output goes to build/.stages/ and is printed whole when it
# ends; its result line, its skipped tests and its start time go there too.
run_dir=build/.stages cache_dir=build/.stage-cache
rm -rf "$run_dir"
mkdir -p "$run_dir" "$cache_dir"
started=$(date +%s)
# A run after a passing one is held to the shorter budget.
budget=1200
[ -n "$(ls -A "$cache_dir")" ] && [ -z "$rerun" ] && budget=600
exec 3>&1
print() { { flock 4; cat; } 4>"$run_dir/.print.lock" >&3; }

# The versions of every installed package and the settings that change what
# runs: part of every stage's key. Read once the set-up has installed what it
# installs, or a fresh clone's second run would find every key changed.
environment=""
read_environment() {
  environment=$( { dpkg-query -W -f='${Package} ${Version}\n' 2>/dev/null; env | grep -E '^CONVERT_32BIT_AS_IF=' || true; } |
    sha256sum | cut -c1-16)
}
# key [--with TEXT]... PATH...: the key of a stage whose inputs are these
# files and texts (none outside a git checkout: then the stage always runs).
key() { tools/stages/inputs.py --with "$environment" --with "${WINE32_WAY:-}" "$@" test.sh 2>/dev/null || true; }
program=(core window app resources cmake CMakeLists.txt CMakePresets.json package.toml bench/startup)
windows=("${program[@]}" tests tools/env)

# stage NAME [--optional] [--key KEY] COMMAND...: runs one stage, which fails
# as soon as any command in it fails. An optional stage whose command exits 77
# could not run on this machine; its last line says why. With a key that
# passed before, the stage is not run.
stage() {
  local name=$1 optional="" key="" rc=0 start=$SECONDS
  shift
  [ "$1" = --optional ] && { optional=yes; shift; }
  [ "$1" = --key ] && { key=$2; shift 2; }
  local slug
  slug=$(tr -c 'a-zA-Z0-9\n' - <<<"$name" | tr -s - | head -c 60)
  local out=$run_dir/$slug cached=$cache_dir/$slug
  date +%s.%N >"$out.start"
  if [ -n "$key" ] && [ -z "$rerun" ] && [ "$(sed -n 1p "$cached" 2>/dev/null)" = "$key" ]; then
    sed -n '3,$p' "$cached" >"$out.skips"
    echo "passed      0 s  $name (unchanged since its passing run of $(sed -n 2p "$cached"))" >"$out.result"
    { echo; echo "==== $name: unchanged since its passing run of $(sed -n 2p "$cached"), not run again"; } | print
    return 0
  fi
  echo "==== $name: started" | print
  set +e
  (set -e; "$@") >"$out.log" 2>&1 </dev/null
  rc=$?
  set -e
  local took=$((SECONDS - start)) note=""
  # ctest's JUnit files written while it ran: lanes beside it write theirs too.
  tools/stages/skipped-tests.py "$out.log" $(find build -maxdepth 2 -name ctest-junit.xml -newer "$out.start") \
    >"$out.skips" || true
  note=$(grep -a '^passed: ' "$out.log" | tail -n1 | sed 's/^passed: / (/; s/$/)/') || true
  if [ $rc -eq 0 ]; then
    echo "passed   $(printf '%4d s' $took)  $name$note" >"$out.result"
    [ -z "$key" ] || { echo "$key"; echo "$(date '+%Y-%m-%d %H:%M'), which took $took s"; cat "$out.skips"; } >"$cached"
  elif [ -n "$optional" ] && [ $rc -eq 77 ]; then
    echo "skipped          $name: $(grep -a '^skipped: ' "$out.log" | tail -n1 | sed 's/^skipped: //')" >"$out.result"
  else
    echo "FAILED   $(printf '%4d s' $took)  $name (exit $rc)" >"$out.result"
    rm -f "$cached"
  fi
  { echo; echo "==== $name"; cat "$out.log"; echo "---- $(cat "$out.result")"; } | print
  [ $rc -eq 0 ] || { [ -n "$optional" ] && [ $rc -eq 77 ]; }
}
skip() {
  date +%s.%N >"$run_dir/skip-$(tr -c 'a-zA-Z0-9\n' - <<<"$1" | head -c 60).start"
  echo "skipped          $1: $2" >"$run_dir/skip-$(tr -c 'a-zA-Z0-9\n' - <<<"$1" | head -c 60).result"
  echo "!!! SKIPPED: $1: $2" | print
}
# lane NAME FUNCTION: runs the function's stages in the background, in order,
# up to the first that fails; the lanes' pids are collected in lanes.
lanes=()
lane() {
  # A lane cleans up after itself only: what the run registered is the run's.
  ( ON_EXIT_CMDS=(); "$2" ) &
  lanes+=($!)
}
descendants() { local p; for p in $(pgrep -P "$1"); do descendants "$p"; echo "$p"; done; }
stop_lanes() {
  local pid
  for pid in "${lanes[@]}"; do kill $(descendants "$pid") "$pid" 2>/dev/null; done
  wait 2>/dev/null || true
}

summary() {
  local results=() line
  [ -n "$(ls "$run_dir"/*.result 2>/dev/null)" ] || return 0
  for line in $(ls "$run_dir"/*.start | sed 's/\.start$//'); do
    [ -f "$line.result" ] && results+=("$(cat "$line.start") $(cat "$line.result")")
  done
  echo
  echo "==== Summary"
  printf '%s\n' "${results[@]}" | sort -n | cut -d' ' -f2- | sed 's/^/  /'
  local skips
  skips=$(cat "$run_dir"/*.skips 2>/dev/null | awk '!seen[$0]++')
  if [ -n "$skips" ]; then
    echo "  tests that skipped themselves, or a check they could not make here:"
    sed 's/^/    /' <<<"$skips"
  fi
  local passed failed skipped unchanged total=$(( $(date +%s) - started ))
  passed=$(cat "$run_dir"/*.result | grep -c '^passed' || true)
  unchanged=$(cat "$run_dir"/*.result | grep -c '(unchanged since' || true)
  failed=$(cat "$run_dir"/*.result | grep -c '^FAILED' || true)
  skipped=$(cat "$run_dir"/*.result | grep -c '^skipped' || true)
  echo "stages: $passed passed ($unchanged of them unchanged since their last passing run), $failed failed, $skipped skipped"
  local within="within"
  [ "$total" -le "$budget" ] || within="OVER"
  echo "time: $((total / 60)) min $((total % 60)) s, $within the budget of $((budget / 60)) min" \
    "($([ "$budget" = 600 ] && echo "a run after a passing one" || echo "a run from a fresh clone"))"
}
on_exit summary
on_exit 'stop_wine_servers build'
on_exit stop_lanes

# ---- What each stage runs ----------------------------------------------------
build_all() {
  for preset in native win32 win64; do
    cmake --preset "$preset" -DCONVERT_BUILD_TESTS=ON
    cmake --build --preset "$preset"
  done
}
# The Windows test bundle's closing line, from ctest's record of its run.
bundle_line() {
  echo "passed: the $1 bundle: $(grep -aoE '[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped' "build/$1/ctest-junit.xml" | tail -n1)"
}
wine8_tests() {
  tools/env/wine-prefix.sh build/win64/wineprefix win64 >/dev/null
  ctest --preset win64
  bundle_line win64
}
wine32_tests() {
  tools/env/wine-prefix.sh build/win32/wineprefix win32 >/dev/null
  CONVERT_E2E_MACHINE=i386 ctest --preset win32
  bundle_line win32
}
release_url=https://example.invalid/convert/$(sed -n 's/^project(convert VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
release_twice() {
  tools/release/release.sh --check --keep build/release-check --url "$release_url"
  # The unsigned release, for the workflows to hand on.
  rm -rf build/dist && cp -a build/release-check/one/convert/dist build/dist
}

# The environments while the build runs: making them waits on the network.
environments() {
  renice -n 10 -p "$BASHPID" >/dev/null
  set +e  # the second is made whatever the first decided
  rm -f build/wine32-way
  stage "32-bit Wine for the shipped program" --optional tools/env/wine32.sh build/wine32-way
  touch "$run_dir/.decided"
  stage "the Debian 13 root for Wine 10" --optional tools/stages/root-tests.sh wine10 make
}
# The 64-bit window tests, under both Wines.
lane_win64() {
  start_private_display
  stage "win64 tests under Wine 8" --key "$(key "${windows[@]}")" wine8_tests
  stage "win64 window tests under Wine 10" --optional --key "$(key "${windows[@]}" tools/stages/root-tests.sh)" \
    tools/stages/root-tests.sh wine10
}
# The shipped 32-bit program, under the 32-bit Wine decided above.
lane_win32() {
  start_private_display
  until [ -f "$run_dir/.decided" ] || ! kill -0 "${lanes[0]}" 2>/dev/null; do sleep 1; done
  [ -f build/wine32-way ] || { skip "the 32-bit stages" "no 32-bit Wine was decided"; return 1; }
  source build/wine32-way
  export CONVERT_WINE32_WAY=$WINE32_WAY
  local qemu=("win32 unit tests and reference slice under Wine through qemu"
              "the shipped 32-bit window end to end, under Wine through qemu")
  local inputs=("${windows[@]}" tools/stages)
  case $WINE32_WAY in
    host | root)
      if [ "$WINE32_WAY" = host ]; then
        stage "win32 tests under this machine's 32-bit Wine (the shipped program)" --key "$(key "${inputs[@]}")" wine32_tests
      else
        stage "win32 tests under the Debian 12 root's 32-bit Wine (the shipped program)" --key "$(key "${inputs[@]}")" \
          tools/stages/root-tests.sh wine32
      fi
      for name in "${qemu[@]}"; do skip "$name" "not needed: the shipped program's whole test set ran natively"; done
      ;;
    host-qemu | root-qemu)
      skip "win32 tests natively (the shipped program)" "this kernel runs no 32-bit code; they run through qemu"
      stage "${qemu[0]}" --key "$(key "${inputs[@]}")" tools/stages/qemu.sh
      stage "${qemu[1]}" --key "$(key "${inputs[@]}")" tools/stages/qemu.sh --e2e
      stage "size guard of the shipped program" ctest --preset win32 -R '^size_guard$'
      ;;
    *)
      for name in "win32 tests natively (the shipped program)" "${qemu[@]}"; do skip "$name" "$WINE32_WHY"; done
      stage "size guard of the shipped program" ctest --preset win32 -R '^size_guard$'
      ;;
  esac
}
# The rest, at a lower priority than the window lanes, whose tests wait on
# the program.
lane_rest() {
  renice -n 10 -p "$BASHPID" >/dev/null
  start_private_display  # for the install test, under Wine
  stage "unit tests and reference sweep (native)" --key "$(key "${program[@]}" tests)" ctest --preset native
  stage "PE check of both programs" --key "$(key "${program[@]}" tools/release tests/release)" \
    tools/release/pe-check.py build/win32/app/convert.exe build/win64/app/convert.exe
  stage "AddressSanitizer, UBSan, fuzzing" --key "$(key "${program[@]}" tests tools/sanitizers.sh tools/fuzz.sh)" \
    tools/sanitizers.sh
  # The release is made from the commit, so its key is the commit's.
  local commit
  commit=$(git rev-parse HEAD 2>/dev/null || echo none)
  [ -f build/release-check/one/convert/dist/BUILDINFO ] || rm -f "$cache_dir"/release-*
  stage "release built twice and compared" --optional --key "$(key --with "$commit" tools/env)" release_twice
  if [ -d build/release-check/one ]; then
    stage "release signed, verified and tampered with" --optional --key "$(key --with "$commit" tools/env tests/release)" \
      tests/release/signing-test.sh build/release-check
  else
    skip "release signed, verified and tampered with" "no release was built to sign"
  fi
  stage "installed as users install it: the release served, its downloads checked" \
    --key "$(key --with "$commit" "${windows[@]}")" tests/install/install-test.sh build/dist
  stage "workflows linted" --optional --key "$(key .github tools/stages/lint-workflows.sh)" tools/stages/lint-workflows.sh
}

# ---- The run ---------------------------------------------------------------------
# Everything the run installs, the release's tools too: installed later, they
# would change every key after the first run.
set_up() { tools/env/deps.sh test; tools/env/deps.sh release; }
stage "set-up (Debian packages)" set_up
read_environment
stage "the readers of test output this run reports from" --key "$(key tools/stages tests/tools)" \
  python3 tests/tools/stages_test.py
lane environments environments
stage "build: native, win32, win64" build_all
lane win64 lane_win64
lane win32 lane_win32
lane rest lane_rest
failed=0
for pid in "${lanes[@]}"; do wait "$pid" || failed=1; done
lanes=()
[ "$failed" -eq 0 ] && ! grep -qs '^FAILED' "$run_dir"/*.result
