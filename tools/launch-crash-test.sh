#!/usr/bin/env bash
# The long crash run of the launch: kills a program that cleans up a generated game directory
# (renames, trashing, copies in, journaled) with SIGKILL at random moments, sometimes kills the
# restore too, sometimes damages a line of the journal or moves the game directory away before a
# restore that must then refuse and keep the journal, then restores and compares the directory
# with the original. Then kills as many whole launches (`quillon --launch` of a TC for the DOS
# game whose stand-in changes and writes saves, alone or with its game), each followed by
# `quillon --restore`, and checks every TC's saves and the game directory (see docs/reliability.md).
#
#   tools/launch-crash-test.sh [KILLS] [BUILD_DIR]      default: 300 kills of each, build-tests
#
# Builds what it needs in BUILD_DIR (configured like tools/run-tests.sh when it does not exist).
# Prints "N kills, 0 files lost" and "N launches killed, 0 saves lost, 0 in the wrong TC's
# folder, 0 files of the game directory changed", and exits with 0 only then; a failing run
# prints its seed, which --seed replays with the same kill delays.
set -euo pipefail
cd "$(dirname "$0")/.."
kills="${1:-300}"
build="${2:-build-tests}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
fi
cmake --build "$build" --target launch_crash_test launch_crash_apply quillon fake_engine
exec "$build/tests/launcher/launch_crash_test" --kills "$kills" --applier "$build/tests/launcher/launch_crash_apply" \
  --quillon "$build/host/quillon" --engine "$build/tests/launcher/fake_engine"
