#!/usr/bin/env bash
# kaland-publish from a build folder: refusals in kaland-check's words and
# nothing written, the default page name and title, titles and maps shown as
# text, the missing template, and the manual page's example.
#   publish.sh BUILD_DIR [TEMPLATE]
# Without TEMPLATE (a built kaland.html), a template is made from
# web/page.html with an empty script, which is all publishing looks at.
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
  python3 "$source_dir/web/build_page.py" --template "$source_dir/web/page.html" --style "$scratch/empty" \
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
[[ $? == 0 && $output == "wrote $scratch/maps/castle.html" ]] || fail "default output: $output"
page=$scratch/maps/castle.html
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

# Usage errors.
for arguments in "" "--title" "a.map b.map" "--frobnicate a.map" "a.map -o"; do
  # shellcheck disable=SC2086
  output=$(cd "$scratch/maps" && bounded "$publish" $arguments)
  [[ $? == 2 && $output == *usage:* ]] || fail "usage error '$arguments': $output"
done

# The manual page's example of a refusal is the real output.
example=$(sed -n '/^\$ kaland-publish tests\/publish/,/^\.EE/p' "$source_dir/man/kaland-publish.1" |
          sed -e '1d' -e '$d' -e 's/\\-/-/g')
output=$(cd "$source_dir" && bounded "$publish" tests/publish/ten_exits.map)
[[ $output == "$example" ]] || fail "manual page example differs: $output"
if [[ -e $source_dir/tests/publish/ten_exits.html ]]; then
  rm -f "$source_dir/tests/publish/ten_exits.html"
  fail "a refused map was published"
fi

((failed == 0)) && echo "kaland-publish: $refused refused maps and every page check passed"
exit $failed
