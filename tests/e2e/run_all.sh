#!/usr/bin/env bash
# Runs every end-to-end case against one executable, two at a time, and
# prints the failures and a closing "N passed, M failed" line.
#
#   run_all.sh [--valgrind] KALAND
set -u
here=$(dirname "$(realpath "$0")")
options=()
if [[ ${1:-} == --valgrind ]]; then
  options=(--valgrind)
  shift
fi
kaland=$(realpath "$1")
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

run_one() {
  local case_dir=$1 name
  name=$(basename "$case_dir")
  if bash "$here/run_case.sh" "${options[@]}" "$kaland" "$case_dir" >"$results/$name.log" 2>&1; then
    touch "$results/$name.pass"
  else
    echo "FAILED: $name"
    cat "$results/$name.log"
  fi
}
export -f run_one
export here kaland results
export options_text="${options[*]}"

find "$here/cases" -mindepth 1 -maxdepth 1 -type d | sort |
  xargs -P 2 -I{} bash -c 'options=($options_text); run_one "$1"' _ {}

total=$(find "$here/cases" -mindepth 1 -maxdepth 1 -type d | wc -l)
passed=$(find "$results" -name '*.pass' | wc -l)
echo "$passed passed, $((total - passed)) failed"
[[ $passed == "$total" ]]
