#!/usr/bin/env bash
# Runs the 64-bit window tests a second time, under Wine 10: the end-to-end
# suites (UI Automation answers there, unlike Wine 8) and the release checks,
# from the same build, in a minimal Debian 13 root that holds Wine 10. The
# root is made once with debootstrap (3 to 6 minutes and 1.3 GB, network to
# the package archive needed) and kept in the build folder; a root that is
# incomplete or whose Wine does not start is made again.
#   tools/wine10-tests.sh [BUILD_DIR]        BUILD_DIR: default build/win64
# It needs root (debootstrap, mounts, chroot). Exit status:
#   0   ran and passed
#   1   ran and failed (or could not clean up after itself)
#   77  could not run here; the last line says why, starting with "skipped: "
#   2   wrong use (arguments, or no win64 build with its tests)
# Environment: WINE10_ROOT (default build/wine10-root), WINE10_MIRROR
# (default http://deb.debian.org/debian).
# Wine 10's state (prefixes, logs) goes to BUILD_DIR/wine10, apart from the
# Wine 8 prefixes, which a newer Wine would convert for itself.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)

# The packages of the root. Without recommends, Wine still finds the X
# libraries and fontconfig it needs, but not its own fonts (fonts-wine): the
# caption buttons, drawn with Marlett, would show as "0 1 r". python3 runs the
# release checks' prefix lister. The stamp holds this list, so changing it
# makes the root again.
packages=(wine wine64 fonts-wine xvfb fonts-wqy-microhei python3-minimal)
stamp=.convert-wine10-ready
stamp_text="trixie minbase: ${packages[*]}"

# ---------------------------------------------------------------------------
# Inside the root: the tests themselves. Prints one line per suite and the
# totals; the exit status is 0 when every suite ran tests and none failed.
inside() {
  local build=$1 state=$2
  source "$here/wine-env.sh"
  local e2e=$build/tests/e2e/convert_e2e.exe
  mkdir -p "$state/logs"
  "$here/wine-prefix.sh" "$state/wineprefix" win64 >/dev/null
  wine_env "$state/wineprefix" win64
  echo "$("$WINE" --version) in $(. /etc/os-release && echo "$PRETTY_NAME")"

  local suites
  suites=$("$WINE" "$e2e" --gtest_list_tests 2>/dev/null | tr -d '\r' | sed -n 's/^\([A-Za-z0-9_]*\)\.$/\1/p')
  if [ -z "$suites" ]; then
    echo "FAIL: convert_e2e.exe listed no tests under this Wine"
    return 1
  fi
  local failed=0 total_run=0 total_passed=0 total_skipped=0 total_failed=0 suite
  for suite in $suites; do
    local prefix=$state/wineprefix
    # The scaled start needs a screen at 144 DPI: a second prefix set so, as
    # the ctest fixture makes it for Wine 8.
    if [ "$suite" = HighDpi ]; then
      prefix=$state/wineprefix-144
      "$project/tests/e2e/make-dpi-prefix.sh" "$prefix" win64 144
    fi
    local log=$state/logs/$suite.log start=$SECONDS status
    (wine_env "$prefix" win64 && timeout -k 10 180 "$WINE" "$e2e" --gtest_filter="$suite.*") 2>&1 |
      tr -d '\r' >"$log"
    status=${PIPESTATUS[0]}
    local ran passed skipped nfailed
    ran=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log" | tail -1)
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
    skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below:.*/\1/p' "$log" | tail -1)
    nfailed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:.*/\1/p' "$log" | tail -1)
    ran=${ran:-0} passed=${passed:-0} skipped=${skipped:-0} nfailed=${nfailed:-0}
    total_run=$((total_run + ran)) total_passed=$((total_passed + passed))
    total_skipped=$((total_skipped + skipped)) total_failed=$((total_failed + nfailed))
    local what="$ran run, $passed passed, $skipped skipped, $nfailed failed ($((SECONDS - start)) s)"
    # A filter that matches nothing is a fault of this script, not a pass.
    if [ "$status" -ne 0 ] || [ "$ran" -eq 0 ] || [ "$nfailed" -ne 0 ]; then
      [ "$status" -eq 124 ] && what="$what, timed out after 180 s"
      echo "FAIL $suite: $what, exit status $status"
      sed 's/^/  | /' "$log"
      failed=1
    else
      echo "ok   $suite: $what"
      # What a test skipped or noted for this Wine, so that it shows.
      awk '/: Skipped$/ { why = 1; next } /^\[  SKIPPED \] [A-Za-z]/ && why { print; why = 0; next }
           why || /^note: / { print }' "$log" | sed 's/^/  | /'
    fi
  done
  echo "end-to-end under Wine 10: $total_run run, $total_passed passed, $total_skipped skipped, $total_failed failed"

  local mode
  for mode in planting trace; do
    local log=$state/logs/release-$mode.log start=$SECONDS status
    timeout -k 10 600 "$project/tests/e2e/release-checks.sh" "$mode" "$state" win64 \
      "$build/app/convert.exe" "$build/tools/startup/minimal_window.exe" \
      "$build/tests/e2e/release_session.exe" "$build/tests/e2e/planted_dll.dll" \
      "$build/tests/e2e/url_recorder.exe" >"$log" 2>&1
    status=$?
    if [ "$status" -eq 0 ]; then
      echo "ok   release checks, $mode ($((SECONDS - start)) s): $(tail -1 "$log")"
    else
      echo "FAIL release checks, $mode: exit status $status"
      sed 's/^/  | /' "$log"
      failed=1
    fi
  done
  return "$failed"
}

