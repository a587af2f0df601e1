#!/usr/bin/env bash
# kaland.exe in a real console: Wine's, on a terminal that tmux runs. Two
# maps are played one after the other in one console, whose code page is 437
# (Wine's for an English locale): the UTF-8 map must show its accents (the
# console is switched to UTF-8), and the Latin-2 map after it must show in
# code page 437 again (the console was switched back). Each room must be on
# the screen while kaland waits for the closing Enter (output reaches the
# console before each read).
#   console_code_page.sh KALAND_EXE
set -u
here=$(dirname "$(realpath "$0")")
scratch=$(mktemp -d)
socket=$scratch/tmux
trap 'tmux -S "$socket" kill-server 2>/dev/null; rm -rf "$scratch"' EXIT
cp "$1" "$here/console/utf8.map" "$here/console/latin2.map" "$scratch/"

# Waits until the screen shows `count` closing prompts; false after 30 s.
screen() { tmux -S "$socket" capture-pane -p -t play | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}'; }
wait_for_prompts() {
  local count=$1 tries
  for ((tries = 0; tries < 300; tries++)); do
    (( $(screen | grep -c 'Nyomj <Enter>-t a kilepeshez!') >= count )) && return 0
    sleep 0.1
  done
  echo "the screen never showed prompt $count:"
  screen
  return 1
}

export LANG=C.UTF-8 LC_ALL=C.UTF-8
tmux -S "$socket" new-session -d -s play -x 80 -y 20 -c "$scratch" \
  "wine cmd /c 'kaland.exe utf8.map & kaland.exe latin2.map'; echo finished; sleep 60"
wait_for_prompts 1 || exit 1
tmux -S "$socket" send-keys -t play Enter
wait_for_prompts 2 || exit 1
tmux -S "$socket" send-keys -t play Enter
for ((tries = 0; tries < 300; tries++)); do
  screen | grep -q '^finished$' && break
  sleep 0.1
done
if ! diff <(screen) "$here/console/screen"; then
  echo "the console showed the above instead of tests/windows/console/screen"
  exit 1
fi
echo "UTF-8 shown in a code page 437 console, and the code page put back"
