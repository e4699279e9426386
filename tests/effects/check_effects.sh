#!/usr/bin/env bash
# Runs the real program on the effect scene game (tests/effects/scripts/INIT.kvs) in a real
# window under Xvfb: a scene of layers drawn plain, through masks, brightened, darkened and
# see-through, whose background then changes through each of the six screen effects. The window
# is captured again and again until the last effect has ended; every capture must equal, byte for
# byte, one of the pictures that effect_scene.py computes from the compositor's formulas (the
# scene, then every step of each effect, in order), and each effect must be caught between its
# first and its last step. The program must then end cleanly on SIGTERM.
set -euo pipefail
game=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
. "$(dirname "$0")/../support/xvfb.sh"
trap 'rm -rf "$work"' EXIT
# numpy is Debian's, for the system's Python.
python=/usr/bin/python3
[ -x "$python" ] || python=python3

cp "$game/kvrebody" "$game/INIT.SNX" "$game/NECEMEM.SNI" "$work/"
"$python" "$here/effect_scene.py" pictures "$work"

start_xvfb 1024x768

DISPLAY=$display SDL_AUDIODRIVER=dummy "$work/kvrebody" 2>"$work/program.err" &
pid=$!
status=0
"$python" "$here/effect_scene.py" watch "$display" || status=1
if ! kill -0 "$pid" 2>/dev/null; then
  cat "$work/program.err" >&2
  echo "the program ended by itself" >&2
  exit 1
fi
kill -TERM "$pid"
wait "$pid" || { cat "$work/program.err" >&2; echo "the program did not end cleanly" >&2; exit 1; }
if [ -s "$work/program.err" ]; then cat "$work/program.err" >&2; echo "unexpected output" >&2; exit 1; fi
exit $status
