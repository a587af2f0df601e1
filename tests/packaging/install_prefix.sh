#!/usr/bin/env bash
# Installs a build folder into an empty prefix and checks every file lands
# where a Unix system looks for it, and that the installed runner plays the
# installed adventure with its walkthrough to the end.
#   install_prefix.sh BUILD_DIR
set -eu
build=$(realpath "$1")
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/kaland bin/kaland-check share/man/man1/kaland.1 share/man/man1/kaland-check.1 \
            share/man/man5/kaland-map.5 share/kaland/zelmor.map share/kaland/zelmor.walkthrough \
            share/kaland/examples/corridor.map share/kaland/examples/corridor.keys; do
  [[ -f $prefix/$file ]] || { echo "not installed: $file"; exit 1; }
done
ending=$("$prefix/bin/kaland" "$prefix/share/kaland/zelmor.map" <"$prefix/share/kaland/zelmor.walkthrough" |
         grep -c 'you saved the fishermen')
[[ $ending == 1 ]] || { echo "the walkthrough did not reach the happy ending"; exit 1; }
"$prefix/bin/kaland-check" --quiet --strict "$prefix/share/kaland/zelmor.map"
echo "installed and played from $prefix"
