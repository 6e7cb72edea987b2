#!/usr/bin/env bash
# Builds the converter and opens it: directly on Windows, under Wine
# elsewhere. With no display it starts a virtual one, saves a screenshot of
# the window and prints where; it fails when no window appeared.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

case "$(uname -s)" in
  MINGW* | MSYS* | CYGWIN*)
    cmake --preset win32 -DCONVERT_BUILD_TESTS=OFF && cmake --build --preset win32 --target convert
    exec build/win32/app/convert.exe
    ;;
esac

tools/deps.sh run
source tools/wine-env.sh
source tools/xvfb.sh

# The 32-bit program is the one we ship; where this machine cannot run 32-bit
# code, its 64-bit build (same sources) stands in.
if can_run_32bit; then arch=win32; else arch=win64; fi
if [ "$arch" = win64 ]; then
  echo "This machine cannot run 32-bit x86 code: opening the 64-bit build of the same program."
fi
cmake --preset "$arch" -DCONVERT_BUILD_TESTS=OFF >/dev/null
cmake --build --preset "$arch" --target convert
exe=build/$arch/app/convert.exe
prefix=build/$arch/wineprefix-run

if [ -n "${DISPLAY:-}" ]; then
  tools/wine-prefix.sh "$prefix" "$arch" >/dev/null
  exec tools/wine-run.sh "$prefix" "$arch" "$exe"
fi

start_private_display
tools/wine-prefix.sh "$prefix" "$arch" >/dev/null
wine_env "$prefix" "$arch"
on_exit "stop_wine_server '$prefix'"
"$WINE" "$exe" >/dev/null 2>&1 &
shown=""
for _ in $(seq 300); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"厘米《＝》尺、寸 转化"'; then shown=yes; break; fi
  sleep 0.2
done
if [ -z "$shown" ]; then
  echo "FAIL: the converter showed no window within 60 s" >&2
  exit 1
fi
sleep 1  # let it paint
shot=$PWD/build/screenshot.png
rm -f "$shot"
import -window root -crop 300x180+370+265 +repage "$shot"
[ -s "$shot" ] || { echo "FAIL: no screenshot was written" >&2; exit 1; }
echo "No display here: the window ran on a virtual one. Screenshot: $shot"
