#!/usr/bin/env bash
# The load screen of the real program in a real window under Xvfb: a first run (tests/saves/
# make_saves.kvs, offscreen) writes three saves of the demo's places, whose dates are then set
# to fixed ones; a damaged file takes slot 4 and slot 5 has none. The second run (tests/saves/
# save_screen.kvs) must report the damaged file once, in a box that Return closes, and then show
# every slot with its thumbnail, number, date and title (the damaged and the missing one empty),
# the third highlighted under the pointer, compared with tests/saves/expected/save-screen.png; a real click on the second slot must choose
# it. With --update, the screenshot becomes the expected picture (the text depends on the font
# packages that setup.sh installs, and on FreeType's version).
set -euo pipefail
build=$1
update=${2:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
expected=$root/tests/saves/expected/save-screen.png
work=$(mktemp -d)
. "$(dirname "$0")/../support/xvfb.sh"
trap 'rm -rf "$work"' EXIT
pictures=$build/demo-work/pictures

cp "$build/kvrebody" "$work/"
cp "$pictures/BG_ROOM.PNG" "$pictures/BG_PARK.PNG" "$pictures/BG_NIGHT.PNG" "$pictures/SETTINGS.PNG" \
  "$pictures/PANELS.PNG" "$work/"
"$build/tools/kvasm" sni "$root/demo/NECEMEM.kvd" -o "$work/NECEMEM.SNI"

# One copy of the program runs on the machine at a time: while another one runs (another
# check), a start ends at once with 1, and is tried again.
start_alone() {  # the program's run, in the background; pid is set
  local i
  for i in $(seq 120); do
    "$@" &
    pid=$!
    sleep 0.5
    if kill -0 "$pid" 2>/dev/null; then return 0; fi
    if wait "$pid"; then return 0; fi
    sleep 0.5
  done
  echo "another copy of the program kept running" >&2
  return 1
}

"$build/tools/kvasm" asm "$root/tests/saves/make_saves.kvs" -o "$work/INIT.SNX"
start_alone env SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 30 "$work/kvrebody" 2>"$work/saves.err"
wait "$pid" || true
[ -f "$work/sav/SAVE03.KVR" ] || { cat "$work/saves.err" >&2; echo "the saves were not made" >&2; exit 1; }

# Fixed dates, written into each save's scrambled header (byte i of the blob XOR i mod 255).
python3 - "$work/sav" <<'PY'
import os, struct, sys
folder = sys.argv[1]
for slot, date in ((1, b"04/01 10:31"), (2, b"04/02 11:42"), (3, b"04/03 21:53")):
    path = os.path.join(folder, "SAVE%02d.KVR" % slot)
    data = bytearray(open(path, "rb").read())
    at = 8  # after the PNG signature: chunks of length, type, data and CRC up to IEND
    while True:
        length, kind = struct.unpack(">I4s", data[at : at + 8])
        at += 12 + length
        if kind == b"IEND":
            break
    for i, byte in enumerate(date + b"\0"):
        data[at + 53 + i] = byte ^ ((53 + i) % 255)
    open(path, "wb").write(data)
PY
head -c 5000 /dev/urandom >"$work/sav/SAVE04.KVR"
rm -f "$work/sav/SAVE05.KVR"

"$build/tools/kvasm" asm "$root/tests/saves/save_screen.kvs" -o "$work/INIT.SNX"
start_xvfb 1024x768
start_alone env SDL_AUDIODRIVER=dummy "$work/kvrebody" 2>"$work/x11.err"

# The box about the damaged file holds the screen back until it is closed.
caption_shown reading || { cat "$work/x11.err" >&2; echo "the slot screen does not come up" >&2; exit 1; }
sleep 1
if caption_shown slots; then echo "the damaged file was not reported" >&2; exit 1; fi
# As in the demo check, the client area sits at 112,97 of the 1024x768 screen; a click at its
# corner gives the window the keyboard, away from the box and the slots.
xdotool mousemove 114 99 click 1
sleep 0.3
xdotool key Return
caption_shown slots || { cat "$work/x11.err" >&2; echo "the box did not close, or came again" >&2; exit 1; }
echo "the damaged file was reported once"
# The pointer on the third slot: it is shown highlighted.
xdotool mousemove $((112 + 400)) $((97 + 340))

differing=""
for _ in $(seq 10); do
  sleep 0.3
  xwd -root -silent >"$work/screen.xwd"
  convert "$work/screen.xwd" -crop 800x600+112+97 +repage "$work/screen.png"
  [ "$update" = "--update" ] && break
  differing=$(compare -metric AE "$work/screen.png" "$expected" null: 2>&1 || true)
  [ "$differing" = "0" ] && break
done
if [ "$update" = "--update" ]; then
  cp "$work/screen.png" "$expected"
  echo "expected picture updated"
else
  echo "pixels differing from the expected slot screen: $differing"
  if [ "$differing" != "0" ]; then
    cp "$work/screen.png" "${KV_SCREENSHOT_OUT:-/tmp}/kvrebody-save-screen.png" || true
    exit 1
  fi
fi

# The button is held for a while, so that the press and the release reach the program apart.
xdotool mousemove $((112 + 300)) $((97 + 276))
sleep 0.3
xdotool mousedown 1; sleep 0.2; xdotool mouseup 1
caption_shown "chosen 1" || { echo "the click did not choose the second slot" >&2; exit 1; }
echo "the click chose the second slot"
kill -TERM "$pid"
wait "$pid"
