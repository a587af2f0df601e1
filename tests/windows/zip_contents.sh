#!/usr/bin/env bash
# Builds the Windows zip from a build folder and checks that it holds what a
# Windows user needs, README.txt with Windows line ends, the page and the
# manual pages as HTML, no two files of one name, and that the unpacked
# programs play the adventure through its walkthrough, pass its map and
# publish a map as README.txt says, under Wine.
#   zip_contents.sh BUILD_WIN_DIR
set -eu
build=$(realpath "$1")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache_value CMAKE_PROJECT_VERSION)
source=$(cache_value kaland_SOURCE_DIR)

(cd "$build" && cpack -G ZIP -B "$out" >/dev/null)
name=kaland-$version-win64
zip=$out/$name.zip
[[ -f $zip ]] || { echo "no $name.zip made"; ls "$out"; exit 1; }
echo "package: $name.zip"

mkdir "$out/unpacked"
(cd "$out/unpacked" && cmake -E tar xf "$zip")
contents=$(cd "$out/unpacked" && find . -type f | sed 's|^\./||' | sort)
echo "$contents"
studio=$(cache_value KALAND_STUDIO_PAGE)
expected=$(printf '%s\n' README.txt kaland-check.exe kaland-publish.exe kaland.exe kaland.html manual-kaland.html \
                         manual-kaland-check.html manual-kaland-publish.html manual-kaland-map.html zelmor.map \
                         zelmor.walkthrough ${studio:+kaland-studio.html} | sed "s|^|$name/|" | sort)
if [[ $contents != "$expected" ]]; then
  echo "the zip should hold exactly:"
  echo "$expected"
  exit 1
fi
folder=$out/unpacked/$name

cmp "$source/zelmor.map" "$folder/zelmor.map"
cmp "$source/zelmor.walkthrough" "$folder/zelmor.walkthrough"
[[ -z $studio ]] || cmp "$studio" "$folder/kaland-studio.html"
if grep -q -v $'\r$' "$folder/README.txt"; then
  echo "README.txt has a line that does not end with CR LF"
  exit 1
fi
grep -q "kaland $version for Windows" "$folder/README.txt" || { echo "README.txt lacks its title"; exit 1; }
while read -r file title; do
  grep -qF '<html lang="en">' "$folder/$file" || { echo "$file: no language"; exit 1; }
  grep -qF "<title>$title</title>" "$folder/$file" || { echo "$file: not titled $title"; exit 1; }
done <<'PAGES'
manual-kaland.html KALAND(1)
manual-kaland-check.html KALAND-CHECK(1)
manual-kaland-publish.html KALAND-PUBLISH(1)
manual-kaland-map.html KALAND-MAP(5)
PAGES
duplicates=$(cd "$out/unpacked" && find . -type f | sed 's|.*/||' | sort | uniq -d)
[[ -z $duplicates ]] || { echo "files of the same name: $duplicates"; exit 1; }
cmp "$(cache_value KALAND_WEB_PAGE)" "$folder/kaland.html" || { echo "kaland.html is not the built page"; exit 1; }

# The way README.txt tells a Windows user to play: in the folder, no argument.
ending=$(cd "$folder" && timeout 60 wine kaland.exe <zelmor.walkthrough | grep -c 'you saved the fishermen')
[[ $ending == 1 ]] || { echo "the walkthrough did not reach the happy ending"; exit 1; }
# Unpacking is installing: from another folder, kaland plays the adventure
# beside it, and --help names it.
ending=$(cd "$out" && timeout 60 wine "$folder/kaland.exe" <"$folder/zelmor.walkthrough" | grep -c 'you saved the fishermen')
[[ $ending == 1 ]] || { echo "kaland did not find the adventure beside it"; exit 1; }
(cd "$out" && timeout 60 wine "$folder/kaland.exe" --help) | grep -q "/$name/zelmor.map\$" ||
  { echo "kaland --help does not name the adventure beside it"; exit 1; }
# cmd.exe leaves the wildcard to kaland-check.
report=$(cd "$folder" && timeout 60 wine kaland-check.exe --strict '*.m?p' 2>&1) ||
  { echo "$report"; echo "kaland-check refused the adventure"; exit 1; }
[[ $report == "zelmor.map: 0 errors, 0 warnings" ]] || { echo "$report"; echo "the wildcard was not expanded"; exit 1; }
# Publishing as README.txt says, from the folder: the page beside the map,
# then the zip, made twice (the second replaces the first, which Windows'
# own rename would refuse); a map in a subfolder named with backslashes.
mkdir "$folder/games"
printf '#title The Dry Well\r\n#ifid 3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F64\r\n#helyiseg 1\r\nDry.\r\n#gameover\r\n' \
  >"$folder/games/well.map"
report=$(cd "$folder" && timeout 60 wine kaland-publish.exe 'games\well.map' 2>&1) || { echo "$report"; exit 1; }
[[ ${report%$'\r'} == 'wrote games\well.html' ]] || { echo "$report"; echo "kaland-publish did not write the page"; exit 1; }
grep -qF '<title>The Dry Well</title>' "$folder/games/well.html" || { echo "the page lacks its title"; exit 1; }
for run in 1 2; do
  report=$(cd "$folder" && timeout 60 wine kaland-publish.exe --zip zelmor.zip zelmor.map 2>&1) ||
    { echo "$report"; exit 1; }
  [[ $report == *"#ifid "* && $report == *"wrote zelmor.zip"* ]] || { echo "$report"; echo "run $run: no zip"; exit 1; }
done
python3 -c 'import sys, zipfile; names = zipfile.ZipFile(sys.argv[1]).namelist()
assert names == ["index.html", "zelmor.map", "zelmor.iFiction", "README.txt"], names' "$folder/zelmor.zip"
echo "unpacked, played and published from $name"
