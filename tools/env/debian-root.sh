#!/usr/bin/env bash
# Makes, caches and enters the minimal Debian roots of the test environments
# that this machine's own Debian cannot give, each in build/KIND-root. Needs root.
#   wine10   Debian 13 with Wine 10 (amd64): the 64-bit window tests a second time
#   wine32   Debian 12 with 32-bit Wine (amd64 and i386): the shipped program
#            where this machine has no 32-bit Wine of its own
#
#   tools/env/debian-root.sh make KIND
#       Prints the root's folder when it is ready. It is kept behind a stamp
#       of its suite, architectures and packages: a change to any of them,
#       or a run cut short, makes it again.
#   tools/env/debian-root.sh run KIND -- COMMAND...
#       Runs COMMAND from the current folder in the root, with /proc, /dev,
#       the X socket folder, the project (read-only) and its build/ folder
#       mounted at their own paths, in a clean environment (PATH, HOME,
#       LANG=C.UTF-8, passed_env below). However it ends, every mount and
#       process of the root is gone again; its exit status is COMMAND's.
#   tools/env/debian-root.sh mirror SUITE
#       Prints the Debian mirror the roots are made from.
#
# The mirror is this machine's own (the first of its apt sources that serves
# the suite); DEBIAN_MIRROR overrides it. An apt proxy is used too.
# Exit status 77 with a line "skipped: ..." when the root cannot be made on
# this machine at all (not root, no debootstrap, no mirror reachable); 1 when
# making it failed.
set -uo pipefail
project=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)
# The roots: suite, architectures (the first the root's own), packages. Wine
# with the fonts the window needs (without recommends, Wine lacks its own
# fonts-wine: the caption buttons, drawn with Marlett, would show as "0 1 r"),
# xwininfo, and CMake and Python for ctest and the release checks, so that a
# preset's whole window test set runs inside. bookworm has both architectures
# in the same versions (its security index is not used).
declare -A suites=([wine10]=trixie [wine32]=bookworm) archs_of=([wine10]=amd64 [wine32]=amd64,i386)
declare -A packages_of=(
  [wine10]="wine wine64 fonts-wine fonts-wqy-microhei x11-utils cmake python3-minimal"
  [wine32]="wine wine64 wine32:i386 fonts-wine fonts-wqy-microhei x11-utils cmake python3-minimal")
# What reaches a command in a root from this environment.
passed_env=(DISPLAY WINEDEBUG CONVERT_E2E_MACHINE CONVERT_E2E_PROGRAM CONVERT_E2E_TIME_SCALE CONVERT_WINE_STATE)
kind_root() {
  [ -n "${suites[${1:-}]:-}" ] || usage
  realpath -m "${CONVERT_ROOTS:-$project/build}/$1-root"
}

usage() { sed -n '/^#   tools/,/^# The mirror/{/^# The mirror/!p}' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2; exit 2; }
skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# ---- The mirror -------------------------------------------------------------
# Every "deb" source of this machine, as "URI SUITE" lines, one-line and
# deb822 formats alike.
apt_sources() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -E 's/#.*//; s/\[[^]]*\]//' "$f" | awk '$1 == "deb" { for (i = 3; i <= NF; i++) print $2, $i }'
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'function flush() { if (deb && enabled) for (u in uris) for (s in suites) print uris[u], suites[s]
                            deb = 0; enabled = 1; delete uris; delete suites }
         BEGIN { enabled = 1 }
         /^[ \t]*#/ { next }
         /^[ \t]*$/ { flush(); next }
         { key = tolower($1) }
         key == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
         key == "enabled:" { enabled = (tolower($2) != "no") }
         key == "uris:" { for (i = 2; i <= NF; i++) uris[i] = $i }
         key == "suites:" { for (i = 2; i <= NF; i++) suites[i] = $i }
         END { flush() }' "$f"
  done
}
# The proxy apt uses, for debootstrap's wget and the root's apt alike.
apt_proxy() {
  command -v apt-config >/dev/null || return 0
  local proxy=""
  eval "$(apt-config shell proxy Acquire::http::Proxy)"
  [ -n "$proxy" ] && [ "$proxy" != DIRECT ] && echo "$proxy"
  return 0
}
# The first archive (not a security one) of this machine's sources that
# serves SUITE: with one source failing, the next one is taken.
mirror_for() {
  local suite=$1 uri
  if [ -n "${DEBIAN_MIRROR:-}" ]; then echo "${DEBIAN_MIRROR%/}"; return 0; fi
  local proxy
  proxy=$(apt_proxy)
  [ -n "$proxy" ] && export http_proxy=$proxy
  for uri in $(apt_sources | awk '$2 !~ /-security$/ && $1 !~ /security/ { print $1 }' | awk '!seen[$0]++'); do
    uri=${uri%/}
    if command -v wget >/dev/null; then
      wget -q -T 15 -t 1 -O /dev/null "$uri/dists/$suite/Release" 2>/dev/null && { echo "$uri"; return 0; }
    else
      echo "$uri"
      return 0
    fi
  done
  return 1
}

