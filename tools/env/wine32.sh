#!/usr/bin/env bash
# Which 32-bit Wine runs the shipped 32-bit program on this machine, decided
# once from what actually starts, in this order:
#   host       this machine's own wine32:i386, run natively
#   host-qemu  the same, through qemu's i386 emulation (the kernel runs no 32-bit code)
#   root       the 32-bit Wine of a Debian 12 root made once in build/, run natively
#   root-qemu  the same, through qemu's i386 emulation
#   none       none can run here (the reason says why)
#
#   tools/env/wine32.sh [FILE]   decides, prints the way and writes it to FILE
#                            (default build/wine32-way) as shell assignments
#                            WINE32_WAY and WINE32_WHY. Exit status 0 when a
#                            32-bit Wine starts, 77 for none ("skipped: why"),
#                            1 when making the root failed.
# Sourced, it gives the functions below (qemu's registration, the root).
# CONVERT_32BIT_AS_IF=no-kernel|no-host-wine takes the other path (tools/env/wine.sh).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine.sh"

wine32_root=$(realpath -m "${CONVERT_ROOTS:-$here/../../build}/wine32-root")

# qemu's i386 emulation, registered with binfmt_misc for a run (root); the
# F flag opens the emulator now, so it serves inside a root too. The
# registration is the whole machine's: runs in other checkouts (or roots)
# may use it at the same time. Each holds a shared lock on a file in
# /dev/shm while it does, and the last to leave removes it, and only the
# entry it made itself (an emulation the system registered stays).
binfmt=/proc/sys/fs/binfmt_misc
qemu_entry=convert-qemu-i386
qemu_register() {
  [ -x /usr/bin/qemu-i386-static ] || { QEMU_WHY="qemu-i386-static is not installed (Debian qemu-user-static)"; return 1; }
  [ "$(id -u)" -eq 0 ] || { QEMU_WHY="registering qemu's i386 emulation with binfmt_misc needs root"; return 1; }
  if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || { QEMU_WHY="binfmt_misc cannot be mounted here"; return 1; }
  fi
  local lock=/dev/shm
  [ -d "$lock" ] && [ -w "$lock" ] || lock=/tmp
  exec {QEMU_LOCK_FD}>>"$lock/$qemu_entry.lock"
  flock -s "$QEMU_LOCK_FD"
  grep -qs '^interpreter .*qemu-i386' "$binfmt"/* && return 0
  printf '%s' ":$qemu_entry:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386-static:F" \
    >"$binfmt/register" 2>/dev/null || { QEMU_WHY="qemu-i386 cannot be registered with binfmt_misc"; return 1; }
}
qemu_unregister() {
  [ -n "${QEMU_LOCK_FD:-}" ] || return 0
  if flock -n -x "$QEMU_LOCK_FD" && [ -e "$binfmt/$qemu_entry" ]; then echo -1 >"$binfmt/$qemu_entry" 2>/dev/null; fi
  exec {QEMU_LOCK_FD}>&-
  QEMU_LOCK_FD=""
  return 0
}

# Makes the root once (tools/env/debian-root.sh's exit status) and prints it.
wine32_make_root() { "$here/debian-root.sh" make wine32; }
# Runs a command in the root: a plain command line, so that
# "${wine32_root_run[@]}" CMD & gives the pid of the process that cleans the
# root up.
wine32_root_run=("$here/debian-root.sh" run wine32 --)
wine32_in_root() { "${wine32_root_run[@]}" "$@"; }

wine32_decide() {
  WINE32_WAY=none WINE32_WHY=""
  if host_wine32_runs; then
    WINE32_WAY=host WINE32_WHY="this machine's wine32:i386, natively"
    return 0
  fi
  local native=yes
  kernel_runs_32bit || native=""
  if [ -z "$native" ] && [ -x /usr/lib/wine/wine ] && ! as_if no-host-wine; then
    if qemu_register && /usr/lib/wine/wine --version >/dev/null 2>&1; then
      WINE32_WAY=host-qemu WINE32_WHY="this machine's wine32:i386, through qemu (this kernel runs no 32-bit code)"
      qemu_unregister
      return 0
    fi
    qemu_unregister
  fi
  # The root: made where it is missing (its i386 packages' scripts need the
  # emulation where the kernel runs no 32-bit code).
  if [ -z "$native" ] && ! qemu_register; then
    WINE32_WHY="this kernel runs no 32-bit code and $QEMU_WHY"
    return 77
  fi
  local out rc=0
  out=$(wine32_make_root) || rc=$?
  if [ "$rc" -ne 0 ]; then
    qemu_unregister
    WINE32_WHY="this machine has no 32-bit Wine, and $(sed -n 's/^skipped: //p' <<<"$out" | tail -n 1)"
    [ "$rc" -eq 77 ] && return 77
    return 1
  fi
  # Natively only if no emulation was registered meanwhile (by a run in
  # another checkout): its answer would be qemu's.
  if [ -n "$native" ] && wine32_in_root /usr/lib/wine/wine --version >/dev/null 2>&1 && kernel_runs_32bit; then
    WINE32_WAY=root WINE32_WHY="the 32-bit Wine of the Debian 12 root $wine32_root, natively"
  elif { [ -z "$native" ] || qemu_register; } && wine32_in_root /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINE32_WAY=root-qemu WINE32_WHY="the 32-bit Wine of the Debian 12 root $wine32_root, through qemu (this kernel runs no 32-bit code)"
  else
    WINE32_WHY="the 32-bit Wine of the Debian 12 root $wine32_root does not start"
    qemu_unregister
    return 1
  fi
  qemu_unregister
  return 0
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -uo pipefail
  file=${1:-$here/../../build/wine32-way}
  mkdir -p "$(dirname "$file")"
  rc=0
  wine32_decide || rc=$?
  printf 'WINE32_WAY=%q\nWINE32_WHY=%q\n' "$WINE32_WAY" "$WINE32_WHY" >"$file"
  case $rc in
    0) echo "passed: $WINE32_WAY: $WINE32_WHY" ;;
    77) echo "skipped: no 32-bit Wine runs here: $WINE32_WHY" ;;
    *) echo "FAIL: no 32-bit Wine: $WINE32_WHY" ;;
  esac
  exit "$rc"
fi
