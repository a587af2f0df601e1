#!/usr/bin/env bash
# Installs a build folder into an empty prefix and checks every file lands
# where a Unix system looks for it, and that the installed runner plays the
# installed adventure with its walkthrough to the end (each run bounded to 20 s
# and 4 MB of output).
#   install_prefix.sh BUILD_DIR
set -eu
. "$(dirname "$(realpath "$0")")/../bounded_run.sh"
build=$(realpath "$1")
scratch=
trap '[[ -z $scratch ]] || rm -rf "$scratch"' EXIT
trap 'bounded_stop; exit 1' HUP INT TERM
make_scratch || exit 1
prefix=$scratch
timeout -k 2 120 cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/kaland bin/kaland-check bin/kaland-publish share/man/man1/kaland.1 \
            share/man/man1/kaland-check.1 share/man/man1/kaland-publish.1 share/man/man5/kaland-map.5 \
            share/kaland/zelmor.map share/kaland/zelmor.walkthrough \
            share/kaland/examples/corridor.map share/kaland/examples/corridor.keys; do
  [[ -f $prefix/$file ]] || { echo "not installed: $file"; exit 1; }
done
mkdir "$prefix/result"
if ! bounded_run 20 "$BOUNDED_SPARE_BYTES" "$BOUNDED_SPARE_BYTES" "$prefix/result/output" "$prefix/result/errors" \
       "$prefix/share/kaland/zelmor.walkthrough" "$prefix/bin/kaland" "$prefix/share/kaland/zelmor.map"; then
  echo "kaland $bounded_failure"
  exit 1
fi
ending=$(grep -c 'you saved the fishermen' "$prefix/result/output" || true)
[[ $ending == 1 ]] || { echo "the walkthrough did not reach the happy ending"; exit 1; }
if ! bounded_run 20 "$BOUNDED_SPARE_BYTES" "$BOUNDED_SPARE_BYTES" "$prefix/result/output" "$prefix/result/errors" \
       /dev/null "$prefix/bin/kaland-check" --quiet --strict "$prefix/share/kaland/zelmor.map" ||
   [[ $bounded_status != 0 ]]; then
  echo "kaland-check on the installed adventure: ${bounded_failure:-exit status $bounded_status}"
  cat "$prefix/result/errors"
  exit 1
fi
# The page template comes with a build configured with KALAND_WEB_PAGE; the
# installed kaland-publish finds it there. The page it writes is bounded by
# the same file size limit as the output.
publish() {
  bounded_run 60 "$BOUNDED_SPARE_BYTES" "$BOUNDED_SPARE_BYTES" /dev/null "$prefix/result/errors" /dev/null \
    "$prefix/bin/kaland-publish" "$prefix/share/kaland/zelmor.map" -o "$prefix/zelmor.html" ||
    { echo "kaland-publish $bounded_failure"; exit 1; }
}
if [[ -f $build/kaland.html ]]; then
  [[ -f $prefix/share/kaland/kaland.html ]] || { echo "not installed: share/kaland/kaland.html"; exit 1; }
  publish
  [[ $bounded_status == 0 ]] || { echo "the installed kaland-publish did not publish the installed adventure"; exit 1; }
  cmp -s <(grep -o '<title>[^<]*</title>' "$prefix/zelmor.html") <(echo '<title>THE LAST LAMP OF ZELMOR</title>') ||
    { echo "the published page has the wrong title"; exit 1; }
else
  [[ ! -e $prefix/share/kaland/kaland.html ]] || { echo "a page template installed without one built"; exit 1; }
  publish
  status=$bounded_status
  [[ $status == 2 && ! -e $prefix/zelmor.html ]] || { echo "kaland-publish without a template: status $status"; exit 1; }
fi
# kaland studio comes with a build configured with KALAND_STUDIO_PAGE.
studio=$(sed -n 's/^KALAND_STUDIO_PAGE:[A-Z]*=//p' "$build/CMakeCache.txt")
if [[ -n $studio ]]; then
  cmp "$studio" "$prefix/share/kaland/kaland-studio.html" || { echo "not installed: share/kaland/kaland-studio.html"; exit 1; }
fi
echo "installed and played from $prefix"
