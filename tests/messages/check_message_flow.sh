#!/usr/bin/env bash
# The real program in a real window under Xvfb on four messages (tests/messages/message_scene.kvs,
# with the demo's pictures), worked with the real pointer (xdotool): while a message waits, the
# click-wait icon animates (two screenshots differ, and only in the icon's square); a click turns
# the page; in auto mode the page goes on by itself once its deadline has passed, not before;
# the read flags of the finished messages reach "SAVE__.KVR" when the program ends; and a second
# run in skip mode runs through the messages read before and stops at the unread one.
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
. "$(dirname "$0")/../support/xvfb.sh"
trap 'rm -rf "$work"' EXIT
pictures=$build/demo-work/pictures

cp "$build/kvrebody" "$work/"
cp "$pictures/BG_ROOM.PNG" "$pictures/ICONS.PNG" "$pictures/ICONS_M.PNG" "$work/"
"$build/tools/kvasm" asm "$root/tests/messages/message_scene.kvs" -o "$work/INIT.SNX"
"$build/tools/kvasm" sni "$root/tests/messages/message_scene.kvd" -o "$work/NECEMEM.SNI"

start_xvfb 1024x768

fail() {
  echo "$1" >&2
  cp "$work"/*.png "${KV_SCREENSHOT_OUT:-/tmp}/" 2>/dev/null || true
  cat "$work/x11.err" >&2 || true
  exit 1
}
# The program's single-instance lock lives in its own folder here, so that the checks of other
# worktrees running at the same time do not keep it from starting.
mkdir -m 700 "$work/run"
start() {
  XDG_RUNTIME_DIR=$work/run SDL_AUDIODRIVER=dummy "$work/kvrebody" 2>"$work/x11.err" &
  pid=$!
}
stop() {  # SIGTERM ends the game normally, which writes the common data
  local i
  kill -TERM "$pid"
  for i in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  wait "$pid" || fail "the program did not end cleanly"
}
# As in the demo check, the client area sits at 112,97 of the 1024x768 screen.
shot() {
  xwd -root -silent > "$work/screen.xwd"
  convert "$work/screen.xwd" -crop 800x600+112+97 +repage "$work/$1.png"
}
differing() {  # a b [black rectangle]: pixels that differ between the two screenshots
  local a=$work/$1.png b=$work/$2.png
  if [ -n "${3:-}" ]; then
    convert "$a" -fill black -draw "rectangle $3" "$work/a-masked.png"
    convert "$b" -fill black -draw "rectangle $3" "$work/b-masked.png"
    a=$work/a-masked.png b=$work/b-masked.png
  fi
  compare -metric AE "$a" "$b" null: 2>&1 || true
}
click() {  # held a while: a press and release that reach the program in one pump are not seen
  xdotool mousemove $((112 + 400)) $((97 + 300))
  xdotool mousedown 1; sleep 0.2; xdotool mouseup 1
}
icon="730,562 745,577"  # the click-wait icon's square on the screen

echo "-- first run"
start
caption_shown "page 1" || fail "the first message does not come up"
sleep 1.5  # the page has flowed and waits
animated=""
for _ in $(seq 10); do
  shot wait-a
  sleep 0.3
  shot wait-b
  if [ "$(differing wait-a wait-b)" != "0" ]; then animated=yes; break; fi
done
[ -n "$animated" ] || fail "the click-wait icon does not animate"
outside=$(differing wait-a wait-b "$icon")
echo "the icon animates; pixels differing outside its square: $outside"
[ "$outside" = "0" ] || fail "the screen changes outside the icon while the message waits"

click
caption_shown "page 2" || fail "a click did not turn the page"
sleep 1.5
shot page-2
[ "$(differing wait-a page-2 "$icon")" != "0" ] || fail "the second page shows the first page's text"
echo "a click turned the page"
click
caption_shown "auto" || fail "a click did not turn the second page"
# 26 characters at 150 ms a character: the page waits almost four seconds after it has flowed.
sleep 2
caption_shown "auto" 1 || fail "auto mode went on before its deadline"
caption_shown "page 4" 100 || fail "auto mode did not go on by itself"
echo "auto mode went on by itself after its deadline"
sleep 1
stop

python3 - "$work/sav/SAVE__.KVR" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
ints, flags = 4, 16  # the counts of message_scene.kvd
if len(data) != 16 + 8 * ints + 2 * flags:
    sys.exit("SAVE__.KVR has %d bytes" % len(data))
at = 16 + 8 * ints
read = [data[at + flags + i] ^ data[at + i] for i in range(flags)]
runs = int.from_bytes(data[28 + 4 * ints:32 + 4 * ints], "little") ^ int.from_bytes(data[28:32], "little")
print("read flags in SAVE__.KVR:", read, "runs:", runs)
if read != [0, 1, 1, 1] + [0] * 12 or runs != 1:
    sys.exit("the read flags or the run count did not reach SAVE__.KVR")
PY

echo "-- second run, in skip mode"
start
caption_shown "page 4" 100 || fail "skip mode did not run through the messages read before"
sleep 2
caption_shown "page 4" 1 || fail "skip mode did not stop at the unread message"
echo "skip mode ran through the read messages and stopped at the unread one"
stop
