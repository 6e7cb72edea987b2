#!/usr/bin/env bash
# Makes a Wine prefix like the tests' own but with the screen at another
# resolution: make-dpi-prefix.sh PREFIX win32|win64 DPI.
set -euo pipefail
prefix=$1 arch=$2 dpi=$3
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)
source "$tools/env/wine.sh"
wine_env "$prefix" "$arch"
[ -f "$WINEPREFIX/.dpi-$dpi" ] && exit 0
"$tools/env/wine-prefix.sh" "$prefix" "$arch" >/dev/null
"$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
"$WINESERVER" -w
touch "$WINEPREFIX/.dpi-$dpi"
