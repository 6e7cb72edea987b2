#!/usr/bin/env bash
# Builds the converter and opens it: directly on Windows, under Wine
# elsewhere. With no display it starts a virtual one, saves a screenshot of
# the window and prints where.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

case "$(uname -s)" in
  MINGW* | MSYS* | CYGWIN*)
    cmake --preset win32 && cmake --build --preset win32 --target convert
    exec build/win32/app/convert.exe
    ;;
esac

tools/deps.sh
source tools/wine-env.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target convert
done

# The 32-bit program is the one we ship; where this machine cannot run 32-bit
# code, its 64-bit build (same sources) stands in.
if can_run_32bit; then arch=win32; else arch=win64; fi
if [ "$arch" = win64 ]; then
  echo "This machine cannot run 32-bit x86 code: opening the 64-bit build of the same program."
fi
exe=build/$arch/app/convert.exe

if [ -n "${DISPLAY:-}" ]; then
  tools/wine-prefix.sh "build/$arch/wineprefix-run" "$arch" >/dev/null
  exec tools/wine-run.sh "build/$arch/wineprefix-run" "$arch" "$exe"
fi

source tools/xvfb.sh
start_private_display
tools/wine-prefix.sh "build/$arch/wineprefix-run" "$arch" >/dev/null
wine_env "build/$arch/wineprefix-run" "$arch"
"$WINE" "$exe" >/dev/null 2>&1 &
for _ in $(seq 100); do
  xwininfo -root -tree 2>/dev/null | grep -q '"厘米《＝》尺、寸 转化"' && break
  sleep 0.2
done
sleep 1  # let it paint
shot=$PWD/build/screenshot.png
import -window root -crop 300x180+370+265 +repage "$shot"
"$WINESERVER" -k || true
echo "No display here: the window ran on a virtual one. Screenshot: $shot"
