#!/usr/bin/env bash
# Seeds the fuzz corpora from the end-to-end cases: their maps for the map
# targets, and each map with its input (joined by 0xFF 0xFF) for fuzz_play.
#   make_corpus.sh OUTPUT_FOLDER
set -eu
here=$(dirname "$(realpath "$0")")
out=$1
mkdir -p "$out/map_lines" "$out/load" "$out/play"
for case_dir in "$here"/../tests/e2e/cases/*/; do
  name=$(basename "$case_dir")
  map=
  for candidate in map zelmor.map; do
    [[ -f $case_dir/$candidate ]] && map=$case_dir/$candidate
  done
  [[ -n $map ]] || continue
  # Keep seeds small: the fuzzers grow their own inputs.
  [[ $(stat -L -c %s "$map") -le 65536 ]] || continue
  cp -L "$map" "$out/map_lines/$name"
  cp -L "$map" "$out/load/$name"
  { cat "$map"; printf '\xff\xff'; [[ -f $case_dir/input ]] && cat "$case_dir/input"; } >"$out/play/$name"
done
