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
for file in bin/kaland bin/kaland-check bin/kaland-publish share/man/man1/kaland.1 \
            share/man/man1/kaland-check.1 share/man/man1/kaland-publish.1 share/man/man5/kaland-map.5 \
            share/kaland/zelmor.map share/kaland/zelmor.walkthrough \
            share/kaland/examples/corridor.map share/kaland/examples/corridor.keys; do
  [[ -f $prefix/$file ]] || { echo "not installed: $file"; exit 1; }
done
ending=$("$prefix/bin/kaland" "$prefix/share/kaland/zelmor.map" <"$prefix/share/kaland/zelmor.walkthrough" |
         grep -c 'you saved the fishermen')
[[ $ending == 1 ]] || { echo "the walkthrough did not reach the happy ending"; exit 1; }
"$prefix/bin/kaland-check" --quiet --strict "$prefix/share/kaland/zelmor.map"
# The page template comes with a build configured with KALAND_WEB_PAGE; the
# installed kaland-publish finds it there.
if [[ -f $build/kaland.html ]]; then
  [[ -f $prefix/share/kaland/kaland.html ]] || { echo "not installed: share/kaland/kaland.html"; exit 1; }
  timeout 60 "$prefix/bin/kaland-publish" "$prefix/share/kaland/zelmor.map" -o "$prefix/zelmor.html" >/dev/null ||
    { echo "the installed kaland-publish did not publish the installed adventure"; exit 1; }
  cmp -s <(grep -o '<title>[^<]*</title>' "$prefix/zelmor.html") <(echo '<title>THE LAST LAMP OF ZELMOR</title>') ||
    { echo "the published page has the wrong title"; exit 1; }
else
  [[ ! -e $prefix/share/kaland/kaland.html ]] || { echo "a page template installed without one built"; exit 1; }
  set +e
  timeout 60 "$prefix/bin/kaland-publish" "$prefix/share/kaland/zelmor.map" -o "$prefix/zelmor.html" 2>/dev/null
  status=$?
  set -e
  [[ $status == 2 && ! -e $prefix/zelmor.html ]] || { echo "kaland-publish without a template: status $status"; exit 1; }
fi
echo "installed and played from $prefix"
