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

