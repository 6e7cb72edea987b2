#!/usr/bin/env bash
# Installs from Debian what one command needs and is missing, and nothing
# more: tools/deps.sh run|test|release|bench. Quick when everything is there.
# Needs root (or sudo) only when something is missing.
#
# A package is required (the command cannot work without it) or wanted (one
# optional stage needs it: when it cannot be installed the stage is skipped,
# and this says which). A package index that fails to download does not stop
# the set-up: the install decides whether what is needed can still be had.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"

command=${1:-}
case $command in run | test | release | bench) ;; *)
  echo "usage: tools/deps.sh run|test|release|bench" >&2
  exit 2
  ;;
esac

# ---- The one list, by command ----
build=(cmake ninja-build
       g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix     # the compilers
       g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32)    # the runtime the shipped program links
fonts=(fonts-wqy-microhei fonts-wine)   # the Chinese texts; the caption buttons' Marlett
required=() wanted=()
declare -A skips=()  # wanted package -> what is skipped without it

# Wine for the architecture the window runs in: the 32-bit build where this
# machine runs 32-bit code, else the 64-bit one.
if can_run_32bit; then wine_pkgs=(wine wine32:i386); else wine_pkgs=(wine wine64); fi

case $command in
  run)
    required=("${build[@]}" "${wine_pkgs[@]}" "${fonts[@]}" x11-utils)
    # No display: a virtual one, and a screenshot of it.
    [ -n "${DISPLAY:-}" ] || required+=(xvfb imagemagick)
    ;;
  test)
    required=("${build[@]}" g++ googletest clang libclang-rt-14-dev wine wine64 "${fonts[@]}"
              xvfb x11-utils python3 git)
    if can_run_32bit; then
      required+=(wine32:i386)
    else
      # The 32-bit program where the kernel runs no 32-bit code: 32-bit Wine
      # through qemu's user-mode emulation.
      wanted+=(wine32:i386 qemu-user-static)
      skips[wine32:i386]="the 32-bit stages under qemu take their 32-bit Wine from a Debian 12 root made once in build/ (minutes)"
      skips[qemu-user-static]="the 32-bit build's tests under qemu (unit tests, reference slice, window end to end) are skipped"
    fi
    wanted+=(debootstrap)
    skips[debootstrap]="the window tests under Wine 10 (a Debian 13 root) are skipped, and so are the 32-bit stages where this machine has no 32-bit Wine"
    ;;
  release) required=("${build[@]}" python3 git osslsigncode openssl python3-jsonschema python3-yaml) ;;
  bench) required=("${build[@]}" g++ libbenchmark-dev "${wine_pkgs[@]}" "${fonts[@]}" xvfb x11-utils python3) ;;
esac

installed() {
  dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

missing_required=() missing_wanted=()
for p in "${required[@]}"; do installed "$p" || missing_required+=("$p"); done
for p in "${wanted[@]}"; do installed "$p" || missing_wanted+=("$p"); done
[ $((${#missing_required[@]} + ${#missing_wanted[@]})) -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "tools/deps.sh: missing ${missing_required[*]} ${missing_wanted[*]}; installing needs root or sudo" >&2
    [ ${#missing_required[@]} -eq 0 ] && exit 0
    exit 1
  fi
  sudo=sudo
fi
# sudo drops the caller's environment: the setting goes on apt's own command line.
apt=($sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -q --no-install-recommends)

echo "Installing for ./$command: ${missing_required[*]} ${missing_wanted[*]}"
if printf '%s\n' "${missing_required[@]}" "${missing_wanted[@]}" | grep -q ':i386$' &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi

# One failing index (a mirror in the middle of a sync, say) must not stop the
# set-up: name it and go on.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
update=0
"${apt[@]}" update >"$log" 2>&1 || update=$?
if [ $update -ne 0 ] || grep -q '^Err:' "$log"; then
  echo "tools/deps.sh: these package indexes could not be read (apt-get update exit $update); going on with the others:"
  grep -E '^(Err:|E: |W: Failed)' "$log" | sed 's/^/    /' || sed 's/^/    /' "$log"
fi

# What can be had is decided on a dry run first, so that one wanted package
# that cannot be installed is named and left out, and the rest goes in at once.
can_install() { "${apt[@]}" install --simulate "$@" >"$log" 2>&1; }
if ! can_install "${missing_required[@]}" "${missing_wanted[@]}"; then
  if [ ${#missing_required[@]} -gt 0 ] && ! can_install "${missing_required[@]}"; then
    echo "tools/deps.sh: these packages are needed for ./$command and cannot be installed:" >&2
    for p in "${missing_required[@]}"; do can_install "$p" || echo "    $p" >&2; done
    grep -E '^ |^E:' "$log" | head -n 20 | sed 's/^/    /' >&2
    exit 1
  fi
  installable=()
  for p in "${missing_wanted[@]}"; do
    if can_install "${missing_required[@]}" "${installable[@]}" "$p"; then
      installable+=("$p")
    else
      echo "!!! tools/deps.sh: cannot install $p ($(grep -m1 -E '^ [^ ].*: Depends|^E:' "$log" | sed 's/^ *//'))"
      echo "!!!   without it: ${skips[$p]}"
    fi
  done
  missing_wanted=("${installable[@]}")
fi
[ $((${#missing_required[@]} + ${#missing_wanted[@]})) -eq 0 ] && exit 0
"${apt[@]}" install "${missing_required[@]}" "${missing_wanted[@]}"
