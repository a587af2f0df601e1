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
# Every other file or folder in it (the map, usually "map"; links are followed)
# is copied into an empty scratch folder, the current directory of the run.
# With --valgrind the executable runs under valgrind's memcheck: any invalid
# access, or a leak after the run, fails the case (its report is shown).
set -u
valgrind=0
if [[ ${1:-} == --valgrind ]]; then
  valgrind=1
  shift
fi
kaland=$(realpath "$1")
case_dir=$(realpath "$2")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/work" "$scratch/result"
wrapper=()
if ((valgrind)); then
  wrapper=(valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect,possible
           --log-file="$scratch/result/valgrind")
fi
for item in "$case_dir"/*; do
  case $(basename "$item") in
    args|input|output|errors|status|generate) ;;
    *) cp -RL "$item" "$scratch/work/" ;;
  esac
done

if [[ -f $case_dir/generate ]]; then
  (cd "$scratch/work" && bash "$case_dir/generate") || { echo "generate failed"; exit 1; }
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

(cd "$scratch/work" && timeout 60 "${wrapper[@]}" "$kaland" "${args[@]}" \
   <"$input" >"$scratch/result/stdout" 2>"$scratch/result/stderr")
status=$?

failed=0
# Compares a stream byte for byte, showing both sides with control bytes visible.
compare() {
  local what=$1 expected=$2 actual=$3
  cmp -s "$expected" "$actual" && return
  echo "$what differs (expected, then actual):"
  cat -A "$expected"; echo "<<<"
  cat -A "$actual"; echo "<<<"
  failed=1
}
compare "standard output" "$expected_output" "$scratch/result/stdout"
compare "standard error" "$expected_errors" "$scratch/result/stderr"
if [[ $status != "$expected_status" ]]; then
  echo "exit status $status, expected $expected_status"
  failed=1
fi
if [[ -s $scratch/result/valgrind ]]; then
  echo "valgrind reports:"
  cat "$scratch/result/valgrind"
  failed=1
fi
exit $failed
