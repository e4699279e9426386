#!/usr/bin/env bash
# Sets up a fresh Debian machine for kvrebody and then builds and plays the demo game
# (./setup.sh play) or builds and runs every test (./setup.sh test).
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

packages=(
  g++ cmake ninja-build pkg-config git
  libsdl2-dev libx11-dev libpng-dev zlib1g-dev libogg-dev libvorbis-dev
  libfreetype-dev libfontconfig-dev fonts-wine fonts-vlgothic fonts-wqy-microhei
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
  googletest libgtest-dev libbenchmark-dev lua5.4 liblua5.4-dev
  clang libclang-rt-14-dev
  xvfb xauth x11-apps x11-utils xdotool imagemagick sox vorbis-tools python3 python3-numpy libpixman-1-dev
  xdg-utils
)

# Every program the build and the checks call, with the package that brings it: a package missing
# from the list above shows here, before anything is built, and not half-way through the checks.
test_programs=(
  cmake:cmake ninja:ninja-build pkg-config:pkg-config g++:g++ clang++:clang
  Xvfb:xvfb xwd:x11-apps xprop:x11-utils xdotool:xdotool
  convert:imagemagick compare:imagemagick sox:sox oggenc:vorbis-tools ffmpeg:ffmpeg
  python3:python3 timeout:coreutils
)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

check_test_programs() {
  local missing=() entry
  for entry in "${test_programs[@]}"; do
    command -v "${entry%%:*}" >/dev/null 2>&1 || missing+=("${entry%%:*} (package ${entry#*:})")
  done
  # The checks that compute pictures run Debian's Python when there is one (tests/effects).
  local python=/usr/bin/python3
  [ -x "$python" ] || python=python3
  "$python" -c 'import numpy' >/dev/null 2>&1 || missing+=("numpy for $python (package python3-numpy)")
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup.sh: the checks need programs that are not installed:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  return 1
}

jobs=$(nproc)

build() {  # build DIR [cmake options...]
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  ninja -C "$dir" -j "$jobs"
}

case "${1:-}" in
  play)
    install_missing
    build "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_TESTS=OFF -DKV_BENCH=OFF
    exec "$root/build/demo-game/kvrebody"
    ;;
  test)
    install_missing
    check_test_programs
    exec "$root/tests/run_all.sh"
    ;;
  *)
    echo "usage: $0 play|test" >&2
    exit 2
    ;;
esac
