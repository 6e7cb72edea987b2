#!/usr/bin/env bash
# Makes a Wine prefix for running the program and its tests, once:
# tools/env/wine-prefix.sh PREFIX win32|win64|wow64. The Chinese captions need
# a CJK face linked to the UI faces, else Wine draws them as boxes. wow64 is a
# 64-bit prefix that keeps its 32-bit half also where the kernel runs no
# 32-bit code (the qemu stages run the shipped program in it); a plain win64
# one is made without that half there: it would be made through qemu's
# emulation, for minutes, and the 64-bit programs never use it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine.sh"
kind=${2:-win32}
wine_env "$1" "$kind"
prefix=$WINEPREFIX
[ -f "$prefix/.convert-ready" ] && { echo "$prefix"; exit 0; }

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.convert-ready" ] && { echo "$prefix"; exit 0; }

boot=("$WINE" wineboot --init)
if [ "$kind" = win64 ] && [ -x /usr/lib/wine/wine ] && [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null &&
   ! kernel_runs_32bit; then
  # The 32-bit loader hidden from this start only, in a mount namespace of its own.
  boot=(unshare -m sh -c 'mount --bind /dev/null /usr/lib/wine/wine && exec "$@"' - "${boot[@]}")
fi
"${boot[@]}" >/dev/null 2>&1 || true

font="wqy-microhei.ttc,WenQuanYi Micro Hei"
reg=$(mktemp --suffix=.reg)
{
  printf 'REGEDIT4\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
  for face in "MS Sans Serif" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Segoe UI" "SimSun" "NSimSun" "Microsoft YaHei" "Microsoft YaHei UI"; do
    printf '"%s"=hex(7):%s\r\n' "$face" "$(printf '%s\0\0' "$font" | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//; s/,$//')"
  done
  # The Simplified-Chinese UI faces a Windows system has, mapped to the CJK font here.
  printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
  for face in "Microsoft YaHei UI" "Microsoft YaHei" "SimSun" "NSimSun" "SimHei"; do
    printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
  done
  # A virtual desktop: Wine draws the window frames itself (there may be no
  # window manager) and message boxes answer at once.
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1024x768"\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n'
} >"$reg"
"$WINE" regedit /S "$("$WINE" winepath -w "$reg")" >/dev/null 2>&1
"$WINESERVER" -w
rm -f "$reg"
# The caption buttons are drawn with Marlett, which this Wine does not find
# in its own font folder.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
fi
touch "$prefix/.convert-ready"
echo "$prefix"
