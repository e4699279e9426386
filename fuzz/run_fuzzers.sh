#!/usr/bin/env bash
# Runs every fuzz target for a fixed number of runs from its seed corpus. A crash or a sanitizer
# report ends the target with a non-zero status and fails the run. New inputs go to a scratch
# folder, so the seeds in fuzz/corpus stay as they are.
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A leak inside a library that no caller can free would stop a run before it finds ours.
export LSAN_OPTIONS="suppressions=$root/fuzz/leak_suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
run() {  # target corpus runs (corpus: a folder of fuzz/corpus, or an absolute path)
  local corpus=$2
  [[ $corpus = /* ]] || corpus=$root/fuzz/corpus/$corpus
  mkdir -p "$scratch/$1"
  echo "-- $1 ($3 runs)"
  "$build/fuzz/$1" -runs="$3" -seed=1 -print_final_stats=0 "$scratch/$1" "$corpus" 2>"$scratch/$1.log" ||
    { tail -50 "$scratch/$1.log" >&2; exit 1; }
}
run fuzz_vm vm 20000
run fuzz_pack_index pack_index 20000
run fuzz_expand_text expand_text 50000
run fuzz_common_data common_data 20000
run fuzz_save_file save_file 20000
run fuzz_wav wav 20000
run fuzz_ogg_memory ogg_memory 5000
run fuzz_png_load png 20000
run fuzz_bmp_load bmp 20000
# Movie seeds are made here, small and short, in each container the tests use.
for movie in bars.mpg bars.wmv bars.avi; do "$root/tools/make_movie.sh" "$scratch/movie-seeds/$movie" 0.3 --size=64x48; done
run fuzz_movie "$scratch/movie-seeds" 3000
