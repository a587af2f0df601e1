#!/usr/bin/env bash
# kaland-publish from a build folder: refusals in kaland-check's words and
# nothing written, the default page name and title, titles and maps shown as
# text, the missing template, each of the map's facts, and the release zip
# with its iFiction record.
#   publish.sh BUILD_DIR [TEMPLATE]
# Without TEMPLATE (a built kaland.html), a template is made from
# web/player/page.html with an empty script, which is all publishing looks at.
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
  timeout -k 5 60 "$@" 2>&1 | head -c 1000000
  return "${PIPESTATUS[0]}"
}

mkdir "$scratch/bin" "$scratch/bare" "$scratch/maps"
cp "$build/kaland-publish" "$scratch/bin/"
cp "$build/kaland-publish" "$scratch/bare/"
publish=$scratch/bin/kaland-publish
if [[ -n ${2:-} ]]; then
  cp "$2" "$scratch/bin/kaland.html"
else
  : >"$scratch/empty"
  python3 "$source_dir/web/player/build_page.py" --template "$source_dir/web/player/page.html" --style "$scratch/empty" \
    --script "$scratch/empty" --map "$source_dir/zelmor.map" --output "$scratch/bin/kaland.html" ||
    { echo "cannot make a template"; exit 1; }
fi
template_scripts=$(grep -o '</script>' "$scratch/bin/kaland.html" | wc -l)

# Without a template beside it (and not installed), it says so: status 2.
output=$(cd "$scratch/maps" && bounded "$scratch/bare/kaland-publish" "$source_dir/zelmor.map" -o out.html)
status=$?
[[ $status == 2 && $output == *"template kaland.html is not installed"* && ! -e $scratch/maps/out.html ]] ||
  fail "missing template: status $status, output: $output"

# Every map the checker refuses is refused with the checker's error lines.
refused=0
for case_dir in "$source_dir"/tests/check/cases/error_*; do
  [[ -f $case_dir/map && ! -e $case_dir/args ]] || continue
  cp "$case_dir/map" "$scratch/maps/refused.map"
  expected=$(cd "$scratch/maps" && bounded "$build/kaland-check" refused.map | grep ': error: ')
  output=$(cd "$scratch/maps" && bounded "$publish" refused.map)
  status=$?
  [[ $status == 1 ]] || fail "$(basename "$case_dir"): status $status"
  [[ $(grep ': error: ' <<<"$output") == "$expected" ]] ||
    fail "$(basename "$case_dir"): errors differ from kaland-check's: $output / $expected"
  [[ ! -e $scratch/maps/refused.html ]] || fail "$(basename "$case_dir"): a page was written"
  refused=$((refused + 1))
done
((refused >= 5)) || fail "only $refused refused maps tried"

# The default page sits beside the map, titled by the start room's first line.
printf '#helyiseg 4\n  The <b>Castle</b> & "Moat"  \nmore\n#gameover\n' >"$scratch/maps/castle.map"
output=$(bounded "$publish" "$scratch/maps/castle.map")
[[ $? == 0 && $(tail -n 1 <<<"$output") == "wrote $scratch/maps/castle.html" ]] || fail "default output: $output"
page=$scratch/maps/castle.html
# Without #ifid: a warning with a fresh version 4 UUID, in capitals, which
# the page carries.
ifid=$(sed -n 's/^#ifid //p' <<<"$output")
[[ $output == *"castle.map: warning: no #ifid"* && $ifid =~ ^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$ ]] ||
  fail "no fresh IFID offered: $output"
grep -qF "property=\"ifiction:ifid\" content=\"$ifid\">" "$page" || fail "the page lacks the fresh IFID"
grep -qF '<html lang="en">' "$page" || fail "a page without #lang is not English"
grep -qF '<p id="kaland-author" hidden></p>' "$page" || fail "a page without #author shows one"
grep -qF '<title>The &lt;b&gt;Castle&lt;/b&gt; &amp; &quot;Moat&quot;</title>' "$page" || fail "default title"
grep -qF '<h1 id="kaland-title" data-source="page">The &lt;b&gt;Castle' "$page" || fail "heading"
grep -qF 'data-name="castle.map">' "$page" || fail "map name"
embedded=$(grep -o 'id="kaland-map" data-name="castle.map">[^<]*' "$page" | sed 's/.*>//' | base64 -d | cmp - "$scratch/maps/castle.map" && echo same)
[[ $embedded == same ]] || fail "the embedded map is not the map's bytes"

