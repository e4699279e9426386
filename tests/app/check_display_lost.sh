#!/usr/bin/env bash
# The real program, waiting for a click in a real window under Xvfb, loses its X server: it must
# end as the quit operation ends it, within 5 s, with exit status 0 and the common data written
# (it holds the C integer the game set). A hang-up signal (the terminal that started the game
# closes) must end it the same way. Both with SDL's dummy and disk audio drivers.
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
. "$(dirname "$0")/../support/xvfb.sh"
trap 'rm -rf "$work"' EXIT

cp "$build/kvrebody" "$work/"
"$build/tools/kvasm" asm "$root/tests/app/display_lost.kvs" -o "$work/INIT.SNX"
"$build/tools/kvasm" sni "$root/tests/app/display_lost.kvd" -o "$work/NECEMEM.SNI"
mkdir -m 700 "$work/run"

fail() {
  echo "$1" >&2
  cat "$work/x11.err" >&2 || true
  exit 1
}

# ends_by HOW AUDIO: starts the game, waits for its window, ends it by HOW (display or hangup)
# and checks how it ended.
ends_by() {
  local how=$1 audio=$2 i
  rm -rf "$work/sav"
  start_xvfb 640x480
  disown "$xvfb"  # its end is the point here, not news
  XDG_RUNTIME_DIR=$work/run SDL_AUDIODRIVER=$audio SDL_DISKAUDIOFILE=$work/mix.raw \
    "$work/kvrebody" 2>"$work/x11.err" &
  pid=$!
  caption_shown "waiting for a click" 100 || fail "the game did not come up"
  case $how in
    display)
      kill -KILL "$xvfb"
      # A killed server leaves its lock and socket behind, which a later server on the same
      # display number would take for a running one.
      rm -f "/tmp/.X${display#:}-lock" "/tmp/.X11-unix/X${display#:}"
      ;;
    hangup) kill -HUP "$pid" ;;
  esac
  for i in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the game was still running 5 s after the $how ($audio audio)"
  local status=0
  wait "$pid" || status=$?
  pid=
  [ "$status" -eq 0 ] || fail "the game ended with status $status after the $how ($audio audio)"
  kill "$xvfb" 2>/dev/null || true
  python3 - "$work/sav/SAVE__.KVR" <<'PY' || fail "the common data was not written after the $how ($audio audio)"
import sys
data = open(sys.argv[1], "rb").read()
ints = 4  # the counts of display_lost.kvd
mark = int.from_bytes(data[16 + 4 * ints + 8:16 + 4 * ints + 12], "little") ^ int.from_bytes(data[24:28], "little")
if mark != 4711:
    sys.exit("the common data holds %d where the game set 4711" % mark)
PY
  echo "the $how ($audio audio) ended the game cleanly, with the common data written"
}

ends_by display dummy
ends_by display disk
ends_by hangup dummy
