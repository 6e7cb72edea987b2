#!/usr/bin/env bash
# Builds the converter and opens it: directly on Windows, under Wine
# elsewhere. With no display it starts a virtual one, saves a screenshot of
# the window and prints where; it fails when no window appeared.
#   ./run.sh            the shipped 32-bit program where this machine's own
#                       32-bit Wine runs, else at once its 64-bit build (the
#                       same sources)
#   ./run.sh --shipped  the shipped 32-bit program in any case: where this
#                       machine has no 32-bit Wine, the one of a Debian 12
#                       root made once in build/ (a few minutes, as root),
#                       through qemu where the kernel runs no 32-bit code
#                       (its window takes a minute or more to show)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

shipped=""
case "${1:-}" in
  "") ;;
  --shipped) shipped=yes ;;
  *) echo "usage: ./run.sh [--shipped]" >&2; exit 2 ;;
esac

case "$(uname -s)" in
  MINGW* | MSYS* | CYGWIN*)
    cmake --preset win32 -DCONVERT_BUILD_TESTS=OFF && cmake --build --preset win32 --target convert
    exec build/win32/app/convert.exe
    ;;
esac

tools/env/deps.sh run
source tools/env/wine.sh

# The 32-bit program is the one we ship; where this machine's own 32-bit
# Wine does not run, its 64-bit build stands in, or with --shipped the
# 32-bit Wine that tools/env/wine32.sh finds.
way=""
if can_run_32bit; then
  arch=win32
elif [ -n "$shipped" ]; then
  arch=win32
  tools/env/deps.sh shipped
  source tools/env/wine32.sh
  rc=0
  tools/env/wine32.sh build/wine32-way || rc=$?
  source build/wine32-way
  [ "$rc" -eq 0 ] || { echo "FAIL: no 32-bit Wine to open the shipped program with: $WINE32_WHY" >&2; exit 1; }
  way=$WINE32_WAY
else
  arch=win64
  echo "This machine's own 32-bit Wine does not run here: opening the 64-bit build of the same program."
  echo "./run.sh --shipped opens the shipped 32-bit program (with a Debian 12 root made once in build/)."
fi
cmake --preset "$arch" -DCONVERT_BUILD_TESTS=OFF >/dev/null
cmake --build --preset "$arch" --target convert
exe=build/$arch/app/convert.exe
prefix=build/$arch/wineprefix-run
wait_seconds=60

# start: the program in the background (WINE_PID), in whichever Wine the way names.
case $way in
  "" | host)
    start() {
      tools/env/wine-prefix.sh "$prefix" "$arch" >/dev/null
      wine_env "$prefix" "$arch"
      on_exit "stop_wine_server '$prefix'"
      "$WINE" "$exe" >/dev/null 2>&1 &
      WINE_PID=$!
    }
    ;;
  *)
    start() {
      if [[ $way == *-qemu ]]; then
        qemu_register || { echo "FAIL: $QEMU_WHY" >&2; exit 1; }
        on_exit qemu_unregister
      fi
      # Through qemu, the 64-bit Wine with its 32-bit half, as the 32-bit
      # tests run it (tools/stages/qemu.sh, whose prefix this is): only
      # the program itself is emulated, Wine's own services run natively.
      local pfx=$prefix pfx_arch=win32
      if [[ $way == *-qemu ]]; then
        pfx=build/win32/wineprefix-qemu pfx_arch=wow64 wait_seconds=300
        # The emulated Wine makes its prefix in minutes the first time.
        [ -f "$pfx/.convert-ready" ] || wait_seconds=600
      fi
      prefix=$pfx
      local inner="tools/env/wine-prefix.sh '$pfx' $pfx_arch >/dev/null && exec tools/env/wine-run.sh '$pfx' $pfx_arch '$exe'"
      if [[ $way == root* ]]; then
        "${wine32_root_run[@]}" bash -c "$inner" >/dev/null 2>&1 &
      else
        bash -c "$inner" >/dev/null 2>&1 &
      fi
      WINE_PID=$!
      on_exit "kill $WINE_PID 2>/dev/null; wait $WINE_PID 2>/dev/null; stop_wine_server '$prefix'"
    }
    ;;
esac

if [ -n "${DISPLAY:-}" ]; then
  start
  wait "$WINE_PID"
  exit
fi

start_private_display
start
echo "Waiting for the window (${wait_seconds} s at most)."
shown=""
for _ in $(seq $((wait_seconds * 5))); do
  if window_shown "厘米《＝》尺、寸 转化"; then shown=yes; break; fi
  kill -0 "$WINE_PID" 2>/dev/null || break
  sleep 0.2
done
if [ -z "$shown" ]; then
  echo "FAIL: the converter showed no window within $wait_seconds s" >&2
  exit 1
fi
sleep 1  # let it paint
shot=$PWD/build/screenshot.png
rm -f "$shot"
import -window root -crop 300x180+370+265 +repage "$shot"
[ -s "$shot" ] || { echo "FAIL: no screenshot was written" >&2; exit 1; }
echo "No display here: the window ran on a virtual one ($arch${way:+, $way}). Screenshot: $shot"