# Markup in a title or a map stays text, and the map cannot end its element.
printf '#helyiseg 1\n</script><script>alert(1)</script><img src=x onerror=alert(2)>\n#gameover\n' >"$scratch/maps/hostile.map"
bounded "$publish" "$scratch/maps/hostile.map" -o "$scratch/maps/hostile.html" \
  --title '</title><script>alert(3)</script><img src=x onerror=alert(4)>' >/dev/null || fail "hostile map refused"
page=$scratch/maps/hostile.html
[[ $(grep -o '</script>' "$page" | wc -l) == "$template_scripts" ]] || fail "the map or title added a </script>"
grep -q '<img' "$page" && fail "an <img> element came from the map or the title"
grep -qF '<title>&lt;/title&gt;&lt;script&gt;alert(3)&lt;/script&gt;&lt;img src=x onerror=alert(4)&gt;</title>' "$page" ||
  fail "the title is not shown as text"

# A windows-1250 title becomes UTF-8; the map's bytes stay as they are.
printf '#helyiseg 1\nA l\xe1mp\xe1s \xf5rz\xf5je\n#gameover\n' >"$scratch/maps/legacy.map"
bounded "$publish" "$scratch/maps/legacy.map" >/dev/null || fail "legacy map refused"
grep -qF '<title>A lámpás őrzője</title>' "$scratch/maps/legacy.html" || fail "windows-1250 title"

# kaland-check's warnings (and the notes under them) come on standard error
# as the checker writes them, and the map is published; --strict refuses it.
cp "$source_dir/tests/check/cases/warning_causes_and_consequences/map" "$scratch/maps/draft.map"
expected=$(cd "$scratch/maps" && bounded "$build/kaland-check" draft.map | grep -v '^draft.map: ')
output=$(cd "$scratch/maps" && bounded "$publish" draft.map)
[[ $? == 0 && $(tail -n 1 <<<"$output") == "wrote draft.html" ]] || fail "a map with warnings is not published: $output"
output=$(grep -v '^wrote \|: warning: no #ifid\|^#ifid ' <<<"$output")
[[ $output == "$expected" && $(grep -c ': warning: ' <<<"$output") == 6 ]] || fail "the checker's warnings: $output"
rm "$scratch/maps/draft.html"
output=$(cd "$scratch/maps" && bounded "$publish" --strict draft.map)
[[ $? == 1 && $output == *"6 warnings and --strict; nothing written" && ! -e $scratch/maps/draft.html ]] ||
  fail "--strict published a map with warnings: $output"

# The page never replaces its own map, and a map too large for the page is refused.
cp "$scratch/maps/castle.map" "$scratch/maps/castle.html"
output=$(bounded "$publish" "$scratch/maps/castle.html")
[[ $? == 2 ]] && cmp -s "$scratch/maps/castle.map" "$scratch/maps/castle.html" || fail "overwrote the map: $output"
output=$(cd "$scratch" && bounded "$publish" maps/castle.html -o ./maps/../maps/castle.html)
[[ $? == 2 ]] && cmp -s "$scratch/maps/castle.map" "$scratch/maps/castle.html" || fail "overwrote the map by another name: $output"
truncate -s 65M "$scratch/maps/huge.map"
output=$(bounded "$publish" "$scratch/maps/huge.map")
[[ $? == 1 && $output == *"larger than 64 MB"* && ! -e $scratch/maps/huge.html ]] || fail "huge map: $output"
rm -f "$scratch/maps/huge.map"

# Each fact of the map, read in the map's encoding: #title wins over the
# first line (and --title over #title), #author under the heading, #lang as
# the page's language, #ifid (any case) in capitals, #blurb as the description.
printf '#title Az \xf5rz\xf5\n#author Kiss Anna\n#lang hu\n#ifid 3f2a6c1e-8b4d-4e7a-9c31-5d0b7a2e9f64\n#blurb Egy l\xe1mp\xe1s.\n#helyiseg 1\nFirst line\n#gameover\n' >"$scratch/maps/facts.map"
output=$(bounded "$publish" "$scratch/maps/facts.map")
[[ $? == 0 && $output == "wrote $scratch/maps/facts.html" ]] || fail "a map with every fact: $output"
page=$scratch/maps/facts.html
for expected in '<title>Az őrző</title>' '<h1 id="kaland-title" data-source="page">Az őrző</h1>' \
                '<p id="kaland-author">Kiss Anna</p>' '<meta name="author" content="Kiss Anna">' '<html lang="hu">' \
                'property="ifiction:ifid" content="3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F64">' \
                '<meta name="description" content="Egy lámpás.">'; do
  grep -qF "$expected" "$page" || fail "facts: the page lacks $expected"
