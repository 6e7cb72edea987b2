#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix kept in the build folder,
# never the user's own: wine-run.sh PREFIX win32|win64 PROGRAM [ARGS...]
set -euo pipefail
prefix=$1 arch=$2
shift 2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine.sh"
wine_env "$prefix" "$arch"
"$here/wine-prefix.sh" "$prefix" "$arch" >/dev/null
exec "$WINE" "$@"
