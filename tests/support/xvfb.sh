# What the checks in real windows share; sourced by them after `work` (their scratch folder) is set.

# start_xvfb SIZE (e.g. 1024x768): a private X server on a display of its own, ready and exported
# as DISPLAY. On exit the program the check started (pid, when set) and the server are ended and
# the scratch folder removed, so that a failed check leaves nothing behind.
start_xvfb() {
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 "$1x24" -wr -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  trap 'kill -KILL ${pid:-} 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
  local i
  for i in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
  export DISPLAY=$display
}

# caption_shown TEXT [TENTHS]: true once a window's caption is the text (within 5 s by default).
caption_shown() {
  local i
  for i in $(seq "${2:-50}"); do
    xdotool search --name "^$1\$" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
