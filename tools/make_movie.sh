#!/usr/bin/env bash
# Makes a short movie with Debian's ffmpeg from its own sources: colour bars (SMPTE) with a tone.
# The container follows the extension: .mpg MPEG-1 video with MPEG audio layer 2, .wmv Windows
# Media video and audio, .avi MPEG-4 video with PCM sound.
#   make_movie.sh OUT SECONDS [--size=WIDTHxHEIGHT] [--tone=HZ] [--no-sound | --no-picture]
# The defaults are 320x240 and 440 Hz.
set -euo pipefail
out=$1
seconds=$2
shift 2
size=320x240
tone_hz=440
only=""
for option in "$@"; do
  case "$option" in
    --size=*) size=${option#--size=} ;;
    --tone=*) tone_hz=${option#--tone=} ;;
    --no-sound | --no-picture) only=$option ;;
    *) echo "make_movie.sh: unknown option $option" >&2; exit 2 ;;
  esac
done
bars="smptebars=size=$size:rate=25:duration=$seconds"
tone="sine=frequency=$tone_hz:sample_rate=44100:duration=$seconds"
case "${out,,}" in
  *.mpg) picture=(-c:v mpeg1video -q:v 4); sound=(-c:a mp2 -b:a 128k); format=mpeg ;;
  *.wmv) picture=(-c:v wmv2 -q:v 4); sound=(-c:a wmav2 -b:a 128k); format=asf ;;
  *.avi) picture=(-c:v mpeg4 -q:v 4); sound=(-c:a pcm_s16le); format=avi ;;
  *) echo "make_movie.sh: $out: use .mpg, .wmv or .avi" >&2; exit 2 ;;
esac
inputs=(-f lavfi -i "$bars" -f lavfi -i "$tone")
case "$only" in
  --no-sound) inputs=(-f lavfi -i "$bars"); sound=(-an) ;;
  --no-picture) inputs=(-f lavfi -i "$tone"); picture=(-vn) ;;
esac
mkdir -p "$(dirname "$out")"
ffmpeg -nostdin -hide_banner -loglevel error -y "${inputs[@]}" "${picture[@]}" "${sound[@]}" -f "$format" \
  "$out.part"
mv "$out.part" "$out"
