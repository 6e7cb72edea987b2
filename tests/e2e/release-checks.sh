#!/usr/bin/env bash
# Release checks of the real program under Wine, each against the bare window
# program (bench/startup/minimal_window.exe) run the same way:
#   release-checks.sh planting|trace BUILD_DIR ARCH CONVERT MINIMAL SESSION PLANTED_DLL URL_RECORDER
# planting: stand-ins (PLANTED_DLL, which only records its load) under the
#   usual non-KnownDLL names sit beside each program, and Wine is told to
#   prefer DLLs found there (n,b), as Windows searches a program's folder
#   first. A session of the converter (start, convert, error box, hover and
#   click the credit link, close) may load none of them beyond those that the
#   bare window's start-up loads (Wine's own start-up; reported).
# trace: a session (start, convert, error box, close) may change no file and
#   no registry value, in the prefix or beside the program, beyond what the
#   bare window's session changes.
# The test's own programs run from the build folder, so that only the
# program under test sits beside the stand-ins.
set -euo pipefail
mode=$1 build=$2 arch=$3 convert=$4 minimal=$5 session=$6 planted=$7 recorder=$8
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tools=$here/../../tools
source "$tools/env/wine.sh"
prefix=$build/wineprefix-release
"$tools/env/wine-prefix.sh" "$prefix" "$arch" >/dev/null
wine_env "$prefix" "$arch"
prefix=$WINEPREFIX  # where wine_env keeps it

work=${CONVERT_WINE_STATE:-$build}/release-checks/$mode
rm -rf "$work"
mkdir -p "$work/converter" "$work/bare"
cp "$convert" "$work/converter/convert.exe"
cp "$minimal" "$work/bare/minimal_window.exe"
winpath() { echo "Z:$(realpath -m "$1" | sed 's|/|\\|g')"; }
# Wine's complaints (a stand-in called for a function it lacks) go to a log.
run_session() { "$WINE" "$session" "$@" 2>>"$work/wine.log" | tr -d '\r'; }

planting() {
  # version.dll is left out: Wine's start-up of any window program calls into
  # it, so a stand-in that exports nothing stops even the bare window.
  local names=(uxtheme dwmapi comctl32 oleacc winmm propsys profapi cryptbase cryptsp sspicli secur32
               wtsapi32 shcore msimg32 dbghelp userenv winsta bcrypt windowscodecs mpr dwrite
               apphelp netapi32 uiautomationcore textshaping iphlpapi winhttp)
  for name in "${names[@]}"; do
    cp "$planted" "$work/converter/$name.dll"
    cp "$planted" "$work/bare/$name.dll"
  done
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$(IFS=,; echo "${names[*]}")=n,b"
  export CONVERT_PLANTED_LOG
  CONVERT_PLANTED_LOG=$(winpath "$work/loaded.txt")
  # The credit link opens the address with this recorder instead of a browser.
  "$WINE" reg add 'HKLM\Software\Classes\http\shell\open\command' /ve /f \
    /d "\"$(winpath "$recorder")\" \"$(winpath "$work/url.txt")\" \"%1\"" >/dev/null 2>&1

  run_session bare "$(winpath "$work/bare/minimal_window.exe")"
  run_session converter-link "$(winpath "$work/converter/convert.exe")" "$(winpath "$work/url.txt")"
  "$WINESERVER" -w

  loaded_from() {
    tr -d '\r' <"$work/loaded.txt" 2>/dev/null | grep -i "\\\\$1\\\\[^\\\\]*\.dll <- " |
      sed 's/ <- .*//; s/.*\\//' | tr 'A-Z' 'a-z' | sort -u || true
  }
  local bare converter extra
  bare=$(loaded_from bare)
  converter=$(loaded_from converter)
  extra=$(comm -13 <(echo "$bare") <(echo "$converter") | sed '/^$/d')
  echo "planted beside each program: ${names[*]} (.dll)"
  echo "loaded by the bare window's session (Wine's own start-up): $(echo $bare)"
  echo "loaded by the converter's session: $(echo $converter)"
  if [ -z "$bare" ]; then
    echo "FAIL: not even the bare window loaded a stand-in: Wine did not prefer the planted DLLs, so this check sees nothing"
    return 1
  fi
  if [ -n "$extra" ]; then
    echo "FAIL: the converter loaded planted DLLs that a bare window does not: $(echo $extra)"
    tr -d '\r' <"$work/loaded.txt"
    return 1
  fi
  echo "ok: the converter loads no planted DLL beyond Wine's own start-up"
}

trace() {
  local state=$here/prefix-state.py
  run_session bare "$(winpath "$work/bare/minimal_window.exe")" >/dev/null  # settles first-run writes
  "$WINESERVER" -w
  python3 "$state" "$prefix" "$work/bare" >"$work/bare.before"
  run_session bare "$(winpath "$work/bare/minimal_window.exe")"
  "$WINESERVER" -w
  python3 "$state" "$prefix" "$work/bare" >"$work/bare.after"
  python3 "$state" "$prefix" "$work/converter" >"$work/converter.before"
  run_session converter "$(winpath "$work/converter/convert.exe")"
  "$WINESERVER" -w
  python3 "$state" "$prefix" "$work/converter" >"$work/converter.after"

  # What changed: a file (new, gone, rewritten or touched) or a registry key
  # or value, named without its contents, which Wine's own start-up varies.
  changes() {
    { diff "$work/$1.before" "$work/$1.after" || true; } | sed -n 's/^[<>] //p' |
      sed -E 's/ size [0-9]+ mtime [0-9]+$//; s/^(value [^ ]+ \[.*\] ("([^"\\]|\\.)*"|@))=.*/\1/' | sort -u
  }
  local bare converter extra
  bare=$(changes bare)
  converter=$(changes converter)
  extra=$(comm -13 <(echo "$bare") <(echo "$converter") | sed '/^$/d')
  echo "the bare window's session changed $(echo -n "$bare" | grep -c '^' || true) entries (Wine's own):"
  echo "$bare" | sed '/^$/d; s/^/  /'
  if [ -n "$extra" ]; then
    echo "FAIL: the converter's session changed what a bare window's does not:"
    echo "$extra" | sed 's/^/  /'
    return 1
  fi
  echo "ok: the converter's session writes no file and no registry value of its own"
}

case $mode in
  planting) planting ;;
  trace) trace ;;
  *) echo "usage: release-checks.sh planting|trace BUILD_DIR ARCH CONVERT MINIMAL SESSION PLANTED_DLL URL_RECORDER" >&2; exit 2 ;;
esac
