#!/usr/bin/env bash
# Installs what is missing, builds Şerit twice (as released, and with address
# and undefined-behaviour sanitizers), runs every test in both, and runs the
# fuzz targets for a bounded time.
#
# CTest counts a skipped test (exit code 77: what it needs cannot run here) as
# passed; after its summary every skipped test is named with the reason it
# gave. With SERIT_FAIL_ON_SKIP=1 (as CI sets it, where the set-up can install
# everything) a skipped test fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" test

# Prints "name: reason" for each test that CTest's JUnit report $1 marks as
# skipped, the reason being the first line of its output that speaks of
# skipping.
skipped_tests() {
    awk '
        function unescape(s) {
            gsub(/&lt;/, "<", s); gsub(/&gt;/, ">", s); gsub(/&quot;/, "\"", s)
            gsub(/&apos;/, "\047", s); gsub(/&amp;/, "\\&", s)
            return s
        }
        function consider(line) {
            if (reason == "" && tolower(line) ~ /skip/) reason = unescape(line)
        }
        /<testcase / {
            name = $0; sub(/.*<testcase name="/, "", name); sub(/".*/, "", name)
            skipped = 0; reason = ""; output = 0
        }
        /<skipped / { skipped = 1 }
        /<system-out>/ { output = 1; sub(/.*<system-out>/, "") }
        output && /<\/system-out>/ { sub(/<\/system-out>.*/, ""); consider($0); output = 0; next }
        output { consider($0) }
        /<\/testcase>/ && skipped { print unescape(name) ": " (reason == "" ? "(no reason given)" : reason) }
    ' "$1"
}

status=0
# Runs the tests of build folder $1, then names what was skipped.
run_tests() {
    local junit
    junit="$(cd "$1" && pwd)/Testing/junit.xml"
    rm -f "$junit"
    ctest --test-dir "$1" --output-on-failure -j2 --output-junit "$junit" || status=1
    [[ -f "$junit" ]] || return 0
    local skips
    skips=$(skipped_tests "$junit")
    [[ -z "$skips" ]] && return 0
    echo "Skipped tests (counted as passed by CTest):"
    sed 's/^/    /' <<<"$skips"
    if [[ "${SERIT_FAIL_ON_SKIP:-0}" == 1 ]]; then
        echo "FAILED: tests were skipped, and here every test must run"
        status=1
    fi
}

# Line tables are all the debug information the sanitizers' and a crash's stack
# traces need, and the builds take a third less time without the rest.
lines_only=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")

"$root/scripts/build.sh" "$root/build-asan" -DSERIT_SANITIZE=ON "${lines_only[@]}"

# The fuzzer runs on one core beside the sanitizer tests, which mostly wait on
# displays and pages; its report follows theirs.
fuzz_log=$(mktemp)
trap 'rm -f "$fuzz_log"' EXIT
"$root/scripts/fuzz.sh" 60 >"$fuzz_log" 2>&1 &
fuzzer=$!

echo "== Tests with AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_tests "$root/build-asan"

echo "== Fuzzing"
if wait "$fuzzer"; then
    grep -E '^(Done|stat::)' "$fuzz_log" || true
else
    cat "$fuzz_log"
    echo "FAILED: the fuzzer found a failing input"
    status=1
fi

"$root/scripts/build.sh" "$root/build" "${lines_only[@]}"
echo "== Tests"
run_tests "$root/build"
exit $status
