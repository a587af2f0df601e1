#!/usr/bin/env bash
# Every example in the README and the manual pages is the real output of a
# file kept in docs/examples, and this test keeps it so.
#
#   check_examples.sh KALAND KALAND_CHECK SOURCE_DIR DOCUMENT
#
# Example blocks are the indented code blocks of a Markdown document and the
# .EX/.EE blocks of a manual page, whose groff escapes (\- \e \\ \& \| \(aq
# \(dq) are undone first; any other escape fails the test.
#
# - A block right after a marker holds a map file, and must be exactly that
#   file of docs/examples:
#       <!-- example file: corridor.map -->        (Markdown)
#       .\" example file: corridor.map             (manual page)
# - A block whose first line starts with "$ " is a terminal session: each
#   "$ " line is a command, the lines up to the next one are what it shows
#   (standard output and standard error). The commands of a block run in
#   order, in a fresh copy of docs/examples, with the built kaland,
#   kaland-check and kaland-publish (the one beside KALAND, with a page
#   template) on the PATH and as ./build/..., and with /usr/share/kaland/
#   standing for what is installed there: the repository's zelmor.map,
#   zelmor.walkthrough and docs/examples.
#   A "$ kaland MAP" without redirection is a game at the keyboard: the
#   line after each room is what the player typed (an empty line for Enter),
#   and the example ends where the game waits for the next line.
# - Other blocks (build commands, synopses) are not output and are skipped.
#
# Trailing blank lines are not compared (Markdown drops them from a block),
# and each command runs for at most 10 seconds with its output capped.
set -u
kaland=$(realpath "$1")
checker=$(realpath "$2")
source_dir=$(realpath "$3")
document=$(realpath "$4")
examples=$source_dir/docs/examples
name=${document#"$source_dir"/}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/blocks" "$scratch/bin" "$scratch/build" "$scratch/share"
ln -s "$kaland" "$scratch/bin/kaland"
ln -s "$checker" "$scratch/bin/kaland-check"
ln -s "$kaland" "$scratch/build/kaland"
ln -s "$checker" "$scratch/build/kaland-check"
cp "$source_dir/zelmor.map" "$source_dir/zelmor.walkthrough" "$scratch/share/"
cp -R "$examples" "$scratch/share/examples"
# kaland-publish finds its template beside itself: a copy of the program,
# and a template made from web/player/page.html without scripts, which is all that
# publishing looks at.
if [[ -x $(dirname "$kaland")/kaland-publish ]]; then
  cp "$(dirname "$kaland")/kaland-publish" "$scratch/bin/kaland-publish"
  ln -s "$scratch/bin/kaland-publish" "$scratch/build/kaland-publish"
  : >"$scratch/empty"
  python3 "$source_dir/web/player/build_page.py" --template "$source_dir/web/player/page.html" --style "$scratch/empty" \
    --script "$scratch/empty" --map "$source_dir/zelmor.map" --output "$scratch/bin/kaland.html" ||
    { echo "cannot make a page template"; exit 1; }
fi
if ! command -v dot >/dev/null; then
  # Without Graphviz a picture command still checks the map; its output goes to a file anyway.
  printf '#!/bin/sh\ncat >/dev/null\n' >"$scratch/bin/dot"
  chmod +x "$scratch/bin/dot"
fi
export PATH=$scratch/bin:$PATH

EXIT_PROMPT='Nyomj <Enter>-t a kilepeshez!'
OUTPUT_CAP=200000

# Writes each block as blocks/NNN, with NNN.line (where it starts) and
# NNN.file (the marker's file name, when it has one).
extract_markdown() {
  awk -v out="$scratch/blocks" '
    function flush(   i, file) {
      while (n > 0 && lines[n] == "") n--
      if (n > 0) {
        file = sprintf("%s/%03d", out, ++count)
        for (i = 1; i <= n; i++) print lines[i] > file
        close(file)
        print start > (file ".line"); close(file ".line")
        if (marker != "") { print marker > (file ".file"); close(file ".file") }
      }
      n = 0; marker = ""
    }
    /^<!-- example file: .* -->$/ {
      pending = $0; sub(/^<!-- example file: /, "", pending); sub(/ -->$/, "", pending); next
    }
    n > 0 && /^    / { lines[++n] = substr($0, 5); next }
    n > 0 && /^$/ { lines[++n] = ""; next }
    n > 0 { flush() }
    /^    / && previous == "" { n = 1; lines[1] = substr($0, 5); start = NR; marker = pending; pending = ""; next }
    { previous = $0 }
    END { flush() }
  ' "$document"
}

extract_man() {
  awk -v out="$scratch/blocks" '
    /^\.\\" example file: / { pending = $0; sub(/^\.\\" example file: /, "", pending); next }
    /^\.EX/ { inside = 1; file = sprintf("%s/%03d", out, ++count); printf "" > file
              print NR + 1 > (file ".line"); close(file ".line")
              if (pending != "") { print pending > (file ".file"); close(file ".file") }
              pending = ""; next }
    /^\.EE/ { inside = 0; close(file); next }
    inside { print > file }
  ' "$document"
}

