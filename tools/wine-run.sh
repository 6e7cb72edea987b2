#!/usr/bin/env bash
# Runs a Windows program under Wine in the given prefix (kept in the build
# folder, never the user's own): wine-run.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail
prefix=$1
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$here/wine-prefix.sh" "$prefix" >/dev/null
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exec wine "$@"
