#!/bin/sh
# Builds the amount-conversion fuzz target with clang in build-fuzz/ and runs it
# over the seed corpus for a bounded time.
#   scripts/fuzz.sh [seconds]     (60 when not given)
# Exits non-zero when the fuzzer finds a failing input; the input is kept as
# build-fuzz/crash-* (or leak-*, timeout-*) and can be replayed by passing it to
# build-fuzz/bin/fuzz_amounts.
set -eu

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSERIT_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzz_amounts

# Inputs the fuzzer finds go to a scratch directory; the seed corpus is only read.
found=$(mktemp -d)
trap 'rm -rf "$found"' EXIT

"$build/bin/fuzz_amounts" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/" "$found" "$root/tests/fuzz/corpus"
