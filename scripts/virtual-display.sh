# Sourced by the scripts that show windows under Wine.
# use_virtual_display ROOT: when DISPLAY is not set, starts Xvfb on a free display,
# exports DISPLAY and sets xvfb_pid (the caller kills it). A Wine session started
# earlier without a display keeps its desktop without one, where no window can be
# created, so the prefix's session is ended first.
use_virtual_display() {
  local root=$1 number=90
  xvfb_pid=""
  [ -n "${DISPLAY:-}" ] && return 0
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$number"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
  WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix} wineserver -k 2>/dev/null || true
  WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix} wineserver -w || true
}
