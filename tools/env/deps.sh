#!/usr/bin/env bash
# Installs from Debian what one command needs and is missing, and nothing
# more: tools/env/deps.sh run|shipped|test|release|bench. Quick when everything is there.
# Needs root (or sudo) only when something is missing.
#
# A package is required (the command cannot work without it) or wanted (one
# optional stage needs it: when it cannot be installed the stage is skipped,
# and this says which). A package index that fails to download does not stop
# the set-up: the install decides whether what is needed can still be had.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine.sh"

command=${1:-}
case $command in run | shipped | test | release | bench) ;; *)
  echo "usage: tools/env/deps.sh run|shipped|test|release|bench" >&2
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

# The shipped 32-bit program wants this machine's own 32-bit Wine, where it
# installs with nothing removed or downgraded; without it the 64-bit build
# stands in for ./run.sh, and ./test.sh takes its 32-bit Wine from a Debian
# 12 root (tools/env/wine32.sh decides which, from what starts).
wine_pkgs=(wine wine64)
case $command in
  run)
    required=("${build[@]}" "${wine_pkgs[@]}" "${fonts[@]}" x11-utils)
    # No display: a virtual one, and a screenshot of it.
    [ -n "${DISPLAY:-}" ] || required+=(xvfb imagemagick)
    if kernel_runs_32bit; then
      wanted+=(wine32:i386)
      skips[wine32:i386]="./run.sh opens the 64-bit build; ./run.sh --shipped opens the shipped 32-bit one from a Debian 12 root"
    fi
    ;;
  shipped)
    # ./run.sh --shipped without this machine's 32-bit Wine: a Debian 12 root
    # with one, through qemu where the kernel runs no 32-bit code.
    required=(debootstrap)
    kernel_runs_32bit || required+=(qemu-user-static)
    ;;
  test)
    required=("${build[@]}" g++ googletest clang libclang-rt-14-dev "${wine_pkgs[@]}" "${fonts[@]}"
              xvfb x11-utils python3 git)
    wanted+=(wine32:i386 debootstrap)
    skips[wine32:i386]="the 32-bit stages take their 32-bit Wine from a Debian 12 root made once in build/ (minutes)"
    skips[debootstrap]="the window tests under Wine 10 (a Debian 13 root) are skipped, and so are the 32-bit stages where this machine has no 32-bit Wine"
    # The 32-bit program where the kernel runs no 32-bit code: 32-bit Wine
    # through qemu's user-mode emulation.
    if ! kernel_runs_32bit; then
      wanted+=(qemu-user-static)
      skips[qemu-user-static]="the 32-bit build's tests (unit tests, reference slice, window end to end) are skipped"
    fi
    # The workflows' linter runs under Node; any Node with npm will do.
    if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
      wanted+=(nodejs npm)
      skips[nodejs]="the workflows are not linted (tools/stages/lint-workflows.sh)"
      skips[npm]=${skips[nodejs]}
    fi
    ;;
  release) required=("${build[@]}" python3 git osslsigncode openssl python3-jsonschema python3-yaml) ;;
  bench) required=("${build[@]}" g++ libbenchmark-dev "${wine_pkgs[@]}" "${fonts[@]}" xvfb x11-utils python3) ;;
esac
as_if no-host-wine && wanted=("${wanted[@]/wine32:i386}")

