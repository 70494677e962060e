#!/usr/bin/env bash
# Sets up and runs every test: once in a normal build and once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

"$root/scripts/deps.sh"

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

run_suite() {
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -G Ninja -DCBK_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600
}

echo "== normal build"
# Release, as a packager builds it, so that optimiser-only warnings are caught here.
run_suite "$root/build/release" -DCMAKE_BUILD_TYPE=Release

echo "== fuzzing (bounded)"
# A short run from the seed corpus on every change; scripts/fuzz.sh alone runs longer.
CBK_FUZZ_SECONDS=${CBK_FUZZ_SECONDS:-20} "$root/scripts/fuzz.sh"

# Last, so that the run ends on the test runner's own summary.
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Line tables are all a sanitizer's report needs; full debug information only slows the build.
run_suite "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DCBK_SANITIZE=ON -DCBK_BUILD_BENCH=OFF

