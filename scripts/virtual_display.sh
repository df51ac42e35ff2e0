# virtual_display.sh: sourced by the scripts that show a window with no
# desktop at hand. start_virtual_display [FIRST] takes the first free display
# number from FIRST (default 90) up, exports it as DISPLAY, starts Xvfb on it
# and openbox as its window manager, so that frames, focus and Alt+F4 behave
# as on a desktop, and appends both process ids to the caller's `pids` array,
# which the caller's exit trap kills.
start_virtual_display() {
  local number=${1:-90}
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
    number=$((number + 1))
  done
  export DISPLAY=:$number
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1  # the window manager takes the display before the first window maps
}
