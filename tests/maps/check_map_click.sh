#!/usr/bin/env bash
# The real program in a real window under Xvfb on a chip map of three places (tests/maps/
# map_scene.kvs, with the demo's pictures): with the pointer on the second place the window must
# show it lit and its chip at the bottom right, as a reference picture composed here from the
# same pictures; a real click (xdotool) must choose it.
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
. "$(dirname "$0")/../support/xvfb.sh"
trap 'rm -rf "$work"' EXIT
pictures=$build/demo-work/pictures

cp "$build/kvrebody" "$work/"
cp "$pictures/BG_PARK.PNG" "$pictures/PANELS.PNG" "$work/"
"$build/tools/kvasm" asm "$root/tests/maps/map_scene.kvs" -o "$work/INIT.SNX"
"$build/tools/kvasm" sni "$root/demo/NECEMEM.kvd" -o "$work/NECEMEM.SNI"

# The expected screen: the park, the three places at rest (frame 1) but the second lit (frame 2),
# and the second's chip.
frame() { echo "( $pictures/PANELS.PNG -crop 160x48+$1+$2 +repage ) -geometry +$3+$4 -composite"; }
# shellcheck disable=SC2046
convert "$pictures/BG_PARK.PNG" $(frame 160 112 60 100) $(frame 320 160 60 170) $(frame 160 208 60 240) \
  $(frame 320 160 560 480) "$work/expected.png"

start_xvfb 1024x768
SDL_AUDIODRIVER=dummy "$work/kvrebody" 2>"$work/x11.err" &
pid=$!

# As in the demo check, the client area sits at 112,97 of the 1024x768 screen.
caption_shown map || { cat "$work/x11.err" >&2; echo "the map does not come up" >&2; kill -TERM "$pid"; exit 1; }
xdotool mousemove $((112 + 140)) $((97 + 190))
differing=""
for _ in $(seq 20); do
  sleep 0.2
  xwd -root -silent > "$work/screen.xwd"
  convert "$work/screen.xwd" -crop 800x600+112+97 +repage "$work/screen.png"
  differing=$(compare -metric AE "$work/screen.png" "$work/expected.png" null: 2>&1 || true)
  [ "$differing" = "0" ] && break
done
echo "pixels differing from the lit place with its chip: $differing"
if [ "$differing" != "0" ]; then
  cp "$work/screen.png" "${KV_SCREENSHOT_OUT:-/tmp}/kvrebody-map.png" || true
  kill -TERM "$pid"
  exit 1
fi
# The button is held for a while: the backend keeps the buttons' state, and a press and release
# that reach the program in one pump would not be seen.
xdotool mousedown 1; sleep 0.2; xdotool mouseup 1
caption_shown "chosen 1" || { echo "the click did not choose the second place" >&2; kill -TERM "$pid"; exit 1; }
echo "the click chose the second place"
kill -TERM "$pid"
wait "$pid"
