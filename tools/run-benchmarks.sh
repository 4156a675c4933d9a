#!/usr/bin/env bash
# Builds the benchmark programs in Release, runs them with repetitions and writes
# docs/performance.md from their medians.
#
#   tools/run-benchmarks.sh [--compare REV]
#
# --compare REV            also builds the control benchmark of git revision REV (in a
#                          temporary worktree, removed afterwards) and runs the two control
#                          programs turn about, one repetition per turn, so that the report
#                          sets every operation before and after side by side
# OSTREL_BENCH_REPETITIONS repetitions of every benchmark (default: 7)
# OSTREL_BENCH_MIN_TIME    least measured seconds per repetition (default: 0.5)
set -euo pipefail
cd "$(dirname "$0")/.."

compare=""
while [ $# -gt 0 ]; do
  case "$1" in
    --compare)
      [ $# -ge 2 ] || { echo "--compare needs a git revision" >&2; exit 2; }
      compare=$2
      shift 2
      ;;
    --compare=*) compare=${1#--compare=}; shift ;;
    *) echo "usage: $0 [--compare REV]" >&2; exit 2 ;;
  esac
done
if [ -n "$compare" ]; then
  before_commit=$(git rev-parse --verify --quiet "$compare^{commit}") \
    || { echo "not a git revision: $compare" >&2; exit 2; }
fi

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

results=$(mktemp -d)
worktree=""
cleanup() {
  if [ -n "$worktree" ] && [ -e "$worktree" ]; then
    git worktree remove --force "$worktree" || rm -rf "$worktree"
  fi
  rm -rf "$results"
}
trap cleanup EXIT
# Without these an interrupted run would leave the worktree behind.
trap 'exit 130' INT
trap 'exit 143' TERM

benchmark_programs=(ostrel_bench_control ostrel_bench_scripts ostrel_bench_launch_plan ostrel_bench_game_finding
  ostrel_bench_archive ostrel_bench_startup ostrel_bench_bare_window quillon)
cmake --preset bench
cmake --build --preset bench --target "${benchmark_programs[@]}"

if [ -n "$compare" ]; then
  worktree="$results/before"
  git worktree add --detach --quiet "$worktree" "$before_commit"
  # The options of the "bench" preset, spelt out: the revision may have no presets.
  cmake -S "$worktree" -B "$worktree/build-bench" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF
  cmake --build "$worktree/build-bench" -j2 --target ostrel_bench_control
  before_revision=$(git log -1 --format='`%h` ("%s")' "$before_commit")
  after_revision=$(git log -1 --format='`%h` ("%s")' HEAD)
  if ! git diff --quiet HEAD -- . ':!docs/performance.md'; then
    after_revision="$after_revision with the changes not yet committed"
  fi
fi

# Every benchmark's repetitions run in random order, so that a spell of other work on
# the machine weighs on every store size alike instead of on one of them.
run() {
  local program=$1 out=$2
  shift 2
  "$program" --benchmark_enable_random_interleaving=true --benchmark_min_time="$min_time" \
    --benchmark_out="$out" --benchmark_out_format=json "$@"
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
report_arguments=()
if [ -n "$compare" ]; then
  # One repetition of each program per turn, the two taking turns to go first: a slow
  # spell then weighs on before and after alike, wherever in the session it falls.
  load_during=()
  control_results=()
  before_results=()
  for ((turn = 1; turn <= repetitions; turn++)); do
    order=(before after)
    [ $((turn % 2)) -eq 1 ] || order=(after before)
    for side in "${order[@]}"; do
      echo "Turn $turn of $repetitions: $side"
      program="$build/bench/ostrel_bench_control"
      [ "$side" = after ] || program="$worktree/build-bench/bench/ostrel_bench_control"
      run "$program" "$results/control-$side-$turn.json" --benchmark_repetitions=1
    done
    # The report pairs the n-th before with the n-th after.
    before_results+=("$results/control-before-$turn.json")
    control_results+=("$results/control-after-$turn.json")
    load_during+=("$(cut -d' ' -f1 /proc/loadavg)")
  done
  report_arguments+=(--before "${before_results[@]}" --before-revision "$before_revision"
    --after-revision "$after_revision" --load-during "${load_during[@]}")
else
  run "$build/bench/ostrel_bench_control" "$results/control.json" \
    --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true
  control_results=("$results/control.json")
fi
# The game finding's cold reads drop the machine's caches, which needs root; elsewhere the
# program leaves them out and says so.
for program in scripts launch_plan game_finding; do
  run "$build/bench/ostrel_bench_$program" "$results/$program.json" \
    --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
# One run: adding the TC and bsdtar already take turns inside it (see bench/archive_install_bench.cpp).
archive_load_before=$(cut -d' ' -f1-3 /proc/loadavg)
"$build/bench/ostrel_bench_archive" --benchmark_out="$results/archive.json" --benchmark_out_format=json
archive_load="$archive_load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after"

# quillon's whole start against a bare window, the two taking turns inside the program.
"$build/bench/ostrel_bench_startup" "$build/host/quillon" "$build/bench/ostrel_bench_bare_window" \
  > "$results/startup.json"

python3 bench/performance_report.py --control "${control_results[@]}" \
  --scripts "$results/scripts.json" --launch-plan "$results/launch_plan.json" \
  --game-finding "$results/game_finding.json" \
  --load-before "$load_before" --load-after "$load_after" --notes bench/performance_notes.md \
  --archive "$results/archive.json" --archive-load "$archive_load" --startup "$results/startup.json" \
  "${report_arguments[@]}" > docs/performance.md.new
mv docs/performance.md.new docs/performance.md
echo "Wrote docs/performance.md"
