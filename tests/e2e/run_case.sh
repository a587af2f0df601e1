#!/usr/bin/env bash
# Runs one end-to-end case through a real executable and compares its
# standard output and standard error byte for byte, and its exit status.
#
#   run_case.sh [--valgrind] KALAND CASE_DIR
#
# A case is a folder:
#   args    the command-line arguments, one per line (default: "map");
#           an empty file means no argument at all
#   input   standard input (default: empty)
#   output  expected standard output (default: empty)
#   errors  expected standard error (default: empty)
#   status  expected exit status (default: 0)
#   generate  a bash script run in the scratch folder first, to make maps
#           too large to keep in the repository
#   timeout the time bound of the run in whole seconds (default: 20)
#   written a folder of files the run must leave in its folder: each must be
#           there afterwards with exactly these bytes (kaland-check --bless)
# Every other file or folder in it (the map, usually "map"; links are followed)
# is copied into an empty scratch folder, the current directory of the run.
# With --valgrind the executable runs under valgrind's memcheck: any invalid
# access, or a leak after the run, fails the case (its report is shown).
#
# A run that goes over its time bound, or writes more than 4 MB past the
# expected output (or errors), fails at once; the scratch folder goes away
# however the script ends.
set -u
. "$(dirname "$(realpath "$0")")/../bounded_run.sh"
valgrind=0
if [[ ${1:-} == --valgrind ]]; then
  valgrind=1
  shift
fi
kaland=$(realpath "$1")
case_dir=$(realpath "$2")

scratch=
trap '[[ -z $scratch ]] || rm -rf "$scratch"' EXIT
trap 'bounded_stop; exit 1' HUP INT TERM
make_scratch || exit 1
mkdir "$scratch/work" "$scratch/result"
wrapper=()
if ((valgrind)); then
  wrapper=(valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect,possible
           --log-file="$scratch/result/valgrind")
fi
for item in "$case_dir"/*; do
  case $(basename "$item") in
    args|input|output|errors|status|generate|timeout|written) ;;
    *) cp -RL "$item" "$scratch/work/" ;;
  esac
done

if [[ -f $case_dir/generate ]]; then
  (cd "$scratch/work" && timeout -k 2 60 bash "$case_dir/generate") || { echo "generate failed"; exit 1; }
fi

args=(map)
[[ -f $case_dir/args ]] && mapfile -t args <"$case_dir/args"
input=/dev/null
[[ -f $case_dir/input ]] && input=$case_dir/input
expected_output=/dev/null
[[ -f $case_dir/output ]] && expected_output=$case_dir/output
expected_errors=/dev/null
[[ -f $case_dir/errors ]] && expected_errors=$case_dir/errors
expected_status=0
[[ -f $case_dir/status ]] && expected_status=$(tr -d '[:space:]' <"$case_dir/status")

seconds=20
[[ -f $case_dir/timeout ]] && seconds=$(tr -d '[:space:]' <"$case_dir/timeout")
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "timeout must be whole seconds, not: $seconds"; exit 1; }
((valgrind)) && seconds=$((seconds * 5))  # memcheck runs a program several times slower
expected_sizes=($(stat -L -c %s "$expected_output" "$expected_errors"))
output_cap=$((expected_sizes[0] + BOUNDED_SPARE_BYTES))
errors_cap=$((expected_sizes[1] + BOUNDED_SPARE_BYTES))

cd "$scratch/work"
if ! bounded_run "$seconds" "$output_cap" "$errors_cap" "$scratch/result/stdout" \
       "$scratch/result/stderr" "$input" "${wrapper[@]}" "$kaland" "${args[@]}"; then
  echo "$(basename "$case_dir"): $bounded_failure"
  exit 1
fi
status=$bounded_status

failed=0
# Shows the start of a file with control bytes visible; a test log need not
# hold megabytes of a faulty run.
show() {
  head -c 8192 "$1" | cat -A
  (($(stat -L -c %s "$1") > 8192)) && echo "[... only the first 8192 bytes shown]"
  echo "<<<"
}
# Compares a stream byte for byte, showing both sides when they differ.
compare() {
  local what=$1 expected=$2 actual=$3
  cmp -s "$expected" "$actual" && return
  echo "$what differs (expected, then actual):"
  show "$expected"
  show "$actual"
  failed=1
}
compare "standard output" "$expected_output" "$scratch/result/stdout"
compare "standard error" "$expected_errors" "$scratch/result/stderr"
if [[ $status != "$expected_status" ]]; then
  echo "exit status $status, expected $expected_status"
  failed=1
fi
if [[ -d $case_dir/written ]]; then
  while IFS= read -r -d '' file; do
    path=${file#"$case_dir/written/"}
    if [[ ! -f $scratch/work/$path ]]; then
      echo "the run did not write $path"
      failed=1
    else
      compare "$path" "$file" "$scratch/work/$path"
    fi
  done < <(find "$case_dir/written" -type f -print0 | sort -z)
fi
if [[ -s $scratch/result/valgrind ]]; then
  echo "valgrind reports:"
  cat "$scratch/result/valgrind"
  failed=1
fi
exit $failed
