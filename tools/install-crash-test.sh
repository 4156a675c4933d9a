#!/usr/bin/env bash
# The long crash run of adding a TC from an archive: kills a program that installs a generated
# zip (60 files, 8 MB) with SIGKILL at random moments, then does what the next start does (the
# clean-up of unfinished installs, a read of the store) and checks that no TC is half-installed,
# no definition names a missing file and nothing was written outside the TCs' folders (see
# docs/reliability.md).
#
#   tools/install-crash-test.sh [KILLS] [BUILD_DIR]      default: 200 kills, build-tests
#
# Builds what it needs in BUILD_DIR (configured like tools/run-tests.sh when it does not exist).
# A failing run prints its seed, which --seed replays with the same kill delays.
set -euo pipefail
cd "$(dirname "$0")/.."
kills="${1:-200}"
build="${2:-build-tests}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
fi
cmake --build "$build" --target install_crash_test install_crash_apply
exec "$build/tests/installer/install_crash_test" --kills "$kills" --applier "$build/tests/installer/install_crash_apply"
