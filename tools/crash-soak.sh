#!/usr/bin/env bash
# The long crash run: kills a program that saves TC definitions with SIGKILL at random moments
# and checks the store after every kill (see docs/reliability.md).
#
#   tools/crash-soak.sh [KILLS] [BUILD_DIR]      default: 300 kills, build-tests
#
# Builds what it needs in BUILD_DIR (configured like tools/run-tests.sh when it does not exist).
# Prints "N kills, 0 damaged" and exits with 0 only when nothing was damaged; a failing run
# prints its seed, which --seed replays with the same kill delays.
set -euo pipefail
cd "$(dirname "$0")/.."
kills="${1:-300}"
build="${2:-build-tests}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
fi
cmake --build "$build" --target crash_soak store_writer
exec "$build/tests/reliability/crash_soak" --kills "$kills" --writer "$build/tests/reliability/store_writer"
