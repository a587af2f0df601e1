#!/usr/bin/env bash
# What kaland-publish and kaland-check write to, by what the path is: a
# symbolic link's target is replaced beside it and the link stays a link, a
# named pipe's reader gets the bytes and the pipe stays, "-" is standard
# output, a folder or a socket is refused with nothing changed, and a write
# that fails (standard output or a device on a full disk, /dev/full) gives a
# non-zero status.
#   output_paths.sh BUILD_DIR
# No run may replace a system file: /dev/full is named as an output file only
# once the build has shown, on a pipe (and, as root, on a device node) of its
# own, that it writes such a path directly.
set -u
build=$(realpath "$1")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
# Runs a command bounded in time, keeping at most 1 MB of its output.
bounded() {
  timeout -k 5 20 "$@" 2>&1 | head -c 1000000
  return "${PIPESTATUS[0]}"
}
# The same with standard output to a file of the caller's, errors shown.
bounded_to() {
  local out=$1
  shift
  timeout -k 5 20 "$@" 2>"$scratch/errors" >"$out"
  local status=$?
  head -c 100000 "$scratch/errors"
  return $status
}

mkdir "$scratch/bin" "$scratch/w"
cp "$build/kaland-publish" "$scratch/bin/"
publish=$scratch/bin/kaland-publish
check=$build/kaland-check
: >"$scratch/empty"
python3 "$source_dir/web/player/build_page.py" --template "$source_dir/web/player/page.html" --style "$scratch/empty" \
  --script "$scratch/empty" --map "$source_dir/zelmor.map" --output "$scratch/bin/kaland.html" ||
  { echo "cannot make a template"; exit 1; }
cd "$scratch/w" || exit 1
printf '#ifid 3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F64\n#helyiseg 1\nA [n]orth wall.\n#irany N 2 n\n#helyiseg 2\nEnd.\n#gameover\n' \
  >game.map
printf 'n\n\n' >walk.keys
bounded "$publish" game.map -o regular.html >/dev/null || fail "a regular page"

# A symbolic link, a chain of them and one to a file not there yet: each
# target is written, with the permissions it had, and the links stay links.
mkdir web
echo old >web/game.html
chmod 640 web/game.html
ln -s web/game.html link.html
ln -s link.html chain.html
ln -s web/new.html dangling.html
for link in link.html chain.html dangling.html; do
  output=$(bounded "$publish" game.map -o "$link")
  [[ $? == 0 && $output == "wrote $link" && -L $link ]] || fail "$link: $output"
done
cmp -s regular.html web/game.html && cmp -s regular.html web/new.html || fail "a link's target was not written"
[[ $(stat -c %a web/game.html) == 640 && $(find . -name '*.tmp*' | wc -l) == 0 ]] ||
  fail "the target lost its permissions, or a temporary file was left"
mkdir kept
echo old >kept/walk.expected
ln -s kept/walk.expected walk.keys.expected
output=$(bounded "$check" --bless game.map walk.keys)
[[ $? == 0 && -L walk.keys.expected ]] && grep -q -- '-- exit status' kept/walk.expected || fail "--bless through a link: $output"

# A named pipe: its reader gets the page. A faulty build that renames over it
# leaves the reader waiting, until its bound.
mkfifo pipe.html
timeout -k 2 20 cat pipe.html >from-pipe.html &
reader=$!
output=$(bounded "$publish" game.map -o pipe.html)
status=$?
wait "$reader"
pipe_written=0
if [[ $status == 0 && -p pipe.html ]] && cmp -s regular.html from-pipe.html; then
  pipe_written=1
else
  fail "a named pipe: status $status, $output"
fi

# "-" is standard output, and what was written is told on standard error.
output=$(bounded_to page.out "$publish" game.map -o -)
[[ $? == 0 && -z $output ]] && cmp -s regular.html page.out || fail "-o -: $output"
output=$(bounded_to zip.out "$publish" game.map --zip - -o also.html)
[[ $? == 0 && $output == "wrote also.html" ]] && python3 -m zipfile -t zip.out >/dev/null || fail "--zip -: $output"
output=$(bounded "$publish" game.map --zip - -o -)
[[ $? == 2 && $output == *"name two files"* ]] || fail "page and zip both on standard output: $output"

# A folder and a socket are refused, and stay as they were.
mkdir folder.html
output=$(bounded "$publish" game.map -o folder.html)
[[ $? == 2 && $output == *"Is a directory"* && -d folder.html && -z $(ls folder.html) ]] || fail "a folder: $output"
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' socket.html
output=$(bounded "$publish" game.map -o socket.html)
[[ $? == 2 && -S socket.html ]] || fail "a socket: $output"

# A full disk. Standard output is opened by the shell, so these are safe
# whatever the build does.
if [[ -c /dev/full ]]; then
  for command in "$check --help" "$check --version" "$check --dot game.map" "$publish --help" \
                 "$publish game.map -o quiet.html" "$build/kaland game.map"; do
    # shellcheck disable=SC2086
    timeout -k 2 20 $command </dev/null >/dev/full 2>/dev/null
    status=$?
    [[ $status != 0 && $status != 124 ]] || fail "$command >/dev/full: status $status"
  done
  # /dev/full as an output file: only once the build has written a pipe
  # directly, and, as root (who could replace it), a device node of its own.
  safe=$pipe_written
  if ((safe && EUID == 0)); then
    safe=0
    if mknod full c 1 7 2>/dev/null; then
      output=$(bounded "$publish" game.map -o full)
      [[ $? == 2 && -c full ]] && safe=1 || fail "a device node: $output"
    else
      echo "no device node can be made here: /dev/full is not named as an output file"
    fi
  fi
  if ((safe)); then
    output=$(bounded "$publish" game.map -o /dev/full)
    [[ $? == 2 && $output == *"No space left on device"* && -c /dev/full ]] || fail "-o /dev/full: $output"
  fi
fi

((failed == 0)) && echo "every kind of output path was written as it should be"
exit $failed