done
bounded "$publish" "$scratch/maps/facts.map" --title 'Given' -o "$scratch/maps/given.html" >/dev/null
grep -qF '<title>Given</title>' "$scratch/maps/given.html" || fail "--title does not win over #title"
# A fact the checker warns about is left out, with the checker's words.
printf '#lang magyar\n#ifid 3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F64\n#helyiseg 1\nx\n#gameover\n' >"$scratch/maps/badlang.map"
output=$(bounded "$publish" "$scratch/maps/badlang.map")
[[ $output == "$scratch/maps/badlang.map:1: warning: #lang 'magyar' is not a language tag"*$'\n'"wrote "* ]] ||
  fail "a malformed fact: $output"
grep -qF '<html lang="en">' "$scratch/maps/badlang.html" || fail "a malformed #lang reached the page"
# The whole map decides the encoding: a title that alone would pass for
# UTF-8 is read as windows-1250 when the rest of the map is.
printf '#title \xc5\x91 title\n#ifid 3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F64\n#helyiseg 1\nCaf\xe9\n#gameover\n' >"$scratch/maps/mixed.map"
bounded "$publish" "$scratch/maps/mixed.map" >/dev/null
grep -qF '<title>Ĺ‘ title</title>' "$scratch/maps/mixed.html" || fail "the title is not read in the map's encoding"

# The release zip: the page as index.html at the top, the map, its
# iFiction record and README.txt; only the zip unless -o names a page.
cp "$scratch/maps/facts.map" "$scratch/maps/well.map"
output=$(cd "$scratch/maps" && bounded "$publish" --zip well.zip well.map)
[[ $? == 0 && $output == "wrote well.zip" && ! -e $scratch/maps/well.html ]] || fail "--zip: $output"
output=$(cd "$scratch/maps" && bounded "$publish" --zip both.zip -o both.html well.map)
[[ $? == 0 && $output == $'wrote both.html\nwrote both.zip' ]] || fail "--zip with -o: $output"
printf '#helyiseg 1\nNo facts at all\n#gameover\n' >"$scratch/maps/bare.map"
output=$(cd "$scratch/maps" && bounded "$publish" bare.map --zip bare.zip)
bare_ifid=$(sed -n 's/^#ifid //p' <<<"$output")
python3 - "$scratch/maps" "$bare_ifid" <<'PYTHON' || fail "the zips do not hold what they should"
import sys, zipfile, xml.etree.ElementTree as ET
folder, bare_ifid = sys.argv[1], sys.argv[2]
NS = {"i": "http://babel.ifarchive.org/protocol/iFiction/"}
def record(archive, name):
    story = ET.fromstring(archive.read(name)).find("i:story", NS)
    return {element.tag.split("}")[1]: element.text for part in story for element in part}
def check(zip_name, map_name, expected, page_name=None):
    with zipfile.ZipFile(f"{folder}/{zip_name}") as archive:
        stem = map_name.rsplit(".", 1)[0]
        names = archive.namelist()
        assert names == ["index.html", map_name, stem + ".iFiction", "README.txt"], names
        assert archive.testzip() is None
        assert archive.read(map_name) == open(f"{folder}/{map_name}", "rb").read()
        if page_name:
            assert archive.read("index.html") == open(f"{folder}/{page_name}", "rb").read()
        fields = record(archive, stem + ".iFiction")
        assert fields == expected, fields
        readme = archive.read("README.txt").decode("utf-8")
        assert expected["title"] in readme and f"kaland {map_name}" in readme and "\r\n" in readme, readme
        return readme
readme = check("both.zip", "well.map", {"ifid": "3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F64", "format": "html",
               "title": "Az őrző", "author": "Kiss Anna", "language": "hu", "headline": "Egy lámpás.", "description": "Egy lámpás."}, "both.html")
assert "Írta: Kiss Anna" in readme and "Böngészőben" in readme, readme
readme = check("bare.zip", "bare.map", {"ifid": bare_ifid, "format": "html", "title": "No facts at all",
               "author": "Anonymous"})
assert "How to play" in readme, readme
PYTHON
# Nothing overwrites the map, and no zip holds two files of one name.
output=$(cd "$scratch/maps" && bounded "$publish" --zip well.map well.map)
[[ $? == 2 ]] && cmp -s "$scratch/maps/facts.map" "$scratch/maps/well.map" || fail "the zip overwrote the map: $output"
output=$(cd "$scratch/maps" && bounded "$publish" --zip same.out -o same.out well.map)
[[ $? == 2 && ! -e $scratch/maps/same.out ]] || fail "page and zip on one file: $output"
cp "$scratch/maps/well.map" "$scratch/maps/README.txt"
output=$(cd "$scratch/maps" && bounded "$publish" --zip readme.zip README.txt)
[[ $? == 2 && $output == *"rename the map"* && ! -e $scratch/maps/readme.zip ]] || fail "a map named README.txt: $output"

