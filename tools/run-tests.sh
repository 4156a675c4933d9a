#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite (no display needed):
# once as shipped (build-tests), once with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan). The configurations and the tests' environment are the presets of
# CMakePresets.json. Set OSTREL_SKIP_SANITIZERS=1 to run only the first.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --workflow --preset default
if [ "${OSTREL_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake --workflow --preset asan
fi
