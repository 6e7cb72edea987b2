#!/usr/bin/env bash
# Makes a 32-bit Wine prefix for running the program and its tests, once:
# tools/wine-prefix.sh PREFIX. The Chinese captions need a CJK face linked to
# the UI faces, else Wine draws them as boxes.
set -euo pipefail
prefix=$(realpath -m "$1")
[ -f "$prefix/.convert-ready" ] && { echo "$prefix"; exit 0; }

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.convert-ready" ] && { echo "$prefix"; exit 0; }

export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineboot --init >/dev/null 2>&1 || true

font="wqy-microhei.ttc,WenQuanYi Micro Hei"
reg=$(mktemp --suffix=.reg)
{
  printf 'REGEDIT4\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
  for face in "MS Sans Serif" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Segoe UI" "SimSun" "NSimSun" "Microsoft YaHei" "Microsoft YaHei UI"; do
    printf '"%s"=hex(7):%s\r\n' "$face" "$(printf '%s\0\0' "$font" | iconv -t UTF-16LE | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//; s/,$//')"
  done
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n'
} >"$reg"
wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
wineserver -w
rm -f "$reg"
touch "$prefix/.convert-ready"
echo "$prefix"
