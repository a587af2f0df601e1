#!/usr/bin/env bash
# Plays every route that kaland-check writes in the checker's cases through
# the real runner, to prove that each lands where kaland-check says it does.
#   play_routes.sh KALAND KALAND_CHECK CASES_DIR
# For each case folder whose args hold "--routes DIR", kaland-check runs with
# those args in a scratch copy of the folder (as run_case.sh runs it). Then,
# for each line "MAP:LINE: ending N: K lines: KEYS" (or "room N") that it
# printed:
#  - DIR/ending-N.keys (room-N.keys) holds exactly KEYS, one a line: Enter is
#    an empty line, ^A a control byte, 0xE9 a byte above 0x7F;
#  - kaland MAP, reading that file, shows no defect, and after the file's
#    last line it shows room N: as the last room of the game for a room that
#    waits or ends, somewhere after that line for a passage, which moves on.
# Room N's text is taken from the map, which must write its directives
# plainly (one per line, lower case, room text straight after #helyiseg).
# A case folder may hold routes.expected/, whose files DIR must match exactly.
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
prompt='Nyomj <Enter>-t a kilepeshez!'

failed=0
failures=0
fail() {  # reports a fault of the route being checked; counts the route once
  echo "$case_name: $*"
  ((failed)) || failures=$((failures + 1))
  failed=1
}

# The bytes one printed key stands for, with its newline.
key_bytes() {
  local token=$1
  if [[ $token == Enter ]]; then
    printf '\n'
  elif [[ $token == '^?' ]]; then
    printf '\177\n'
  elif [[ ${#token} == 2 && ${token:0:1} == '^' ]]; then
    printf "\\$(printf '%03o' $(($(printf '%d' "'${token:1:1}") - 64)))\n"
  elif [[ $token =~ ^0x[0-9A-F]{2}$ ]]; then
    printf "\\$(printf '%03o' $((token)))\n"
  else
    printf '%s\n' "$token"
  fi
}

# Room N's block as the runner shows it, and its kind (N, A, E or G).
room_block() {
  LC_ALL=C awk -v room="$2" '
    function first_word(line,   word) { word = line; sub(/^[ \t\r\v\f]+/, "", word); sub(/[ \t\r\v\f].*$/, "", word); return tolower(word) }
    {
      word = first_word($0)
      if (word == "#helyiseg") { split($0, fields, /[ \t]+/); inside = (fields[2] + 0 == room); text = inside; next }
      if (!inside) next
      if (word == "#irany") { text = 0; split($0, fields, /[ \t]+/); kind = fields[2]; next }
      if (word == "#gameover") { text = 0; kind = "G"; next }
      if (text && word != "" && substr(word, 1, 1) != "#") block = block $0 "\n"
    }
    END { printf "%s", (kind == "" ? "N" : kind) > "/dev/stderr"; printf "\n%s\n", block }' "$1"
}

# Runs COMMAND... in the work folder with INPUT, its output to OUTPUT;
# returns its status. A run over its bounds fails the whole script.
run_bounded() {  # run_bounded INPUT OUTPUT COMMAND...
  local input=$1 output=$2
  shift 2
  cd "$scratch/work"
  if ! bounded_run 20 "$BOUNDED_SPARE_BYTES" "$BOUNDED_SPARE_BYTES" "$output" /dev/null "$input" "$@"; then
    echo "$case_name: $(basename "$1") $bounded_failure"
    exit 1
  fi
  cd "$scratch"
  return "$bounded_status"
}

play() {  # play MAP KEYS OUTPUT: runs the runner, keeps its output, returns its status
  run_bounded "$2" "$3" "$kaland" "$1"
}

checked=0
for case_dir in "$cases"/*/; do
  case_name=$(basename "$case_dir")
  [[ -f $case_dir/args ]] || continue
  mapfile -t args <"$case_dir/args"
  routes_dir=
  for ((i = 0; i + 1 < ${#args[@]}; i++)); do
    [[ ${args[i]} == --routes ]] && routes_dir=${args[i + 1]}
  done
  [[ -n $routes_dir ]] || continue

  rm -rf "$scratch/work"
  mkdir "$scratch/work"
  for item in "$case_dir"*; do
    case $(basename "$item") in
      args|input|output|errors|status|generate|written|routes.expected) ;;
      *) cp -RL "$item" "$scratch/work/" ;;
    esac
  done
  run_bounded /dev/null "$scratch/printed" "$checker" "${args[@]}"

  if [[ -d $case_dir/routes.expected ]]; then
    checked=$((checked + 1))
    failed=0
    diff -r "$case_dir/routes.expected" "$scratch/work/$routes_dir" >/dev/null ||
      fail "the route files differ from routes.expected/"
  fi

  pattern='^(.*):[0-9]+: (ending|room) ([0-9]+): ([0-9]+) lines?(: (.*))?$'
  while IFS= read -r line; do
    [[ $line =~ $pattern ]] || continue
    map=${BASH_REMATCH[1]} noun=${BASH_REMATCH[2]} room=${BASH_REMATCH[3]}
    count=${BASH_REMATCH[4]} keys=${BASH_REMATCH[6]}
    file=$scratch/work/$routes_dir/$noun-$room.keys
    checked=$((checked + 1))
    failed=0
    : >"$scratch/expected.keys"
    read -r -a tokens <<<"$keys"
    for token in "${tokens[@]}"; do key_bytes "$token" >>"$scratch/expected.keys"; done
    if ((${#tokens[@]} != count)); then
      fail "$noun $room: $count lines announced, ${#tokens[@]} keys printed"
    fi
    if ! cmp -s "$scratch/expected.keys" "$file"; then
      fail "$noun $room: $file does not hold the keys printed"
      continue
    fi

    block=$(room_block "$scratch/work/$map" "$room" 2>"$scratch/kind"; echo .)
    block=${block%.}
    kind=$(cat "$scratch/kind")
    play "$map" "$file" "$scratch/full"
    status=$?
    full=$(cat "$scratch/full"; echo .)
    full=${full%.}
    before=$prompt
    if ((count > 0)); then
      head -n $((count - 1)) "$file" >"$scratch/before.keys"
      play "$map" "$scratch/before.keys" "$scratch/before"
      before=$(cat "$scratch/before"; echo .)
      before=${before%.}
    fi
    if [[ $status != 0 || $full != *"$prompt" || $before != *"$prompt" ]]; then
      fail "$noun $room: kaland did not end its game normally (status $status)"
      continue
    fi
    full=${full%"$prompt"}
    before=${before%"$prompt"}
    if [[ $full != "$before"* ]]; then
      fail "$noun $room: the route without its last line is not where the route went"
      continue
    fi
    after=${full#"$before"}
    if [[ $kind == A ]]; then
      [[ $after == *"$block"* ]] || fail "$noun $room: the passage is not shown after the last line"
    else
      [[ $after == *"$block" ]] || fail "$noun $room: the last room shown is not room $room"
    fi
  done <"$scratch/printed"
done
echo "$((checked - failures)) passed, $failures failed"
[[ $failures == 0 && $checked -gt 0 ]]
