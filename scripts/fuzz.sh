#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each for a bounded time (CBK_FUZZ_SECONDS, 60 by default) from its seed corpus.
# Fails on any crash, leak or hang; a crashing input is left in build/fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${CBK_FUZZ_SECONDS:-60}
build="$root/build/fuzz"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCBK_WERROR=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCBK_FUZZ=ON -DCBK_SANITIZE=ON -DCBK_BUILD_UI=OFF -DCBK_BUILD_TESTS=OFF \
    -DCBK_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_dbf fuzz_ntx fuzz_keyexpr -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in fuzz_dbf fuzz_ntx fuzz_keyexpr; do
    # The corpus grows in the build directory; the seeds in the tree stay as they are.
    corpus="$build/corpus/$target"
    findings="$build/findings/$target"
    mkdir -p "$corpus" "$findings"
    echo "== $target for ${seconds}s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" "$root/fuzz/corpus/$target" 2>"$build/$target.log"; then
        echo "$target found a crash; see $build/$target.log and $findings/" >&2
        tail -n 40 "$build/$target.log" >&2
        status=1
    fi
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/$target.log" || true
done
exit $status
