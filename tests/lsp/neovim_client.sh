#!/usr/bin/env bash
# A language client we did not write: Neovim's, headless, with the snippet
# editors/neovim/kaland.lua, against kaland-check --lsp. Compares what it
# reads back with neovim/expected.
#
#   neovim_client.sh KALAND_CHECK SOURCE_DIR
#
# Without nvim the test is skipped (status 77), unless
# KALAND_REQUIRE_EDITOR_TESTS=1, as .ci/run sets it.
set -u
. "$(dirname "$(realpath "$0")")/../bounded_run.sh"
kaland_check=$(realpath "$1")
source_dir=$(realpath "$2")
here=$source_dir/tests/lsp/neovim

if ! command -v nvim >/dev/null; then
  if [[ ${KALAND_REQUIRE_EDITOR_TESTS:-} == 1 ]]; then
    echo "FAILED: nvim not found (KALAND_REQUIRE_EDITOR_TESTS=1: the editor test must run)"
    exit 1
  fi
  echo "nvim not found: skipped (apt-get install neovim)"
  exit 77
fi

scratch=
trap '[[ -z $scratch ]] || rm -rf "$scratch"' EXIT
trap 'bounded_stop; exit 1' HUP INT TERM
make_scratch || exit 1
cp "$here/castle.map" "$scratch/"
cd "$scratch"
export KALAND_CHECK=$kaland_check KALAND_SNIPPET=$source_dir/editors/neovim/kaland.lua
export KALAND_RESULT=$scratch/result XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
export XDG_STATE_HOME=$scratch/state XDG_CACHE_HOME=$scratch/cache
if ! bounded_run 60 65536 65536 "$scratch/stdout" "$scratch/stderr" /dev/null \
       nvim --headless --clean -n -u NONE -c "luafile $here/client.lua"; then
  echo "nvim: $bounded_failure"
  exit 1
fi
if ! cmp -s "$here/expected" result; then
  echo "Neovim read back (expected, then actual):"
  cat "$here/expected"
  echo "<<<"
  cat result 2>/dev/null
  echo "<<< nvim's standard error:"
  head -c 4096 "$scratch/stderr"
  exit 1
fi
