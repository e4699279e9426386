#!/usr/bin/env bash
# Shows the glyph scene of each code page (glyph-scene-sjis: Japanese, glyph-scene-gbk: Chinese),
# the message scene (a message window's page with its shadow) and the choice scene (an open choice
# menu, its second choice hovered, with the cursor), in a real window under Xvfb and compares a
# screenshot of its client area with the expected picture in tests/glyphs/expected/ (the
# variant's name for the glyph scene, "message-" or "choice-" and the name for the others). With --update, the screenshots become the expected pictures
# (they depend on the font packages that setup.sh installs, and on FreeType's version).
set -euo pipefail
programs=$1
update=${2:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
expected=$root/tests/glyphs/expected
work=$(mktemp -d)
. "$(dirname "$0")/../support/xvfb.sh"
start_xvfb 800x400

status=0
for scene in glyph-scene-sjis glyph-scene-gbk message-scene-sjis message-scene-gbk choice-scene-sjis; do
  variant=${scene#glyph-scene-}
  variant=${variant/#message-scene-/message-}
  variant=${variant/#choice-scene-/choice-}
  DISPLAY=$display SDL_AUDIODRIVER=dummy "$programs/$scene" >"$work/$variant.out" 2>"$work/$variant.err" &
  pid=$!
  for _ in $(seq 100); do [ -s "$work/$variant.out" ] && break; sleep 0.1; done
  sleep 1  # the window is mapped and drawn
  if ! kill -0 "$pid" 2>/dev/null; then cat "$work/$variant.err" >&2; echo "$scene ended by itself" >&2; exit 1; fi
  read -r x y width height <"$work/$variant.out"
  xwd -root -display "$display" -silent >"$work/screen.xwd"
  convert "$work/screen.xwd" -crop "${width}x${height}+${x}+${y}" +repage "$work/$variant.png"
  kill -TERM "$pid"
  wait "$pid" || { cat "$work/$variant.err" >&2; echo "$scene did not end cleanly" >&2; exit 1; }
  if [ "$update" = "--update" ]; then
    cp "$work/$variant.png" "$expected/$variant.png"
    echo "$variant: expected picture updated"
    continue
  fi
  differing=$(compare -metric AE "$work/$variant.png" "$expected/$variant.png" null: 2>&1 || true)
  echo "$variant: pixels differing from the expected picture: $differing"
  if [ "$differing" != "0" ]; then
    cp "$work/$variant.png" "${KV_SCREENSHOT_OUT:-/tmp}/$scene.png" || true
    status=1
  fi
done
exit $status
