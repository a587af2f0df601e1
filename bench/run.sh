#!/usr/bin/env bash
# Builds kaland in Release mode, generates the benchmark maps and reports,
# for each, the median wall time of 5 runs after a warm-up and the peak
# resident memory, beside `wc -l` on the same file (one pass over the bytes).
# Then the start-up cost against `/bin/true`, kaland-check with --routes,
# --cover and --random against the plain check, --expect and --random on the
# bundled adventure, and the micro-benchmarks.
# Every timed run is bounded to 20 s of processor time and to files of 64 MB
# (`ulimit` in the shell that hyperfine starts, which then execs the command:
# no process more to time); the output goes to /dev/null and the routes are a
# few KB, so a runaway program fills nothing.
#   bench/run.sh [BUILD_DIR]      (default: build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
out=bench/out

need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
[[ -x /usr/bin/time ]] || need+=(time)
command -v cmake >/dev/null || need+=(cmake g++)
if ((${#need[@]})); then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKALAND_TESTS=OFF -DKALAND_BENCH=ON >/dev/null
cmake --build "$build" -j2 >/dev/null
kaland=$(realpath "$build/kaland")
mkdir -p "$out"
"$build/bench/kaland_generate_maps" "$out"
cd "$out"

# sh counts the file size in 512-byte blocks.
bound="ulimit -t 20; ulimit -f 131072; exec"
failed() {
  echo "failed, or ran over 20 s of processor time or 64 MB in a file: $1" >&2
  exit 1
}
# Median wall time in seconds of a shell command, over 5 runs after a warm-up.
median() {
  hyperfine --style none --warmup 1 --runs 5 --export-csv median.csv "$1" >/dev/null || failed "$1"
  tail -n 1 median.csv | cut -d, -f4
}
peak_kb() {
  /usr/bin/time -f %M sh -c "$1" 2>time.out >/dev/null || failed "$1"
  tail -n 1 time.out
}

printf '%-8s %12s %10s %14s %12s\n' map size_MB median_s peak_RSS_MB wc_-l_s
for name in dense play sparse chain; do
  run="$bound '$kaland' $name.map < $name.input > /dev/null"
  size=$(stat -c %s "$name.map")
  time_s=$(median "$run")
  peak=$(peak_kb "$run")
  wc_s=$(median "$bound wc -l $name.map > /dev/null")
  printf '%-8s %12.1f %10.4f %14.1f %12.4f\n' "$name" "$(echo "$size / 1048576" | bc -l)" \
    "$time_s" "$(echo "$peak / 1024" | bc -l)" "$wc_s"
done

printf 'exit\n' >startup.input
cp ../../zelmor.map .
hyperfine --style none --warmup 20 --runs 200 --export-csv startup.csv \
  "$bound '$kaland' < startup.input > /dev/null" "$bound /bin/true < startup.input > /dev/null" >/dev/null ||
  failed "start-up"
kaland_startup=$(sed -n 2p startup.csv | cut -d, -f4)
true_startup=$(sed -n 3p startup.csv | cut -d, -f4)
printf 'start-up: bundled adventure with "exit" %.2f ms, /bin/true %.2f ms, difference %.2f ms\n' \
  "$(echo "$kaland_startup * 1000" | bc -l)" "$(echo "$true_startup * 1000" | bc -l)" \
  "$(echo "($kaland_startup - $true_startup) * 1000" | bc -l)"

# kaland-check: the plain check, the routes, the coverage of a script and
# 10,000 random games on the two large maps: median wall time and mean CPU
# time (user + system). Each may take at most twice the check. The dense map
# has no ending, so its route search is made to cover the whole map with
# --route-to 0, a room that no exit leads to.
median_and_cpu() {
  hyperfine --style none --warmup 1 --runs 5 --export-csv timing.csv "$1" >/dev/null || failed "$1"
  tail -n 1 timing.csv | awk -F, '{ printf "%.3f (%.2f)", $4, $5 + $6 }'
}
checker=$(dirname "$kaland")/kaland-check
printf '\n%-8s %16s %16s %16s %16s   (kaland-check: median s, CPU s)\n' map check routes cover random
for name in chain dense; do
  routes="--routes routes-$name"
  script=chain.input
  if [[ $name == dense ]]; then
    routes="$routes --route-to 0"
    script=dense.walk
  fi
  check_s=$(median_and_cpu "$bound '$checker' $name.map 2>/dev/null")
  routes_s=$(median_and_cpu "$bound '$checker' $routes $name.map >/dev/null 2>&1")
  cover_s=$(median_and_cpu "$bound '$checker' --cover $name.map $script >/dev/null 2>&1")
  random_s=$(median_and_cpu "$bound '$checker' --random 10000 $name.map >/dev/null 2>&1")
  printf '%-8s %16s %16s %16s %16s\n' "$name" "$check_s" "$routes_s" "$cover_s" "$random_s"
done

# The bundled adventure: --expect on its walkthrough against the check and
# the game played apart, and 10,000 random games (at most 2 s).
cp ../../zelmor.walkthrough .
"$checker" --quiet --bless zelmor.map zelmor.walkthrough >/dev/null || failed "--bless"
median_ms() {
  hyperfine --style none --warmup 3 --runs 20 --export-csv timing.csv "$1" >/dev/null 2>&1 || failed "$1"
  tail -n 1 timing.csv | awk -F, '{ printf "%.1f ms", $4 * 1000 }'
}
plain_ms=$(median_ms "$bound '$checker' zelmor.map 2>/dev/null")
game_ms=$(median_ms "$bound '$kaland' zelmor.map < zelmor.walkthrough >/dev/null")
expect_ms=$(median_ms "$bound '$checker' --expect zelmor.map zelmor.walkthrough >/dev/null 2>&1")
random_ms=$(median_ms "$bound '$checker' --random 10000 zelmor.map >/dev/null 2>&1")
printf '\nzelmor (median of 20): check %s, game %s, --expect %s; --random 10000 %s\n' \
  "$plain_ms" "$game_ms" "$expect_ms" "$random_ms"

cd - >/dev/null
if [[ -x $build/bench/kaland_micro_bench ]]; then
  timeout -k 2 300 "$build/bench/kaland_micro_bench" --benchmark_min_time=0.5 || failed "micro-benchmarks (300 s)"
fi
