#!/usr/bin/env bash
# Over every map of the end-to-end suite, kaland-check must exit with 1
# exactly for the maps the runner refuses while loading, and with 0 for the
# others. The runner refuses a map while loading when it ends with status 255
# before showing any room (a shown room starts with a blank line).
#   consistency.sh KALAND KALAND_CHECK E2E_CASES_DIR
set -u
kaland=$(realpath "$1")
checker=$(realpath "$2")
cases=$(realpath "$3")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

checked=0
failed=0
for case_dir in "$cases"/*/; do
  rm -rf "$scratch/work"
  mkdir "$scratch/work"
  [[ -f $case_dir/generate ]] && (cd "$scratch/work" && bash "$case_dir/generate")
  for candidate in map zelmor.map; do
    [[ -f $case_dir/$candidate ]] && cp -L "$case_dir/$candidate" "$scratch/work/map"
  done
  [[ -f $scratch/work/map ]] || continue

  (cd "$scratch/work" && "$kaland" map </dev/null >"$scratch/output")
  runner_status=$?
  refused=0
  if [[ $runner_status == 255 && $(head -c 1 "$scratch/output" | od -An -c | tr -d ' ') != '\n' ]]; then
    refused=1
  fi
  (cd "$scratch/work" && "$checker" --quiet map 2>/dev/null)
  checker_status=$?
  checked=$((checked + 1))
  if [[ $checker_status != "$refused" ]]; then
    echo "$(basename "$case_dir"): runner refuses=$refused, kaland-check exit=$checker_status"
    failed=$((failed + 1))
  fi
done
echo "$((checked - failed)) passed, $failed failed"
[[ $failed == 0 && $checked -gt 0 ]]
