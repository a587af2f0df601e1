#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks its contents and
# control fields.
#   deb_contents.sh BUILD_DIR
set -eu
build=$(realpath "$1")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
trap 'exit 1' HUP INT TERM
(cd "$build" && timeout -k 2 300 cpack -G DEB -B "$out" >/dev/null) ||
  { echo "cpack failed or took more than 300 s"; exit 1; }
deb=$(find "$out" -maxdepth 1 -name 'kaland_*.deb' | head -n 1)
[[ -n $deb ]] || { echo "no package built"; exit 1; }
echo "package: $(basename "$deb")"
dpkg-deb -c "$deb" | awk '{print $6}'
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(./usr/bin/kaland ./usr/bin/kaland-check ./usr/bin/kaland-publish ./usr/share/man/man1/kaland.1
          ./usr/share/man/man1/kaland-check.1 ./usr/share/man/man1/kaland-publish.1
          ./usr/share/man/man5/kaland-map.5 ./usr/share/kaland/zelmor.map ./usr/share/kaland/zelmor.walkthrough
          ./usr/share/kaland/examples/corridor.map)
# The page template is packaged when the build was given one (KALAND_WEB_PAGE).
[[ -f $build/kaland.html ]] && expected+=(./usr/share/kaland/kaland.html)
grep -q '^KALAND_STUDIO_PAGE:[A-Z]*=.' "$build/CMakeCache.txt" && expected+=(./usr/share/kaland/kaland-studio.html)
for file in "${expected[@]}"; do
  grep -qxF "$file" <<<"$contents" || { echo "missing from the package: $file"; exit 1; }
done
for field in Package Version Architecture Description Depends Section; do
  value=$(dpkg-deb -f "$deb" "$field")
  [[ -n $value ]] || { echo "empty control field: $field"; exit 1; }
  echo "$field: ${value%%$'\n'*}"
done