# Control characters in the facts reach no release file: the page, the
# record and README.txt show U+FFFD in their place, and the checker warns.
printf '#title \033[31mRed\033]0;owned\007\n#author A\tB\n#ifid 3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F64\n#helyiseg 1\nx\n#gameover\n' \
  >"$scratch/maps/control.map"
output=$(cd "$scratch/maps" && bounded "$publish" --zip control.zip -o control.html control.map)
[[ $? == 0 && $output == *"control.map:1: warning: #title holds 3 control characters"* ]] ||
  fail "control characters in #title: $output"
python3 - "$scratch/maps" <<'PYTHON' || fail "a control character reached a release file"
import re, sys, zipfile
folder = sys.argv[1]
with zipfile.ZipFile(f"{folder}/control.zip") as archive:
    texts = {name: archive.read(name).decode("utf-8") for name in ("index.html", "control.iFiction", "README.txt")}
texts["control.html"] = open(f"{folder}/control.html", encoding="utf-8").read()
for name, text in texts.items():
    head = text[:text.find('id="kaland-map"')] if name.endswith("html") else text
    assert not re.search("[\x00-\x08\x0b\x0c\x0e-\x1f\x7f-\x9f]", head), name
    assert "\ufffd[31mRed\ufffd]0;owned\ufffd" in head, name
    assert "A\tB" in head, name
PYTHON

# Each name in names/ is a map's path as given (argument) and the names the
# release makes of it: the zip's entries, the default page, a random game's
# keys and a script's expected transcript; nothing else is written.
printf '#helyiseg 1\nGo [n].\n#irany N 5 n\n#helyiseg 2\nEnd.\n#gameover\n' >"$scratch/named.map"
names=0
for case_dir in "$source_dir"/tests/publish/names/*/; do
  case_name=$(basename "$case_dir")
  argument=$(<"$case_dir/argument")
  work=$scratch/names/$case_name
  mkdir -p "$work/$(dirname -- "$argument")"
  cp "$scratch/named.map" "$work/$argument"
  cp "$scratch/named.map" "$work/plain.map"
  output=$(cd "$work" && bounded "$publish" --zip release.zip -- "$argument" &&
           bounded "$publish" -- "$argument" &&
           bounded "$build/kaland-check" --random 1 -- "$argument";
           bounded "$build/kaland-check" --bless plain.map -- "$argument")
  [[ $? == 0 ]] || fail "$case_name: $output"
  python3 - "$work" "$case_dir" <<'PYTHON' || fail "$case_name: the release's names"
import html, os, re, sys, zipfile
work, case = sys.argv[1], sys.argv[2]
def lines(name):
    return open(os.path.join(case, name), encoding="utf-8", errors="surrogateescape").read().splitlines()
entries = lines("entries")
with zipfile.ZipFile(os.path.join(work, "release.zip")) as archive:
    assert archive.namelist() == entries, archive.namelist()
    readme = archive.read("README.txt").decode("utf-8")
    page = archive.read("index.html").decode("utf-8")
assert f"\r\n  kaland {entries[1]}\r\n" in readme, readme
assert re.search(r'id="kaland-map" data-name="([^"]*)"', page).group(1) == html.escape(entries[1]), "data-name"
argument = os.fsencode(open(os.path.join(case, "argument"), "rb").read())
made = {os.fsencode(os.path.normpath(name)) for name in lines("page") + lines("keys") + lines("expected")}
found = {os.path.relpath(os.path.join(folder, name), work).encode("utf-8", "surrogateescape")
         for folder, _, names in os.walk(work) for name in names}
expected = made | {os.path.normpath(argument), b"plain.map", b"release.zip"}
assert found == expected, (sorted(found), sorted(expected))
PYTHON
  names=$((names + 1))
done
((names >= 10)) || fail "only $names names tried"

# Usage errors.
for arguments in "" "--title" "a.map b.map" "--frobnicate a.map" "a.map -o" "a.map --zip"; do
  # shellcheck disable=SC2086
  output=$(cd "$scratch/maps" && bounded "$publish" $arguments)
  [[ $? == 2 && $output == *usage:* ]] || fail "usage error '$arguments': $output"
done

((failed == 0)) && echo "kaland-publish: $refused refused maps, $names names and every page check passed"
exit $failed
