#!/usr/bin/env bash
# kaland-check --bless writes what kaland writes: over every end-to-end case
# that plays one map file, SCRIPT.expected (the case's input as the script)
# must hold, before its status line, exactly the bytes `kaland MAP < SCRIPT`
# writes on standard output, and that line the status it exits with.
#   bless_matches_runner.sh KALAND KALAND_CHECK E2E_CASES_DIR
# Cases that generate their maps (hundreds of megabytes) are left out. Each
# run is bounded like an end-to-end case and keeps at most 4 MB of a stream.
set -u
. "$(dirname "$(realpath "$0")")/../bounded_run.sh"
kaland=$(realpath "$1")
checker=$(realpath "$2")
cases=$(realpath "$3")
scratch=
trap '[[ -z $scratch ]] || rm -rf "$scratch"' EXIT
trap 'bounded_stop; exit 1' HUP INT TERM
make_scratch || exit 1
status_line='^-- exit status ([0-9]+)(, no newline at end of output)? --$'

checked=0
failed=0
fail() {
  echo "$name: $*"
  failed=$((failed + 1))
}
for case_dir in "$cases"/*/; do
  name=$(basename "$case_dir")
  [[ -f $case_dir/generate ]] && continue
  map=map
  if [[ -f $case_dir/args ]]; then
    mapfile -t args <"$case_dir/args"
    ((${#args[@]} == 1)) || continue
    map=${args[0]}
  fi
  [[ $map != -* && -f $case_dir/$map && ! -d $case_dir/$map ]] || continue
  rm -rf "$scratch/work"
  mkdir "$scratch/work"
  cp -L "$case_dir/$map" "$scratch/work/$map"
  script=$scratch/work/script.keys
  if [[ -f $case_dir/input ]]; then cp "$case_dir/input" "$script"; else : >"$script"; fi
  seconds=20
  [[ -f $case_dir/timeout ]] && seconds=$(tr -d '[:space:]' <"$case_dir/timeout")

  cd "$scratch/work"
  if ! bounded_run "$seconds" "$BOUNDED_SPARE_BYTES" "$BOUNDED_SPARE_BYTES" "$scratch/runner" \
         /dev/null "$script" "$kaland" "$map"; then
    fail "kaland $bounded_failure"
    continue
  fi
  runner_status=$bounded_status
  if ! bounded_run "$seconds" "$BOUNDED_SPARE_BYTES" "$BOUNDED_SPARE_BYTES" /dev/null \
         "$scratch/errors" /dev/null "$checker" --quiet --bless "$map" script.keys; then
    fail "kaland-check $bounded_failure"
    continue
  fi
  cd "$scratch"
  checked=$((checked + 1))
  expected=$scratch/work/script.keys.expected
  if [[ ! -f $expected ]]; then
    fail "kaland-check --bless wrote nothing (status $bounded_status): $(head -c 2000 "$scratch/errors")"
    continue
  fi
  last=$(tail -n 1 "$expected")
  if [[ $(tail -c 1 "$expected" | od -An -c | tr -d ' ') != '\n' || ! $last =~ $status_line ]]; then
    fail "the last line of the transcript is not its status line: $last"
    continue
  fi
  size=$(stat -c %s "$expected")
  output_size=$((size - $(tail -n 1 "$expected" | wc -c)))
  [[ -n ${BASH_REMATCH[2]} ]] && output_size=$((output_size - 1))
  head -c "$output_size" "$expected" >"$scratch/output"
  if ! cmp -s "$scratch/output" "$scratch/runner"; then
    fail "the transcript differs from what kaland writes (transcript, then kaland):"
    head -c 2000 "$scratch/output" | cat -A
    echo "<<<"
    head -c 2000 "$scratch/runner" | cat -A
    echo "<<<"
  elif [[ ${BASH_REMATCH[1]} != "$runner_status" ]]; then
    fail "the transcript says exit status ${BASH_REMATCH[1]}, kaland exits with $runner_status"
  elif [[ -n ${BASH_REMATCH[2]} && $(tail -c 1 "$scratch/runner" | od -An -c | tr -d ' ') == '\n' ]]; then
    fail "the transcript says the output has no newline at its end, but it has"
  fi
done
echo "$((checked - failed)) passed, $failed failed"
[[ $failed == 0 && $checked -gt 0 ]]
