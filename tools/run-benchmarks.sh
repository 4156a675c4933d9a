#!/usr/bin/env bash
# Builds the benchmark programs in Release, runs them with repetitions and writes
# docs/performance.md from their medians.
#
#   tools/run-benchmarks.sh
#
# OSTREL_BENCH_REPETITIONS repetitions of every benchmark (default: 7)
# OSTREL_BENCH_MIN_TIME    least measured seconds per repetition (default: 0.5)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
if ! command -v python3 >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq python3
fi

build=build-bench
repetitions=${OSTREL_BENCH_REPETITIONS:-7}
min_time=${OSTREL_BENCH_MIN_TIME:-0.5}

export QT_QPA_PLATFORM=offscreen
unset QT_QPA_PLATFORMTHEME

cmake --workflow --preset bench

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
# Repetitions of all the benchmarks of a program run in random order, so that a spell of
# other work on the machine weighs on every store size alike instead of on one of them.
for program in control scripts; do
  "$build/bench/ostrel_bench_$program" \
    --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
    --benchmark_enable_random_interleaving=true \
    --benchmark_min_time="$min_time" \
    --benchmark_out="$results/$program.json" --benchmark_out_format=json
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

python3 bench/performance_report.py "$results/control.json" "$results/scripts.json" \
  "$load_before" "$load_after" bench/performance_notes.md > docs/performance.md.new
mv docs/performance.md.new docs/performance.md
echo "Wrote docs/performance.md"