# Undoes the groff escapes of one line of a manual page's example.
unescape_line() {
  local line=$1 protected=$'\001'
  line=${line//\\e/$protected}
  line=${line//\\\\/$protected}
  line=${line//\\-/-}
  line=${line//\\&/}
  line=${line//\\|/}
  line=${line//\\(aq/\'}
  line=${line//\\(dq/\"}
  if [[ $line == *\\* ]]; then
    echo "unknown groff escape in: $1" >&2
    return 1
  fi
  printf '%s\n' "${line//$protected/\\}"
}

unescape_block() {
  local block=$1 line
  : >"$block.text"
  while IFS= read -r line; do
    unescape_line "$line" >>"$block.text" || return 1
  done <"$block"
  mv "$block.text" "$block"
}

# Text with its trailing newlines replaced by exactly one.
normalized() {
  local text=$1
  while [[ $text == *$'\n' ]]; do text=${text%$'\n'}; done
  printf '%s\n' "$text"
}

# Runs kaland with `keys` (one per line) as its input and prints its output.
run_game() {
  local -n game_keys=$1
  shift
  if ((${#game_keys[@]} == 0)); then
    timeout 10 kaland "$@" </dev/null | head -c "$OUTPUT_CAP"
  else
    printf '%s\n' "${game_keys[@]}" | timeout 10 kaland "$@" | head -c "$OUTPUT_CAP"
  fi
}

# Plays a game as at the keyboard against `expected` (what the terminal
# shows) and prints the transcript: the game's output with each line the
# player typed where the game read it. Run with the keys typed so far, the
# game shows what comes before its next read, then (the input having ended)
# the exit prompt; the prompt belongs to the transcript only where the
# example shows it, the end of the game or of the input.
play_session() {
  local expected=$1
  shift
  local keys=() transcript="" previous="" output rest key round prompted
  for ((round = 0; round <= 200; ++round)); do
    output=$(run_game keys "$@"; echo x)
    output=${output%x}
    prompted=0
    [[ $output == *"$EXIT_PROMPT" ]] && prompted=1
    output=${output%"$EXIT_PROMPT"}
    if [[ $output != "$previous"* ]]; then
      printf '%s' "$transcript(the game's output no longer follows the keys typed so far)"
      return
    fi
    transcript+=${output#"$previous"}
    previous=$output
    rest=${expected#"$transcript"}
    if ((prompted)) && [[ $expected == "$transcript"* && $rest == "$EXIT_PROMPT"* ]]; then
      transcript+=$EXIT_PROMPT
      rest=${rest#"$EXIT_PROMPT"}
    fi
    if [[ $(normalized "$transcript") == "$(normalized "$expected")" || $expected != "$transcript"* ]]; then
      break
    fi
    key=${rest%%$'\n'*}
    transcript+=$key$'\n'
    keys+=("$key")
  done
  printf '%s' "$transcript"
}

is_keyboard_game() {
  local command=$1
  [[ $command =~ ^(\./build/)?kaland\  && $command != *[\<\>\|]* ]]
}

# Runs the session of a block and prints what a terminal would show.
run_session() {
  local block=$1 work=$scratch/work command expected output
  rm -rf "$work"
  cp -R "$examples" "$work"
  ln -s "$scratch/build" "$work/build"
  local -a lines
  mapfile -t lines <"$block"
  local i=0
  while ((i < ${#lines[@]})); do
    command=${lines[i]#\$ }
    expected=""
    for ((i = i + 1; i < ${#lines[@]}; ++i)); do
      [[ ${lines[i]} == '$ '* ]] && break
      expected+=${lines[i]}$'\n'
    done
    command=${command//\/usr\/share\/kaland\//$scratch/share/}
    if is_keyboard_game "$command"; then
      read -ra words <<<"$command"
      output=$(cd "$work" && play_session "$expected" "${words[@]:1}"; echo x)
    else
      output=$(cd "$work" && timeout 10 bash -c "$command" </dev/null 2>&1 | head -c "$OUTPUT_CAP"; echo x)
    fi
    output=${output%x}
    output=${output//$scratch\/share\//\/usr\/share\/kaland\/}
    command=${command//$scratch\/share\//\/usr\/share\/kaland\/}
    printf '$ %s\n%s' "$command" "$output"
    [[ -n $output && $output != *$'\n' ]] && echo
  done
  return 0
}

case $document in
  *.md) extract_markdown ;;
  *) extract_man ;;
esac

checked=0
failed=0
for block in "$scratch"/blocks/[0-9][0-9][0-9]; do
  [[ -f $block ]] || continue
  where="$name:$(cat "$block.line")"
  if [[ $document != *.md ]] && ! unescape_block "$block"; then
    echo "$where: cannot read the example"
    failed=$((failed + 1))
    continue
  fi
  if [[ -f $block.file ]]; then
    file=$(cat "$block.file")
    actual=$examples/$file
    [[ -f $actual ]] || actual=/dev/null
    if ! diff -u --label "$file" --label "$where" "$actual" "$block"; then
      failed=$((failed + 1))
    fi
  elif [[ $(head -c 2 "$block") == '$ ' ]]; then
    normalized "$(run_session "$block")" >"$block.actual"
    normalized "$(cat "$block")" >"$block.expected"
    if ! diff -u --label "$where (in the document)" --label "real output" "$block.expected" "$block.actual"; then
      failed=$((failed + 1))
    fi
  else
    continue
  fi
  checked=$((checked + 1))
done
echo "$name: $((checked - failed)) of $checked examples hold"
[[ $failed == 0 && $checked -gt 0 ]]
