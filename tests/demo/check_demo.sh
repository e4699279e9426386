#!/usr/bin/env bash
# Runs the real program on the demo game: once under SDL's offscreen driver (and the GBK
# program on its own game, in the folder named as the game's with "-gbk"), once in a real window
# under Xvfb, where the opening movie's colour bars must show in the window and, once the movie
# is over, the screen must equal the expected first screen: the title scene, layers
# drawn through masks, shaded, see-through and brightened, which the demo game test finds in the
# headless engine's frames too. Each run is ended with SIGTERM, which must end the game cleanly
# (exit code 0). In the real window the player names the protagonist after the movie, and the
# window carries the program's own icon.
set -euo pipefail
game=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
. "$(dirname "$0")/../support/xvfb.sh"
trap 'rm -rf "$work"' EXIT

wait_exit() {  # pid seconds
  local pid=$1 limit=$2 i=0
  while kill -0 "$pid" 2>/dev/null; do
    sleep 0.1; i=$((i + 1))
    if [ $i -ge $((limit * 10)) ]; then echo "program did not end" >&2; kill -KILL "$pid"; return 1; fi
  done
  wait "$pid"
}

echo "-- offscreen"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$game/kvrebody" 2>"$work/offscreen.err" &
pid=$!
sleep 2
kill -0 "$pid" || { cat "$work/offscreen.err" >&2; echo "the program ended by itself" >&2; exit 1; }
kill -TERM "$pid"
wait_exit "$pid" 10 || { cat "$work/offscreen.err" >&2; exit 1; }
if [ -s "$work/offscreen.err" ]; then cat "$work/offscreen.err" >&2; echo "unexpected output" >&2; exit 1; fi

echo "-- the GBK build's game, offscreen"
# Its scripts are assembled in GBK, with the story in Chinese; it must start and run as well.
gbk_game=$game-gbk
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$gbk_game/kvrebody-gbk" 2>"$work/gbk.err" &
pid=$!
sleep 2
kill -0 "$pid" || { cat "$work/gbk.err" >&2; echo "the GBK program ended by itself" >&2; exit 1; }
kill -TERM "$pid"
wait_exit "$pid" 10 || { cat "$work/gbk.err" >&2; exit 1; }
if [ -s "$work/gbk.err" ]; then cat "$work/gbk.err" >&2; echo "unexpected output" >&2; exit 1; fi

