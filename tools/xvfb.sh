# Sourced: start_private_display starts a private Xvfb on a display number it
# picks itself (-displayfd: no race with another run), exports DISPLAY, and
# stops it when the sourcing shell exits. Tests always use their own display
# so that they never type into the user's windows.
source "$(dirname "${BASH_SOURCE[0]}")/on-exit.sh"
start_private_display() {
  local out
  out=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out" >/dev/null 2>&1 &
  XVFB_PID=$!
  on_exit "kill $XVFB_PID 2>/dev/null; rm -f '$out'"
  for _ in $(seq 100); do
    if [ -s "$out" ] && grep -q '^[0-9]' "$out"; then
      export DISPLAY=":$(head -n1 "$out")"
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "Xvfb did not start (is the package xvfb installed?)" >&2
  return 1
}

# window_shown CAPTION: true when a window with that caption is on the
# display. xwininfo prints a caption in the locale's character set, and with
# no locale set (a fresh system has no LANG) it cannot print Chinese at all:
# it reads it in UTF-8 here, whatever the caller's locale.
window_shown() {
  LC_ALL=C.UTF-8 xwininfo -root -tree 2>/dev/null | grep -qF "\"$1\""
}
