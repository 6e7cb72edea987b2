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

# True when this machine can run 32-bit x86 programs (some kernels have the
# 32-bit emulation switched off, and then 32-bit Wine cannot start).
can_run_32bit() {
  [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}