# ---- Making a root ----------------------------------------------------------
mounts_under() {
  awk -v r="$1" '{ m = $5; gsub(/\\040/, " ", m); if (m == r || index(m, r "/") == 1) print m }' /proc/self/mountinfo
}
unmount_under() {
  local m
  for m in $(mounts_under "$1" | tac); do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null; done
  [ -z "$(mounts_under "$1")" ]
}
processes_in() {
  local dir
  for dir in /proc/[0-9]*; do
    [ "$(readlink "$dir/root" 2>/dev/null)" = "$1" ] && echo "${dir#/proc/}"
  done
}
stop_processes_in() {
  local pids
  for _ in $(seq 30); do
    pids=$(processes_in "$1")
    [ -z "$pids" ] && return 0
    kill $pids 2>/dev/null
    sleep 0.2
  done
  pids=$(processes_in "$1")
  [ -n "$pids" ] && kill -9 $pids 2>/dev/null
  sleep 0.3
  return 0
}
# Never removes through a mount: a root still holding a bind mount of the
# project would take the project with it.
remove_root() {
  [ -e "$1" ] || return 0
  stop_processes_in "$1"
  unmount_under "$1" || fail "still mounted under $1: $(mounts_under "$1" | tr '\n' ' ')"
  rm -rf --one-file-system "$1"
}

