#!/usr/bin/env bash
# kaland-check --fixes proposes a line with a fresh IFID for a map without a
# usable #ifid: a version 4 UUID in capitals, a new one on every run. With
# the UUID written as XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX, the report is
# compared byte for byte; the map with the line put in gets no proposal.
#   fresh_ifid_fix.sh KALAND_CHECK
# Every run is bounded: 20 s and 4 MB of output.
set -u
. "$(dirname "$(realpath "$0")")/../bounded_run.sh"
checker=$(realpath "$1")
scratch=
trap '[[ -z $scratch ]] || rm -rf "$scratch"' EXIT
trap 'bounded_stop; exit 1' HUP INT TERM
make_scratch || exit 1
cd "$scratch"
failed=0

check_fixes() {  # check_fixes MAP: its report in report.N, N counting the runs
  runs=$((${runs:-0} + 1))
  if ! bounded_run 20 "$BOUNDED_SPARE_BYTES" "$BOUNDED_SPARE_BYTES" out "report.$runs" /dev/null \
       "$checker" --fixes "$1"; then
    echo "kaland-check $bounded_failure"
    exit 1
  fi
}

uuid='[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}'
normalised() { sed -E "s/$uuid/XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX/" "$1"; }

# After the last fact; a map with no fact gets it before its first room.
printf '# The dry well\n#title The Dry Well\n#helyiseg 1\nThe well. THE END\n#gameover\n' >facts.map
printf '# The dry well\n#helyiseg 1\nThe well. THE END\n#gameover\n' >plain.map
# An #ifid line that is not taken is replaced.
printf '#ifid 12345\n#helyiseg 1\nThe well. THE END\n#gameover\n' >unusable.map
check_fixes facts.map
check_fixes facts.map
check_fixes plain.map
check_fixes unusable.map
expected='facts.map:3: fix: insert a fresh IFID: #ifid XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX
facts.map: 0 errors, 0 warnings'
[[ $(normalised report.1) == "$expected" ]] || { echo "facts.map:"; cat report.1; failed=1; }
cmp -s report.1 report.2 && { echo "two runs proposed the same IFID"; failed=1; }
[[ $(normalised report.3) == "plain.map:2: fix: insert a fresh IFID: #ifid XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX
plain.map: 0 errors, 0 warnings" ]] || { echo "plain.map:"; cat report.3; failed=1; }
[[ $(normalised report.4) == "unusable.map:1: warning: #ifid '12345' is not a UUID (8-4-4-4-12 hexadecimal digits): it is ignored; kaland-publish suggests one for a map without #ifid
unusable.map:1: fix: replace it with a fresh IFID: #ifid XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX
unusable.map: 0 errors, 1 warning" ]] || { echo "unusable.map:"; cat report.4; failed=1; }

# The proposed line, put in, gives the map its IFID.
line=$(grep -oE "#ifid $uuid" report.1)
sed "3i $line" facts.map >fixed.map
check_fixes fixed.map
[[ $(cat report.5) == "fixed.map: 0 errors, 0 warnings" ]] || { echo "fixed.map:"; cat report.5; failed=1; }
exit $failed
