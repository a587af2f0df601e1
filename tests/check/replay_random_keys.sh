#!/usr/bin/env bash
# The lines kaland-check --random writes for the first game a defect stopped
# replay through the real runner to that defect. For each case folder whose
# args hold --random, kaland-check runs with those args in a scratch copy of
# the folder (as run_case.sh runs it); when it reports such a game, with
#   MAP: ...stopped by a defect...; the lines of the first, game G, are in FILE
#   FILE:LINE: error: "MESSAGE": ...
# then FILE must hold LINE lines, and `kaland MAP < FILE` must exit with
# status 255 after writing "Error: MESSAGE" as its last line.
#   replay_random_keys.sh KALAND KALAND_CHECK CASES_DIR
# Every run is bounded like an end-to-end case: 20 s and 4 MB of output.
set -u
. "$(dirname "$(realpath "$0")")/../bounded_run.sh"
kaland=$(realpath "$1")
checker=$(realpath "$2")
cases=$(realpath "$3")
scratch=
trap '[[ -z $scratch ]] || rm -rf "$scratch"' EXIT
trap 'bounded_stop; exit 1' HUP INT TERM
make_scratch || exit 1

# Runs COMMAND... in the work folder with INPUT; its output goes to OUTPUT
# and ERRORS. Returns its status; a run over its bounds fails the script.
run_bounded() {  # run_bounded INPUT OUTPUT ERRORS COMMAND...
  cd "$scratch/work"
  if ! bounded_run 20 "$BOUNDED_SPARE_BYTES" "$BOUNDED_SPARE_BYTES" "$2" "$3" "$1" "${@:4}"; then
    echo "$case_name: $(basename "$4") $bounded_failure"
    exit 1
  fi
  cd "$scratch"
  return "$bounded_status"
}

checked=0
failed=0
fail() {
  echo "$case_name: $*"
  failed=$((failed + 1))
}
for case_dir in "$cases"/*/; do
  case_name=$(basename "$case_dir")
  [[ -f $case_dir/args ]] && grep -qx -- '--random\(=.*\)\?' "$case_dir/args" || continue
  mapfile -t args <"$case_dir/args"
  rm -rf "$scratch/work"
  mkdir "$scratch/work"
  for item in "$case_dir"*; do
    case $(basename "$item") in
      args|input|output|errors|status|generate|written) ;;
      *) cp -RL "$item" "$scratch/work/" ;;
    esac
  done
  run_bounded /dev/null "$scratch/printed" "$scratch/errors" "$checker" "${args[@]}"
  report='^(.*): stopped by a defect of the map: .*; the lines of the first, game [0-9]+, are in (.*)$'
  line=$(grep -aE "$report" "$scratch/printed") || continue
  [[ $line =~ $report ]]
  map=${BASH_REMATCH[1]} file=${BASH_REMATCH[2]}
  checked=$((checked + 1))
  error=$(grep -aF -- "$file" "$scratch/errors" | head -n 1)
  error_form='^(:([0-9]+))?: error: "([^"]*)"'
  if [[ $error != "$file"* || ! ${error#"$file"} =~ $error_form ]]; then
    fail "no error line for $file: $error"
    continue
  fi
  lines=${BASH_REMATCH[2]:-0} message=${BASH_REMATCH[3]}
  if [[ $(wc -l <"$scratch/work/$file") != "$lines" ]]; then
    fail "$file does not hold the $lines lines the error names"
    continue
  fi
  run_bounded "$scratch/work/$file" "$scratch/replayed" /dev/null "$kaland" "$map"
  status=$?
  last=$(tail -n 1 "$scratch/replayed")
  if [[ $status != 255 || $last != "Error: $message" ]]; then
    fail "kaland $map < $file exits with $status after: $last"
  fi
done
echo "$((checked - failed)) passed, $failed failed"
[[ $failed == 0 && $checked -gt 0 ]]