if [ "${1:-}" = --inside ]; then
  inside "$2" "$3"
  exit
fi

# ---------------------------------------------------------------------------
# Outside: the root, its mounts, its display, and cleaning up after them.
skip() { echo "skipped: $*"; exit 77; }
if [ $# -gt 1 ] || [[ ${1:-} == -* ]]; then
  sed -n '8p' "${BASH_SOURCE[0]}" | sed 's/^# *//; s/^/usage: /' >&2
  exit 2
fi
build=$(realpath -m "${1:-$project/build/win64}")
for file in app/convert.exe tests/e2e/convert_e2e.exe tests/e2e/release_session.exe tests/e2e/planted_dll.dll \
  tests/e2e/url_recorder.exe tools/startup/minimal_window.exe; do
  if [ ! -f "$build/$file" ]; then
    echo "no $build/$file: build the win64 preset with its tests first (cmake --build --preset win64)" >&2
    exit 2
  fi
done
[ "$(id -u)" -eq 0 ] ||
  skip "needs root to make and enter a Debian 13 root (debootstrap, mount, chroot); run it with sudo"

root=$(realpath -m "${WINE10_ROOT:-$project/build/wine10-root}")
mirror=${WINE10_MIRROR:-http://deb.debian.org/debian}
state=$build/wine10
mkdir -p "$state" "$(dirname "$root")"
# One run at a time per root: the processes and mounts below are this run's.
exec 8>"$root.lock"
flock 8

mounted=()
xvfb_pid=""
child=""
# The long steps run as children in a session of their own, which the shell
# waits for: a signal then reaches the trap at once (not when the step ends),
# and the cleanup ends the child's whole group.
run_child() {
  setsid "$@" &
  child=$!
  wait "$child"
  local rc=$?
  child=""
  return "$rc"
}
# Every mount under the root, deepest last, as the kernel lists them.
mounts_under() {
  awk -v r="$1" '{ m = $5; gsub(/\\040/, " ", m); if (m == r || index(m, r "/") == 1) print m }' /proc/self/mountinfo
}
# The processes whose root directory is ours: Xvfb, wineserver and the Wine
# programs this run started (no other run can use this root: see the lock).
processes_in_root() {
  local dir pid
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [ "$(readlink "$dir/root" 2>/dev/null)" = "$root" ] && echo "$pid"
  done
}
stop_processes() {
  local pids prefix
  if [ -n "$child" ]; then
    kill -TERM -- "-$child" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$child" 2>/dev/null || break; sleep 0.1; done
    kill -KILL -- "-$child" 2>/dev/null
  fi
  for prefix in "$state"/wineprefix*/; do
    [ -d "$prefix" ] && [ -x "$root/usr/bin/wineserver" ] &&
      timeout 20 chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin WINEPREFIX="${prefix%/}" wineserver -k \
        >/dev/null 2>&1
  done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  for _ in $(seq 50); do
    pids=$(processes_in_root)
    [ -z "$pids" ] && return 0
    kill $pids 2>/dev/null
    sleep 0.1
  done
  pids=$(processes_in_root)
  [ -n "$pids" ] && kill -9 $pids 2>/dev/null
  sleep 0.5
  return 0
}
unmount_all() {
  local m i
  # Ours in reverse order, then anything a killed earlier run left behind.
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" 2>/dev/null
  done
  mounted=()
  for m in $(mounts_under "$root" | tac); do
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null
  done
  [ -z "$(mounts_under "$root")" ]
}
cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  stop_processes
  if ! unmount_all; then
    echo "FAIL: still mounted under $root:" $(mounts_under "$root") >&2
    rc=1
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# bind SOURCE TARGET [ro]: private, so that nothing mounted or unmounted
# below it reaches the host's own tree.
bind() {
  mkdir -p "$2"
  mount --bind "$1" "$2" || return 1
  mounted+=("$2")
  mount --make-private "$2" || return 1
  [ "${3:-}" = ro ] && { mount -o remount,bind,ro "$2" || return 1; }
  return 0
}
mount_all() {
  mkdir -p "$root/proc" "$root/dev"
  mount -t proc proc "$root/proc" || return 1
  mounted+=("$root/proc")
  bind /dev "$root/dev" || return 1
  mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm" || return 1
  mounted+=("$root/dev/shm")
}
# The sources read-only, the build folder writable, both where the build put
# their paths into the test programs; the host's X socket folder, so that the
# root's display holds a number the host sees as taken.
mount_project() {
  bind "$project" "$root$project" ro || return 1
  bind "$build" "$root$build" || return 1
  mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
  bind /tmp/.X11-unix "$root/tmp/.X11-unix"
}
# A clean environment in the root: nothing of the host's leaks into Wine.
root_env=(/usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8)
root_works() {
  [ "$(cat "$root/$stamp" 2>/dev/null)" = "$stamp_text" ] &&
    chroot "$root" "${root_env[@]}" wine --version 2>/dev/null | grep -q '^wine-10\.'
}

make_root() {
  local log=$state/wine10-root.log host
  command -v debootstrap >/dev/null || skip "debootstrap is not installed (apt-get install debootstrap)"
  host=$(sed -E 's|^[a-z]+://([^/:]+).*|\1|' <<<"$mirror")
  timeout 20 bash -c "exec 3<>/dev/tcp/$host/80" 2>/dev/null ||
    skip "no network to the package archive ($mirror) to make the Debian 13 root"
  unmount_all || { echo "FAIL: cannot unmount what is left under $root" >&2; exit 1; }
  # Nothing may be mounted under it here: the project folder is bound into it.
  rm -rf --one-file-system "$root"
  echo "making the Debian 13 root with Wine 10 in $root (log: $log)"
  local start=$SECONDS
  if ! run_child debootstrap --variant=minbase trixie "$root" "$mirror" >"$log" 2>&1; then
    tail -5 "$log" | sed 's/^/  | /'
    skip "debootstrap of Debian 13 failed (see $log)"
  fi
  # No manuals, documentation or translations: nothing here reads them.
  cat >"$root/etc/dpkg/dpkg.cfg.d/convert-lean" <<'EOF'
path-exclude=/usr/share/doc/*
path-exclude=/usr/share/man/*
path-exclude=/usr/share/info/*
path-exclude=/usr/share/locale/*
EOF
  mount_all || skip "cannot mount /proc and /dev in the root (no mount permission here?)"
  if ! run_child chroot "$root" "${root_env[@]}" DEBIAN_FRONTEND=noninteractive sh -c \
    "apt-get update && apt-get install -y --no-install-recommends ${packages[*]} && apt-get clean" >>"$log" 2>&1; then
    tail -5 "$log" | sed 's/^/  | /'
    skip "installing Wine 10 in the Debian 13 root failed (see $log)"
  fi
  rm -rf "$root/var/lib/apt/lists/"*
  # Prefixes made by another root's Wine would keep what that one put there.
  rm -rf "$state"/wineprefix*
  echo "$stamp_text" >"$root/$stamp"
  echo "root made in $((SECONDS - start)) s, $(du -sh --one-file-system "$root" | cut -f1)"
}

total_start=$SECONDS
if [ -d "$root/usr/bin" ]; then
  mount_all || skip "cannot mount /proc and /dev in the root (no mount permission here?)"
fi
if ! root_works; then
  [ -f "$root/$stamp" ] && echo "the Debian 13 root in $root does not start Wine 10: making it again"
  make_root
  root_works || { echo "FAIL: the new root's Wine does not report version 10"; exit 1; }
fi
mount_project || skip "cannot bind the project folder into the root (no mount permission here?)"

# The root's own X server, on the first free display number it finds.
display_file=$state/display
rm -f "$display_file"
chroot "$root" "${root_env[@]}" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
  3>"$display_file" >"$state/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
display=$(tr -dc 0-9 <"$display_file" 2>/dev/null)
if [ -z "$display" ]; then
  echo "FAIL: the root's Xvfb did not start:"
  sed 's/^/  | /' "$state/xvfb.log"
  exit 1
fi

run_child chroot "$root" "${root_env[@]}" DISPLAY=":$display" "$here/wine10-tests.sh" --inside "$build" "$state"
status=$?
echo "Wine 10 stage: $((SECONDS - total_start)) s"
exit "$status"
