# Sourced: on_exit CMD runs CMD when the shell exits, however it exits (an
# error under set -e, Ctrl+C, a kill), after the commands registered before
# it. One trap for all, so that one script's clean-up never replaces another's.
# Sourced again (by another sourced script) it keeps what is registered.
[ -n "${ON_EXIT_SOURCED:-}" ] && return 0
ON_EXIT_SOURCED=yes
ON_EXIT_CMDS=()
on_exit() {
  ON_EXIT_CMDS=("$1" "${ON_EXIT_CMDS[@]}")
  trap 'run_on_exit' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}
run_on_exit() {
  local cmd
  for cmd in "${ON_EXIT_CMDS[@]}"; do eval "$cmd" || true; done
  ON_EXIT_CMDS=()
}

# Ends the Wine server of a prefix, and with it every program still running
# in it (a test that timed out leaves its convert.exe behind).
stop_wine_server() {
  local server=wineserver
  [ -x /usr/lib/wine/wineserver ] && server=/usr/lib/wine/wineserver
  [ -d "$1/drive_c" ] && command -v "$server" >/dev/null || return 0
  WINEPREFIX=$(realpath "$1") "$server" -k 2>/dev/null || true
}
# The same for every prefix in a build folder and its subfolders.
stop_wine_servers() {
  local prefix
  for prefix in "$1"/wineprefix* "$1"/*/wineprefix*; do stop_wine_server "$prefix"; done
}
