#!/usr/bin/env bash
# The first minute of an installed kaland: installed into an empty prefix and
# run in an empty folder, it plays the installed adventure; a zelmor.map in
# the current folder still wins; --help names the installed adventure and
# --version answers; a copy of the runner outside the bin folder, even with
# the installed files beside it, fails silently as before, and so does a map
# path that cannot be opened. Every run is bounded in time and output.
#   installed_adventure.sh BUILD_DIR
set -eu
build=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
mkdir "$scratch/empty" "$scratch/own"

# Runs the installed runner in a folder: FOLDER INPUT [ARGS...]; keeps at most 1 MB.
run() {
  local folder=$1 input=$2
  shift 2
  (set -o pipefail && cd "$folder" && timeout -k 5 20 "$@" <"$input" | head -c 1000000)
}
fail() {
  echo "$*"
  exit 1
}

output=$(run "$scratch/empty" "$prefix/share/kaland/zelmor.walkthrough" "$prefix/bin/kaland")
grep -q 'you saved the fishermen' <<<"$output" || fail "no map here: the installed adventure was not played"

printf '#helyiseg 1\nThe map of this folder.\n#gameover\n' >"$scratch/own/zelmor.map"
output=$(run "$scratch/own" /dev/null "$prefix/bin/kaland")
[[ $output == $'\nThe map of this folder.\n\nNyomj <Enter>-t a kilepeshez!' ]] ||
  fail "zelmor.map in the current folder did not win: $output"

output=$(run "$scratch/empty" /dev/null "$prefix/bin/kaland" --help)
grep -qxF "  $prefix/share/kaland/zelmor.map" <<<"$output" || fail "--help does not name the installed adventure: $output"
[[ $(run "$scratch/empty" /dev/null "$prefix/bin/kaland" --version) == "kaland 1.0.0" ]] || fail "--version"

# Only a run without a map path falls back on the installed adventure.
set +e
output=$(run "$scratch/empty" /dev/null "$prefix/bin/kaland" nosuch.map)
status=$?
set -e
[[ -z $output && $status == 255 ]] || fail "a map path that cannot be opened: status $status, output '$output'"

# A runner outside the bin folder, even one with the installed files at
# ../share/kaland beside it (a build folder in the source tree, say).
mkdir "$prefix/elsewhere"
cp "$prefix/bin/kaland" "$prefix/elsewhere/kaland"
set +e
output=$(run "$scratch/empty" /dev/null "$prefix/elsewhere/kaland")
status=$?
set -e
[[ -z $output && $status == 255 ]] || fail "outside an installed bin folder: status $status, output '$output'"
echo "the installed runner plays $prefix/share/kaland/zelmor.map from an empty folder"
