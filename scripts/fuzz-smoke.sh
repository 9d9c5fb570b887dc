#!/usr/bin/env bash
# Short libFuzzer run of every fuzz target: builds them with clang in their own
# build folder (-DBREVOLAN_FUZZ=ON) and feeds each a fixed number of inputs,
# starting from the seeds in fuzz/corpus/<target>. Skipped when clang++ is
# missing. Environment: FUZZ_BUILD (build folder, default build-fuzz),
# FUZZ_RUNS (inputs per target, default 20000), JOBS.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}
runs=${FUZZ_RUNS:-20000}
jobs=${JOBS:-$(nproc)}
targets=(fuzz_settings_file fuzz_reply fuzz_device_id fuzz_cli_args)

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz-smoke: clang++ not found, skipped"
    exit 0
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DBREVOLAN_FUZZ=ON >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
    seeds="$root/fuzz/corpus/${target#fuzz_}"
    mkdir -p "$work/$target"
    echo "fuzz-smoke: $target, $runs inputs"
    # New inputs go to the scratch corpus; the seeds stay as committed.
    (cd "$work" && "$build/fuzz/$target" -runs="$runs" -max_len=1024 -timeout=10 \
        -print_final_stats=0 -artifact_prefix="$build/$target-" "$work/$target" "$seeds" 2>"$work/$target.log") || {
        tail -n 40 "$work/$target.log" >&2
        echo "fuzz-smoke: $target FAILED (the failing input is kept in $build)" >&2
        exit 1
    }
    tail -n 1 "$work/$target.log"
done
echo "fuzz-smoke: passed"
