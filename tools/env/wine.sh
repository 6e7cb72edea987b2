# Sourced: the one place that starts Wine and Xvfb for the scripts.
# wine_env PREFIX win32|win64|wow64 exports the Wine settings for that prefix and
# sets WINE to the loader for the architecture. Debian's `wine`
# starts the 32-bit loader first even for a 64-bit program, so a 64-bit
# prefix uses wine64 directly (it also works where 32-bit code cannot run).
source "$(dirname "${BASH_SOURCE[0]}")/on-exit.sh"
wine_env() {
  set -- "$1" "${2/#wow64/win64}"
  export WINEPREFIX
  WINEPREFIX=$(realpath -m "$1")
  # CONVERT_WINE_STATE=DIR keeps every prefix in DIR instead, by its name: a
  # second Wine must not convert the first one's prefixes.
  [ -z "${CONVERT_WINE_STATE:-}" ] || WINEPREFIX=$(realpath -m "$CONVERT_WINE_STATE/$(basename "$1")")
  export WINEARCH=$2
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  WINE=wine
  if [ "$2" = win64 ]; then
    if [ -x /usr/lib/wine/wine64 ]; then WINE=/usr/lib/wine/wine64; else WINE=wine64; fi
  fi
  WINESERVER=wineserver
  [ -x /usr/lib/wine/wineserver ] && WINESERVER=/usr/lib/wine/wineserver
}

# CONVERT_32BIT_AS_IF makes the scripts act as if this machine were of the
# other kind, so that one machine can run both paths: "no-kernel" as if the
# kernel ran no 32-bit code, "no-host-wine" as if this machine had no 32-bit
# Wine of its own (and none could be installed); both, comma-separated, as
# if it had neither (the root through qemu).
as_if() { [[ ,${CONVERT_32BIT_AS_IF:-}, == *,$1,* ]]; }

# True when the kernel runs 32-bit x86 programs itself (some have the 32-bit
# emulation switched off). A 93-byte static i386 program that only exits
# asks the kernel, with no library of this machine involved; where qemu's
# i386 emulation is registered with binfmt_misc the answer would be qemu's,
# which does not count: far too slow for the window tests.
kernel_runs_32bit() {
  as_if no-kernel && return 1
  # The registrations are the whole machine's, but are seen only where
  # binfmt_misc is mounted (a chroot may lack it): mounted here if need be.
  if [ ! -e /proc/sys/fs/binfmt_misc/status ] && [ "$(id -u)" -eq 0 ]; then
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null
  fi
  grep -qs '^interpreter .*qemu-i386' /proc/sys/fs/binfmt_misc/* 2>/dev/null && return 1
  local probe rc=0
  probe=$(mktemp "${TMPDIR:-/tmp}/i386-probe.XXXXXX") || return 1
  printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\135\0\0\0\135\0\0\0\5\0\0\0\0\20\0\0\270\1\0\0\0\61\333\315\200' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  [ "$rc" -eq 0 ]
}

# True when this machine's own 32-bit Wine (Debian's wine32:i386) is
# installed and starts here.
host_wine32_runs() {
  as_if no-host-wine && return 1
  [ -x /usr/lib/wine/wine ] && kernel_runs_32bit && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# True when the 32-bit programs run under this machine's own Wine, natively:
# then the scripts that pick one build take the shipped 32-bit one.
can_run_32bit() { host_wine32_runs; }

# Ends the Wine server of a prefix, and with it every program still running
# in it (a test that timed out leaves its convert.exe behind).
stop_wine_server() {
  local server=wineserver
  [ -x /usr/lib/wine/wineserver ] && server=/usr/lib/wine/wineserver
  [ -d "$1/drive_c" ] && command -v "$server" >/dev/null || return 0
  WINEPREFIX=$(realpath "$1") "$server" -k 2>/dev/null || true
}
# The same for every prefix in a build folder and its subfolders.
stop_wine_servers() {
  local prefix
  for prefix in "$1"/wineprefix* "$1"/*/wineprefix* "$1"/*/*/wineprefix*; do stop_wine_server "$prefix"; done
}

# start_private_display starts a private Xvfb on a display number it picks
# itself (-displayfd: no race with another run), exports DISPLAY, and stops it
# when the sourcing shell exits. Tests always use their own display so that
# they never type into the user's windows.
start_private_display() {
  local out
  out=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out" >/dev/null 2>&1 &
  XVFB_PID=$!
  on_exit "kill $XVFB_PID 2>/dev/null; rm -f '$out'"
  for _ in $(seq 100); do
    if [ -s "$out" ] && grep -q '^[0-9]' "$out"; then
      export DISPLAY=":$(head -n1 "$out")"
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "Xvfb did not start (is the package xvfb installed?)" >&2
  return 1
}

# window_shown CAPTION: true when a window with that caption is on the
# display. xwininfo prints a caption in the locale's character set, and with
# no locale set (a fresh system has no LANG) it cannot print Chinese at all:
# it reads it in UTF-8 here, whatever the caller's locale.
window_shown() {
  LC_ALL=C.UTF-8 xwininfo -root -tree 2>/dev/null | grep -qF "\"$1\""
}
