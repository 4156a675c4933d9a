#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite (no display needed):
# once as shipped (build-tests), once with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan). Set OSTREL_SKIP_SANITIZERS=1 to run only the first.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
export QT_QPA_PLATFORM=offscreen
unset QT_QPA_PLATFORMTHEME
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build-tests
ctest --test-dir build-tests --output-on-failure --timeout 300 -j2

if [ "${OSTREL_SKIP_SANITIZERS:-0}" = 1 ]; then
  exit 0
fi

# Any sanitizer report fails the test that produced it. Qt and the system libraries are not
# built with the sanitizers; the leak suppressions (each explained in the file) cover only
# memory that they keep for the life of the process. Qt is built without frame pointers, so
# leak stacks are unwound the slow way: the suppressions name Qt frames above the allocation.
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:abort_on_error=0:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DOSTREL_SANITIZE=ON
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure --timeout 600 -j2
