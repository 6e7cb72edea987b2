# Sourced: wine_env PREFIX win32|win64 exports the Wine settings for that
# prefix and sets WINE to the loader for the architecture. Debian's `wine`
# starts the 32-bit loader first even for a 64-bit program, so a 64-bit
# prefix uses wine64 directly (it also works where 32-bit code cannot run).
wine_env() {
  export WINEPREFIX
  WINEPREFIX=$(realpath -m "$1")
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

# True when this machine runs 32-bit x86 programs itself (some kernels have
# the 32-bit emulation switched off, and then 32-bit Wine cannot start).
# 32-bit code that runs only through qemu's user-mode emulation (registered
# with binfmt_misc, as tools/i686-tests-qemu.sh does for its run) does not
# count: far too slow for the window tests, and its timings mean nothing.
can_run_32bit() {
  [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1 &&
    ! grep -qs '^interpreter .*qemu-i386' /proc/sys/fs/binfmt_misc/* 2>/dev/null
}