installed() {
  dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

# A wanted package that could not be installed is not tried again for a
# while (each try costs an index update): its name and the time, here.
refused_file=$here/../../build/.deps-refused
retry_after=$((6 * 3600))
recently_refused() {
  [ -f "$refused_file" ] &&
    awk -v p="$1" -v now="$(date +%s)" -v after="$retry_after" '$1 == p && now - $2 < after { found = 1 } END { exit !found }' "$refused_file"
}
refuse() {
  mkdir -p "$(dirname "$refused_file")"
  { grep -v "^$1 " "$refused_file" 2>/dev/null; echo "$1 $(date +%s)"; } >"$refused_file.new" || true
  mv -f "$refused_file.new" "$refused_file"
}

missing_required=() missing_wanted=() not_retried=()
for p in "${required[@]}"; do installed "$p" || missing_required+=("$p"); done
for p in "${wanted[@]}"; do
  [ -n "$p" ] || continue
  installed "$p" && continue
  if recently_refused "$p"; then not_retried+=("$p"); else missing_wanted+=("$p"); fi
done
for p in "${not_retried[@]}"; do
  echo "tools/env/deps.sh: $p could not be installed within the last $((retry_after / 3600)) hours; not tried again"
  echo "    (rm $refused_file to try now). Without it: ${skips[$p]}"
done
[ $((${#missing_required[@]} + ${#missing_wanted[@]})) -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "tools/env/deps.sh: missing ${missing_required[*]} ${missing_wanted[*]}; installing needs root or sudo" >&2
    [ ${#missing_required[@]} -eq 0 ] && exit 0
    exit 1
  fi
  sudo=sudo
fi
# sudo drops the caller's environment: the setting goes on apt's own command line.
# Another install (a second run, a helper) may hold dpkg's lock for a while: wait for it.
apt=($sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -q --no-install-recommends -o DPkg::Lock::Timeout=600)

echo "Installing for ./$command: ${missing_required[*]} ${missing_wanted[*]}"
# A foreign architecture is added only for a package of it, and taken away
# again when that package cannot be installed after all.
added_i386=""
if printf '%s\n' "${missing_required[@]}" "${missing_wanted[@]}" | grep -q ':i386$' &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  added_i386=yes
fi
log=$(mktemp)
finish() {
  if [ -n "$added_i386" ] && ! dpkg-query -W -f='${Architecture}\n' 2>/dev/null | grep -qx i386; then
    $sudo dpkg --remove-architecture i386 && echo "tools/env/deps.sh: nothing of i386 was installed; the architecture is removed again"
  fi
  rm -f "$log"
}
trap finish EXIT

# One failing index (a mirror in the middle of a sync, say) must not stop the
# set-up: name it and go on.
update=0
"${apt[@]}" update >"$log" 2>&1 || update=$?
if [ $update -ne 0 ] || grep -q '^Err:' "$log"; then
  echo "tools/env/deps.sh: these package indexes could not be read (apt-get update exit $update); going on with the others:"
  grep -E '^(Err:|E: |W: Failed)' "$log" | sed 's/^/    /' || sed 's/^/    /' "$log"
fi

# What can be had is decided on a dry run first, so that one wanted package
# that cannot be installed is named and left out, and the rest goes in at
# once. Nothing installed may be removed or downgraded for a wanted one.
can_install() {
  "${apt[@]}" install --simulate "$@" >"$log" 2>&1 && ! grep -qE '^Remv |will be DOWNGRADED' "$log"
}
# From apt's list of unmet dependencies, the lines that concern PACKAGE:
# its own, else those of its architecture's packages (a foreign package
# fails on its libraries of that architecture), else the first ones. apt
# lists every broken package it met, the installed ones too.
unmet_reason() {
  local block lines arch
  block=$(sed -n '/unmet dependencies:/,/^E:/p' | grep -v 'unmet dependencies:\|^E:' | grep -E '^ +[^ ]+ : ')
  lines=$(grep -F " $1 : " <<<"$block")
  if [ -z "$lines" ] && [[ $1 == *:* ]]; then
    arch=${1##*:}
    lines=$(grep -E "^ +[^ ]+:$arch : " <<<"$block")
  fi
  [ -n "$lines" ] || lines=$block
  head -n 3 <<<"$lines" | sed 's/^ *//' | tr '\n' ';' | sed 's/;$//'
}
# Why PACKAGE cannot be installed, from a dry run of it alone: the lines of
# apt's answer about it and what it depends on, else its error.
why_not() {
  "${apt[@]}" install --simulate "$1" >"$log" 2>&1
  if grep -q '^Remv ' "$log"; then
    echo "it would remove $(grep '^Remv ' "$log" | awk '{ print $2 }' | head -n 5 | tr '\n' ' ')"
  elif grep -q 'will be DOWNGRADED' "$log"; then
    echo "it would downgrade $(sed -n '/will be DOWNGRADED/{n;p}' "$log" | sed 's/^ *//')"
  elif grep -q 'unmet dependencies:' "$log"; then
    unmet_reason "$1" <"$log"
  else
    grep -m1 '^E:' "$log" || tail -n 1 "$log"
  fi
}
if ! can_install "${missing_required[@]}" "${missing_wanted[@]}"; then
  if [ ${#missing_required[@]} -gt 0 ] && ! can_install "${missing_required[@]}"; then
    echo "tools/env/deps.sh: these packages are needed for ./$command and cannot be installed:" >&2
    for p in "${missing_required[@]}"; do can_install "$p" || echo "    $p: $(why_not "$p")" >&2; done
    exit 1
  fi
  installable=()
  for p in "${missing_wanted[@]}"; do
    if can_install "${missing_required[@]}" "${installable[@]}" "$p"; then
      installable+=("$p")
    else
      echo "!!! tools/env/deps.sh: cannot install $p: $(why_not "$p")"
      echo "!!!   without it: ${skips[$p]}"
      refuse "$p"
    fi
  done
  missing_wanted=("${installable[@]}")
fi
[ $((${#missing_required[@]} + ${#missing_wanted[@]})) -eq 0 ] && exit 0
"${apt[@]}" install "${missing_required[@]}" "${missing_wanted[@]}"
