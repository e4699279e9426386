#!/usr/bin/env bash
# The name-entry dialog and the exit question of each code page (dialog-scene-sjis,
# dialog-scene-gbk), drawn by the engine over a picture:
# - on the headless backend's glyphs: the dialog with a typed name and the exit question,
#   compared with tests/dialogs/expected/headless-<variant>-{name,exit}.png;
# - in a real window under Xvfb with the installed fonts, worked by keyboard as a player would:
#   Tab to the fields, type a name, Enter for OK, Enter for Yes in the confirmation; screenshots
#   of the dialog with the typed name and of the exit question are compared with
#   tests/dialogs/expected/window-<variant>-{name,exit}.png, and the names the dialog gave back
#   must be the typed ones.
# With --update, the pictures made become the expected ones (the window's depend on the font
# packages that setup.sh installs, and on FreeType's version).
set -euo pipefail
programs=$1
update=${2:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
expected=$root/tests/dialogs/expected
work=$(mktemp -d)
. "$(dirname "$0")/../support/xvfb.sh"
start_xvfb 1024x768

status=0
check() {  # name picture
  local name=$1 picture=$2
  if [ "$update" = "--update" ]; then
    cp "$picture" "$expected/$name.png"
    echo "$name: expected picture updated"
    return
  fi
  local differing
  differing=$(compare -metric AE "$picture" "$expected/$name.png" null: 2>&1 || true)
  echo "$name: pixels differing from the expected picture: $differing"
  if [ "$differing" != "0" ]; then
    cp "$picture" "${KV_SCREENSHOT_OUT:-/tmp}/dialog-$name.png" || true
    status=1
  fi
}

shot() {  # file x y width height
  xwd -root -display "$display" -silent >"$work/screen.xwd"
  convert "$work/screen.xwd" -crop "${4}x${5}+${2}+${3}" +repage "$1"
}

for variant in sjis gbk; do
  mkdir -p "$work/$variant"
  "$programs/dialog-scene-$variant" --headless "$work/$variant"
  check "headless-$variant-name" "$work/$variant/name.png"
  check "headless-$variant-exit" "$work/$variant/exit.png"

  DISPLAY=$display SDL_AUDIODRIVER=dummy "$programs/dialog-scene-$variant" >"$work/$variant.out" 2>"$work/$variant.err" &
  pid=$!
  for _ in $(seq 100); do [ -s "$work/$variant.out" ] && break; sleep 0.1; done
  sleep 1  # the window is mapped and the dialog drawn
  if ! kill -0 "$pid" 2>/dev/null; then cat "$work/$variant.err" >&2; echo "dialog-scene-$variant ended by itself" >&2; exit 1; fi
  read -r x y width height <"$work/$variant.out"
  # The keyboard goes to the window under the pointer: the middle of the picture, the dialog's
  # caption.
  DISPLAY=$display xdotool mousemove --sync $((x + width / 2)) $((y + height / 2 - 100)) click 1
  sleep 0.3
  DISPLAY=$display xdotool key --delay 100 Tab Tab
  DISPLAY=$display xdotool type --delay 100 Kiri
  DISPLAY=$display xdotool key --delay 100 Tab
  DISPLAY=$display xdotool type --delay 100 Sae
  sleep 0.5
  shot "$work/window-$variant-name.png" "$x" "$y" "$width" "$height"
  DISPLAY=$display xdotool key --delay 300 Return Return  # OK, then Yes in the confirmation
  sleep 0.5
  shot "$work/window-$variant-exit.png" "$x" "$y" "$width" "$height"
  DISPLAY=$display xdotool key Return  # Yes
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; echo "dialog-scene-$variant did not end" >&2; exit 1; fi
  wait "$pid" || { cat "$work/$variant.err" >&2; echo "dialog-scene-$variant failed" >&2; exit 1; }
  names=$(sed -n 's/^names: //p' "$work/$variant.out")
  answer=$(sed -n 's/^exit: //p' "$work/$variant.out")
  echo "$variant: names \"$names\", exit question answered \"$answer\""
  if [ "$names" != "Kiri Sae" ] || [ "$answer" != "yes" ]; then
    echo "the dialog did not give back the typed names and the keyboard's answer" >&2
    status=1
  fi
  check "window-$variant-name" "$work/window-$variant-name.png"
  check "window-$variant-exit" "$work/window-$variant-exit.png"
done
exit $status
