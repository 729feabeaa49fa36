#!/usr/bin/env bash
# Installs what is missing, builds Şerit twice (as released, and with address
# and undefined-behaviour sanitizers), runs every test in both, and runs the
# fuzz targets for a bounded time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" test

status=0
"$root/scripts/build.sh" "$root/build-asan" -DSERIT_SANITIZE=ON
echo "== Tests with AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure -j2 || status=1

if [[ -x "$root/scripts/fuzz.sh" ]]; then
    echo "== Fuzzing"
    "$root/scripts/fuzz.sh" 60 || status=1
fi

"$root/scripts/build.sh" "$root/build"
echo "== Tests"
ctest --test-dir "$root/build" --output-on-failure -j2 || status=1
exit $status