make_root() {
  [ $# -eq 1 ] || usage
  local root suite=${suites[$1]:-} archs=${archs_of[$1]:-}
  root=$(kind_root "$1") || usage
  local packages
  read -r -a packages <<<"${packages_of[$1]}"
  local stamp_text="$suite $archs: ${packages[*]}"
  ready() { [ "$(cat "$1/.convert-root" 2>/dev/null)" = "$stamp_text" ]; }
  ready "$root" && { echo "$root"; return 0; }

  [ "$(id -u)" -eq 0 ] || skip "making a Debian root needs root (debootstrap, mount, chroot)"
  command -v debootstrap >/dev/null || skip "debootstrap is not installed (Debian package debootstrap)"
  mkdir -p "$(dirname "$root")"
  exec 9>"$root.lock"
  flock 9
  ready "$root" && { echo "$root"; return 0; }
  local mirror
  mirror=$(mirror_for "$suite") ||
    skip "none of this machine's apt sources serves Debian $suite (set DEBIAN_MIRROR to a mirror that does)"
  local proxy
  proxy=$(apt_proxy)
  [ -n "$proxy" ] && export http_proxy=$proxy

  local work=$root.part log=$root.log own=${archs%%,*} start=$SECONDS
  remove_root "$work"
  echo "making a Debian $suite root in $root from $mirror (log: $log)" >&2
  # Cut short, it leaves no mount behind; the stamp is written last.
  trap 'unmount_under "'"$work"'" >/dev/null' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  debootstrap --variant=minbase --arch="$own" "$suite" "$work" "$mirror" >"$log" 2>&1 ||
    { tail -n 5 "$log" | sed 's/^/  | /' >&2; fail "debootstrap of Debian $suite failed (see $log)"; }
  # No manuals, documentation or translations: nothing here reads them.
  printf 'path-exclude=/usr/share/%s/*\n' doc man info locale >"$work/etc/dpkg/dpkg.cfg.d/convert-lean"
  # The archive and its updates only: every architecture then comes in the
  # same versions (a security index may lag for one of them).
  printf 'deb %s %s main\ndeb %s %s-updates main\n' "$mirror" "$suite" "$mirror" "$suite" \
    >"$work/etc/apt/sources.list"
  [ -n "$proxy" ] && printf 'Acquire::http::Proxy "%s";\n' "$proxy" >"$work/etc/apt/apt.conf.d/convert-proxy"
  mount -t proc proc "$work/proc" || fail "cannot mount /proc in $work"
  local arch
  {
    for arch in ${archs//,/ }; do
      [ "$arch" = "$own" ] || chroot "$work" dpkg --add-architecture "$arch"
    done
    chroot "$work" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
      sh -c 'apt-get update && apt-get install -y --no-install-recommends "$@" && apt-get clean' -- "${packages[@]}"
  } >>"$log" 2>&1 || { tail -n 5 "$log" | sed 's/^/  | /' >&2; fail "installing ${packages[*]} in the Debian $suite root failed (see $log)"; }
  rm -rf "$work/var/lib/apt/lists/"*
  unmount_under "$work" || fail "cannot unmount what is under $work"
  echo "$stamp_text" >"$work/.convert-root"
  remove_root "$root"
  mv "$work" "$root"
  trap - EXIT
  echo "root made in $((SECONDS - start)) s, $(du -sh --one-file-system "$root" | cut -f1)" >&2
  echo "$root"
}

# ---- Entering a root --------------------------------------------------------
# The root and the command's process are globals: the exit trap that cleans
# up runs after this function has returned.
run_in_root() {
  root=$(kind_root "${1:-}") || usage
  [ "${2:-}" = -- ] && [ $# -gt 2 ] || usage
  shift 2
  [ -f "$root/.convert-root" ] || fail "$root is not a root made by tools/env/debian-root.sh make"
  [ "$(id -u)" -eq 0 ] || skip "entering a Debian root needs root (mount, chroot)"
  local binds=("$project:ro" "$project/build") envs=(PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8) name
  for name in "${passed_env[@]}"; do [ -n "${!name+set}" ] && envs+=("$name=${!name}"); done
  # One entry at a time: the mounts and processes below are this entry's.
  exec 9>"$root.lock"
  flock 9
  child=""
  cleanup() {
    local rc=$?
    trap - EXIT INT TERM
    [ -n "$child" ] && kill -TERM -- "-$child" 2>/dev/null
    stop_processes_in "$root"
    if ! unmount_under "$root"; then
      echo "FAIL: still mounted under $root: $(mounts_under "$root" | tr '\n' ' ')" >&2
      rc=1
    fi
    exit "$rc"
  }
  trap cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  # Private mounts: nothing mounted or unmounted below them reaches the host.
  bind() {
    mkdir -p "$2" && mount --bind "$1" "$2" && mount --make-private "$2" &&
      { [ "${3:-}" != ro ] || mount -o remount,bind,ro "$2"; }
  }
  unmount_under "$root" || fail "cannot unmount what an earlier run left under $root"
  mount -t proc proc "$root/proc" &&
    bind /dev "$root/dev" &&
    mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm" || fail "cannot mount /proc and /dev in $root"
  mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
  bind /tmp/.X11-unix "$root/tmp/.X11-unix" || fail "cannot bind the X socket folder into $root"
  local b dir mode
  for b in "${binds[@]}"; do
    dir=${b%:ro} mode=""
    [ "$dir" != "$b" ] && mode=ro
    dir=$(realpath "$dir")
    bind "$dir" "$root$dir" $mode || fail "cannot bind $dir into $root"
  done
  # A session of its own, waited for: a signal reaches the trap at once,
  # which ends the command's whole group.
  setsid chroot "$root" /usr/bin/env -i "${envs[@]}" bash -c 'cd "$1" && shift && exec "$@"' -- "$PWD" "$@" &
  child=$!
  wait "$child"
  local rc=$?
  child=""
  return "$rc"
}

case ${1:-} in
  make) shift; make_root "$@" ;;
  run) shift; run_in_root "$@" ;;
  mirror) [ $# -eq 2 ] || usage; mirror_for "$2" || fail "no apt source of this machine serves Debian $2" ;;
  *) usage ;;
esac
