#!/usr/bin/env bash
# Builds kaland in Release mode, generates the benchmark maps and reports,
# for each, the median wall time of 5 runs after a warm-up and the peak
# resident memory, beside `wc -l` on the same file (one pass over the bytes).
# Then the start-up cost against `/bin/true`, kaland-check with --routes and
# --cover against the plain check, and the micro-benchmarks.
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

# Median wall time in seconds of a shell command, over 5 runs after a warm-up.
median() {
  hyperfine --style none --warmup 1 --runs 5 --export-csv median.csv "$1" >/dev/null
  tail -n 1 median.csv | cut -d, -f4
}
peak_kb() {
  /usr/bin/time -f %M bash -c "$1" 2>&1 >/dev/null | tail -n 1
}

printf '%-8s %12s %10s %14s %12s\n' map size_MB median_s peak_RSS_MB wc_-l_s
for name in dense play sparse chain; do
  run="'$kaland' $name.map < $name.input > /dev/null"
  size=$(stat -c %s "$name.map")
  printf '%-8s %12.1f %10.4f %14.1f %12.4f\n' "$name" "$(echo "$size / 1048576" | bc -l)" \
    "$(median "$run")" "$(echo "$(peak_kb "$run") / 1024" | bc -l)" "$(median "wc -l $name.map > /dev/null")"
done

printf 'exit\n' >startup.input
cp ../../zelmor.map .
hyperfine --style none --warmup 20 --runs 200 --export-csv startup.csv \
  "'$kaland' < startup.input > /dev/null" "/bin/true < startup.input > /dev/null" >/dev/null
kaland_startup=$(sed -n 2p startup.csv | cut -d, -f4)
true_startup=$(sed -n 3p startup.csv | cut -d, -f4)
printf 'start-up: bundled adventure with "exit" %.2f ms, /bin/true %.2f ms, difference %.2f ms\n' \
  "$(echo "$kaland_startup * 1000" | bc -l)" "$(echo "$true_startup * 1000" | bc -l)" \
  "$(echo "($kaland_startup - $true_startup) * 1000" | bc -l)"

# kaland-check: the plain check, the routes and the coverage of a script on
# the two large maps: median wall time and mean CPU time (user + system).
# Routes and coverage may take at most twice the check. The dense map has no
# ending, so its route search is made to cover the whole map with
# --route-to 0, a room that no exit leads to.
median_and_cpu() {
  hyperfine --style none --warmup 1 --runs 5 --export-csv timing.csv "$1" >/dev/null
  tail -n 1 timing.csv | awk -F, '{ printf "%.3f (%.2f)", $4, $5 + $6 }'
}
checker=$(dirname "$kaland")/kaland-check
printf '\n%-8s %16s %16s %16s   (kaland-check: median s, CPU s)\n' map check routes cover
for name in chain dense; do
  routes="--routes routes-$name"
  script=chain.input
  if [[ $name == dense ]]; then
    routes="$routes --route-to 0"
    script=dense.walk
  fi
  printf '%-8s %16s %16s %16s\n' "$name" \
    "$(median_and_cpu "'$checker' $name.map 2>/dev/null")" \
    "$(median_and_cpu "'$checker' $routes $name.map >/dev/null 2>&1")" \
    "$(median_and_cpu "'$checker' --cover $name.map $script >/dev/null 2>&1")"
done

cd - >/dev/null
if [[ -x $build/bench/kaland_micro_bench ]]; then
  "$build/bench/kaland_micro_bench" --benchmark_min_time=0.5
fi
