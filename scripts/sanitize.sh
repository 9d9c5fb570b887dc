#!/usr/bin/env bash
# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer:
# configures its own build folder with -DBREVOLAN_SANITIZE=ON, builds, runs
# ctest there. Leaks are checked, with no suppressions: Qt, fontconfig and glib
# leave nothing that LeakSanitizer reports in this suite. Tests labelled "slow"
# are left out unless SANITIZE_ALL=1 (none is labelled so far: the whole suite
# takes about 100 s sanitized).
# Environment: SANITIZE_BUILD (build folder, default build-asan), JOBS,
# SANITIZE_TESTS (a ctest -R pattern, to run part of the suite).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SANITIZE_BUILD:-$root/build-asan}
jobs=${JOBS:-$(nproc)}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBREVOLAN_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$jobs"

# verify_asan_link_order=0: umockdev's test runs with its preload library ahead of ASan.
export ASAN_OPTIONS="verify_asan_link_order=0:detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

args=(--output-on-failure -j "$jobs")
if [[ "${SANITIZE_ALL:-0}" != 1 ]]; then
    args+=(-LE slow)
fi
if [[ -n "${SANITIZE_TESTS:-}" ]]; then
    args+=(-R "$SANITIZE_TESTS")
fi
cd "$build"
ctest "${args[@]}"
