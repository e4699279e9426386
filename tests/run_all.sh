#!/usr/bin/env bash
# Builds and runs every check: the tests in a normal build and under AddressSanitizer and
# UndefinedBehaviorSanitizer, a Release build, the sound stream and mixer tests under
# ThreadSanitizer, the fuzz targets for a fixed number of runs, the benchmarks once briefly, the
# real program on the demo game (offscreen, with SDL's disk audio driver, and in a real window
# under Xvfb) and on a scene of layers whose every picture through the six screen effects is
# compared with the effects' formulas (under Xvfb), a clickable map worked with the real pointer
# (under Xvfb), the game ended by losing its X server and by a hang-up signal (under Xvfb),
# messages read with the real pointer, in auto and in skip mode (under Xvfb), the
# load screen over three saves and a damaged file (under Xvfb), a line of Japanese and one of
# Chinese drawn from the installed fonts, a message window's page in each and an open choice
# menu, in a real window under Xvfb, and the name-entry dialog and the exit question drawn by the
# engine (headless, and worked by keyboard in a real window under Xvfb). Every build here treats
# compiler warnings as errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
out=${KV_BUILD_ROOT:-$root/build-ci}
mkdir -p "$out"

step() { echo; echo "== $*"; }

step "normal build"
cmake -S "$root" -B "$out/normal" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_WERROR=ON -DKV_BENCH=ON >/dev/null
ninja -C "$out/normal" -j "$jobs"
step "tests (normal build)"
ctest --test-dir "$out/normal" -j "$jobs" --output-on-failure --timeout 300

step "sanitizer build"
cmake -S "$root" -B "$out/asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON -DKV_WERROR=ON >/dev/null
ninja -C "$out/asan" -j "$jobs"
step "tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir "$out/asan" -j "$jobs" --output-on-failure --timeout 600

step "Release build"
cmake -S "$root" -B "$out/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_WERROR=ON -DKV_BENCH=ON >/dev/null
ninja -C "$out/release" -j "$jobs"

step "sound streams, mixer and movie playback under ThreadSanitizer"
CC=clang CXX=clang++ cmake -S "$root" -B "$out/tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_TSAN=ON \
  -DKV_WERROR=ON >/dev/null
ninja -C "$out/tsan" -j "$jobs" test_sound test_backend
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 "$out/tsan/tests/test_sound" --gtest_brief=1
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 "$out/tsan/tests/test_backend" --gtest_filter='FfmpegMovie*' \
  --gtest_brief=1

if [ -f "$root/fuzz/CMakeLists.txt" ]; then
  step "fuzz targets"
  CC=clang CXX=clang++ cmake -S "$root" -B "$out/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKV_FUZZ=ON -DKV_TESTS=OFF -DKV_WERROR=ON >/dev/null
  ninja -C "$out/fuzz" -j "$jobs"
  "$root/fuzz/run_fuzzers.sh" "$out/fuzz"
fi

if [ -x "$out/normal/bench/bench_vm" ]; then
  step "benchmarks (brief)"
  "$out/normal/bench/bench_vm" --benchmark_min_time=0.05 --benchmark_repetitions=1
  "$out/normal/bench/bench_graphics" --benchmark_min_time=0.05 --benchmark_repetitions=1
  "$out/normal/bench/bench_glyphs" --benchmark_min_time=0.05 --benchmark_repetitions=1
  "$out/normal/bench/bench_save" --benchmark_min_time=0.05 --benchmark_repetitions=1
fi
if [ -x "$out/normal/bench/bench_mix" ]; then
  "$out/normal/bench/bench_mix"
fi

step "the program on the demo game"
"$root/tests/demo/check_demo.sh" "$out/normal/demo-game"

step "losing the display and a hang-up end the game cleanly, with the common data written"
"$root/tests/app/check_display_lost.sh" "$out/normal"

step "the six screen effects of a scene of layers, in a real window"
"$root/tests/effects/check_effects.sh" "$out/normal/effect-scene-game"

step "a clickable map in a real window, worked with the real pointer"
"$root/tests/maps/check_map_click.sh" "$out/normal"

step "messages in a real window: the click-wait icon, clicks, auto mode, skip mode, the read flags"
"$root/tests/messages/check_message_flow.sh" "$out/normal"

step "the load screen over three saves and a damaged file, in a real window"
"$root/tests/saves/check_save_screen.sh" "$out/normal"

step "text and a choice menu drawn from the installed fonts, in a real window"
"$root/tests/glyphs/check_glyph_scene.sh" "$out/normal/tests"

step "the name-entry dialog and the exit question, headless and in a real window"
"$root/tests/dialogs/check_dialog_scene.sh" "$out/normal/tests"

echo
echo "== all checks passed"
