#!/usr/bin/env bash
# Over every map of the end-to-end suite, kaland-check must exit with 1
# exactly for the maps the runner refuses while loading, and with 0 for the
# others. The runner refuses a map while loading when it ends with status 255
# before showing any room (a shown room starts with a blank line). When it
# refuses with a message, kaland-check's errors must quote that message, on
# a line of the map.
#   consistency.sh KALAND KALAND_CHECK E2E_CASES_DIR
#
# Each run is bounded like an end-to-end case (20 s, or the case's timeout
# file) and keeps at most 4 MB of each stream; going over fails the script.
set -u
. "$(dirname "$(realpath "$0")")/../bounded_run.sh"
kaland=$(realpath "$1")
checker=$(realpath "$2")
cases=$(realpath "$3")
scratch=
trap '[[ -z $scratch ]] || rm -rf "$scratch"' EXIT
trap 'bounded_stop; exit 1' HUP INT TERM
make_scratch || exit 1

# The message a refused map got: "Error: TEXT" and a newline gives TEXT, and
# a text without a newline ("Nincs helyiseg") is the message as it stands.
refusal_message() {
  local output
  IFS= read -r -d '' output <"$1"
  if [[ $output == "Error: "*$'\n' ]]; then
    output=${output#Error: }
    output=${output%$'\n'}
  fi
  printf '%s' "$output"
}

checked=0
failed=0
for case_dir in "$cases"/*/; do
  name=$(basename "$case_dir")
  rm -rf "$scratch/work"
  mkdir "$scratch/work"
  [[ -f $case_dir/generate ]] && (cd "$scratch/work" && timeout -k 2 60 bash "$case_dir/generate")
  for candidate in map zelmor.map; do
    [[ -f $case_dir/$candidate ]] && cp -L "$case_dir/$candidate" "$scratch/work/map"
  done
  [[ -f $scratch/work/map ]] || continue
  seconds=20
  [[ -f $case_dir/timeout ]] && seconds=$(tr -d '[:space:]' <"$case_dir/timeout")
  [[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "$name: timeout must be whole seconds, not: $seconds"; exit 1; }

  cd "$scratch/work"
  if ! bounded_run "$seconds" "$BOUNDED_SPARE_BYTES" "$BOUNDED_SPARE_BYTES" "$scratch/output" \
         "$scratch/runner_errors" /dev/null "$kaland" map; then
    echo "$name: kaland $bounded_failure"
    exit 1
  fi
  runner_status=$bounded_status
  refused=0
  first_byte=
  IFS= read -r -N 1 first_byte <"$scratch/output"
  if [[ $runner_status == 255 && $first_byte != $'\n' ]]; then
    refused=1
  fi
  if ! bounded_run "$seconds" "$BOUNDED_SPARE_BYTES" "$BOUNDED_SPARE_BYTES" /dev/null \
         "$scratch/errors" /dev/null "$checker" --quiet map; then
    echo "$name: kaland-check $bounded_failure"
    exit 1
  fi
  checker_status=$bounded_status
  cd "$scratch"
  checked=$((checked + 1))
  if [[ $checker_status != "$refused" ]]; then
    echo "$name: runner refuses=$refused, kaland-check exit=$checker_status"
    failed=$((failed + 1))
  elif ((refused)) && [[ -s $scratch/output ]]; then
    message=$(refusal_message "$scratch/output")
    if [[ $message == *$'\n'* ]]; then
      echo "$name: the runner refused the map with more than one line:"
      head -c 8192 "$scratch/output" | cat -A
      failed=$((failed + 1))
    elif ! grep -aqF -- "\"$message\"" "$scratch/errors"; then
      echo "$name: kaland-check does not quote the runner's message \"$message\"; it wrote:"
      head -c 8192 "$scratch/errors"
      failed=$((failed + 1))
    elif [[ $message != "Nincs helyiseg" ]] && ! grep -aqE '^map:[0-9]+: error: ' "$scratch/errors"; then
      # The runner names no line; the checker always does, but for a file
      # with no room at all.
      echo "$name: kaland-check's error for \"$message\" carries no line:"
      head -c 8192 "$scratch/errors"
      failed=$((failed + 1))
    fi
  fi
done
echo "$((checked - failed)) passed, $failed failed"
[[ $failed == 0 && $checked -gt 0 ]]