echo "-- sound through SDL's disk driver"
# The demo starts its music, an effect and a voice at once; the mix written to the file must be
# as long as the run (the driver keeps real time) and clearly audible. The opening movie's
# 1000 Hz tone must be in the mix while the movie plays (its three seconds near the start) and
# gone after it.
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/mix.raw" "$game/kvrebody" 2>"$work/disk.err" &
pid=$!
sleep 6
kill -0 "$pid" || { cat "$work/disk.err" >&2; echo "the program ended by itself" >&2; exit 1; }
kill -TERM "$pid"
wait_exit "$pid" 10 || { cat "$work/disk.err" >&2; exit 1; }
python3 - "$work/mix.raw" <<'PY'
import math, struct, sys
data = open(sys.argv[1], "rb").read()
seconds = len(data) / (44100 * 4)
samples = struct.unpack("<%dh" % (min(len(data), 44100 * 4 * 2) // 2), data[: min(len(data), 44100 * 4 * 2)])
rms = math.sqrt(sum(s * s for s in samples) / max(len(samples), 1))
print("mix: %.2f s written, level %.0f (RMS of the first two seconds)" % (seconds, rms))
if seconds < 4.5:
    sys.exit("the mix is shorter than the run")
if rms < 300:
    sys.exit("the mix is silent")

def tone(start, length=0.5, hz=1000.0):
    """Strength of the tone in the left channel from start seconds on (Goertzel)."""
    first = int(start * 44100) * 4
    frames = struct.unpack("<%dh" % (int(length * 44100) * 2), data[first : first + int(length * 44100) * 4])[::2]
    step = 2 * math.cos(2 * math.pi * hz / 44100)
    previous = older = 0.0
    for sample in frames:
        previous, older = sample + step * previous - older, previous
    return math.sqrt(max(previous * previous + older * older - step * previous * older, 0)) / len(frames)

during = max(tone(t / 4) for t in range(0, 14))
after = tone(seconds - 0.6)
print("movie tone: %.0f while it plays, %.0f after it" % (during, after))
if during < 300 or during < 8 * after:
    sys.exit("the opening movie's tone is not in the mix")
PY

echo "-- Xvfb"
start_xvfb 1024x768
DISPLAY=$display SDL_AUDIODRIVER=dummy "$game/kvrebody" 2>"$work/x11.err" &
pid=$!
# No window manager draws a frame, but the window is placed as if one did: the framed outer
# rectangle (806x632) is centred on the 1024x768 screen, which puts the client area at 112,97.
# The white root around it shows that the window is where it should be.
# The opening movie (three seconds of colour bars) covers the client area: the seven upper bars,
# grey, yellow, cyan, green, magenta, red and blue, each at about 75 %, a third of the way down.
# A loaded machine may take a while to bring the window up: look for them for a few seconds.
movie_bars() {
  local bars="" bar
  for bar in 0 1 2 3 4 5 6; do
    bars+=$(convert "$work/movie.xwd" -crop "1x1+$((112 + (2 * bar + 1) * 800 / 14))+297" +repage \
      -format '%[fx:r>0.5?1:0]%[fx:g>0.5?1:0]%[fx:b>0.5?1:0] ' info:)
  done
  echo "$bars"
}
bars=""
for _ in $(seq 30); do
  sleep 0.2
  # While the program makes its window a capture may fail; the next one is taken.
  xwd -root -display "$display" -silent > "$work/movie.xwd" 2>/dev/null || continue
  bars=$(movie_bars)
  [ "$bars" = "111 110 011 010 101 100 001 " ] && break
done
echo "movie bars (rgb): $bars"
if [ "$bars" != "111 110 011 010 101 100 001 " ]; then
  convert "$work/movie.xwd" "${KV_SCREENSHOT_OUT:-/tmp}/kvrebody-movie.png" || true
  echo "the opening movie does not show in the window" >&2
  exit 1
fi
# After the movie the game asks for the protagonist's name: the name-entry dialog shows in the
# middle of the window (its caption bar dark blue). The player clicks its caption, tabs to the
# fields, types a family and a given name, presses Enter for OK and Enter again for Yes in the
# confirmation, and the game goes on.
caption_bar() {
  xwd -root -display "$display" -silent > "$work/dialog.xwd" 2>/dev/null || return 1
  convert "$work/dialog.xwd" -crop 1x1+$((112 + 400))+$((97 + 226)) +repage -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:
}
shown=""
for _ in $(seq 50); do
  sleep 0.2
  shown=$(caption_bar || true)
  [ "$shown" = "10,36,106" ] && break
done
if [ "$shown" != "10,36,106" ]; then
  convert "$work/dialog.xwd" "${KV_SCREENSHOT_OUT:-/tmp}/kvrebody-name-entry.png" || true
  echo "the name-entry dialog does not show in the window" >&2
  exit 1
fi
DISPLAY=$display xdotool mousemove --sync $((112 + 400)) $((97 + 226)) click 1
sleep 0.3
DISPLAY=$display xdotool key --delay 100 Tab Tab
DISPLAY=$display xdotool type --delay 100 Kiri
DISPLAY=$display xdotool key --delay 100 Tab
DISPLAY=$display xdotool type --delay 100 Sae
DISPLAY=$display xdotool key --delay 300 Return Return
# The game goes on to its first screen, where it calls the player by the given name in its
# caption.
sleep 4
window=$(DISPLAY=$display xdotool search --pid "$pid" 2>/dev/null | head -1 || true)
caption=$(DISPLAY=$display xdotool getwindowname "$window" 2>/dev/null || true)
echo "caption: $caption"
if [ "$caption" != "kvrebody demo - Sae, click to go on" ]; then echo "the typed name is not in the caption" >&2; exit 1; fi
# The window carries the program's own icon: what the window holds (_NET_WM_ICON: width, height,
# then one ARGB number a pixel) is the picture app/make_icon.py draws.
DISPLAY=$display xprop -id "$window" -notype -f _NET_WM_ICON 32c _NET_WM_ICON >"$work/icon.txt" 2>&1 || true
python3 - "$root/app" "$work/icon.txt" <<'PY'
import sys
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[1])
import make_icon
text = open(sys.argv[2]).read()
shown = [int(v) for v in text.partition("=")[2].split(",")] if "=" in text else []
drawn = [make_icon.SIZE, make_icon.SIZE]
for row in make_icon.draw():
    for x in range(make_icon.SIZE):
        r, g, b, a = row[4 * x:4 * x + 4]
        drawn.append(a << 24 | r << 16 | g << 8 | b)
print("window icon: %s" % ("%d x %d" % tuple(shown[:2]) if len(shown) >= 2 else "none"))
if shown != drawn:
    sys.exit("the window does not show the program's icon")
PY
kill -0 "$pid" || { cat "$work/x11.err" >&2; echo "the program ended by itself" >&2; exit 1; }
xwd -root -display "$display" -silent > "$work/screen.xwd"
convert "$work/screen.xwd" -crop 800x600+112+97 +repage "$work/screen.png"
kill -TERM "$pid"
wait_exit "$pid" 10 || { cat "$work/x11.err" >&2; exit 1; }
differing=$(compare -metric AE "$work/screen.png" "$root/demo/expected/first-screen.png" null: 2>&1 || true)
echo "pixels differing from the expected screen: $differing"
if [ "$differing" != "0" ]; then
  cp "$work/screen.png" "${KV_SCREENSHOT_OUT:-/tmp}/kvrebody-screen.png" || true
  echo "the screen differs from demo/expected/first-screen.png" >&2
  exit 1
fi
# And around the window the white root shows: the window covers exactly its client area.
outside=$(convert "$work/screen.xwd" -crop 1x1+111+97 +repage -format '%[fx:int(255*r)]' info:)
if [ "$outside" != "255" ]; then echo "the window is not where it should be" >&2; exit 1; fi
