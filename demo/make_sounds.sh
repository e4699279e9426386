#!/usr/bin/env bash
# Synthesises the demo game's sounds (no recordings): a looping music phrase (Ogg Vorbis), a
# chime effect (WAV) and a short "voice" line of vowel-like sweeps (Ogg Vorbis).
set -euo pipefail
out=$1
work=$2
mkdir -p "$out" "$work"
# Music: four bars of a soft chord progression, 8 seconds, 44.1 kHz stereo.
sox -n -r 44100 -c 2 -b 16 "$work/music.wav" \
  synth 2 pluck C3 pluck E3 pluck G3 : synth 2 pluck A2 pluck C3 pluck E3 : \
  synth 2 pluck F2 pluck A2 pluck C3 : synth 2 pluck G2 pluck B2 pluck D3 \
  remix -m 1,2,3 1,2,3 gain -n -6
oggenc -Q -q 3 "$work/music.wav" -o "$out/MUSIC.OGG"
# Chime: two bell tones, 22050 Hz mono (the mixer converts it).
sox -n -r 22050 -c 1 -b 16 "$out/CHIME.WAV" synth 0.6 sine 1320 sine 1760 remix -m 1,2 fade 0 0.6 0.5 gain -n -3
# Voice line: gliding formant-like tones, 22050 Hz mono.
sox -n -r 22050 -c 1 -b 16 "$work/voice.wav" \
  synth 0.35 sawtooth 180-240 : synth 0.3 sawtooth 240-200 : synth 0.4 sawtooth 200-150 \
  lowpass 1200 fade 0.02 -0 0.05 gain -n -6
oggenc -Q -q 2 "$work/voice.wav" -o "$out/VOICE.OGG"
