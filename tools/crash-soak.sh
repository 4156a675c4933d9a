#!/usr/bin/env bash
# The long crash run: kills a program that saves TC definitions with SIGKILL at random moments
# and checks the store after every kill (see docs/reliability.md).
#
#   tools/crash-soak.sh [KILLS]      default: 300 kills
#
# Builds what it needs in build-tests (the "default" preset of CMakePresets.json).
# Prints "N kills, 0 damaged" and exits with 0 only when nothing was damaged; a failing run
# prints its seed, which --seed replays with the same kill delays.
set -euo pipefail
cd "$(dirname "$0")/.."
kills="${1:-300}"
build=build-tests
[ -f "$build/CMakeCache.txt" ] || cmake --preset default >/dev/null
cmake --build --preset default --target crash_soak store_writer
exec "$build/tests/reliability/crash_soak" --kills "$kills" --writer "$build/tests/reliability/store_writer"
