#!/usr/bin/env bash
# Measures Şerit beside its peers in one run: start-up and memory on a private
# X display, interleaving the programs, and the cost of a key press as the tape
# grows. Installs what is missing and builds what it needs first.
#   bench/run.sh [ROUNDS]        (10 rounds unless told)
# Raw figures and the summary go to build/bench/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-10}

"$root/scripts/setup.sh" bench
"$root/scripts/build.sh" "$root/build" -DSERIT_BENCH=ON

out="$root/build/bench"
mkdir -p "$out"
# Without a network, as the calculator's strip meets it when offline: the page
# fails at once instead of waiting on a name server. One namespace for the
# whole measurement, so that making it costs no program anything.
if unshare -n true 2>/dev/null; then
    unshare -n "$root/bench/measure.sh" "$root" "$out" "$rounds"
else
    echo "Note: cannot make a network namespace here; measuring with the network as it is."
    "$root/bench/measure.sh" "$root" "$out" "$rounds"
fi
"$root/bench/summarize.py" "$out" | tee "$out/summary.md"

# Printing a long tape, outside the namespace: the print scheduler lives there.
"$root/bench/printing.sh" "$root/build/bin" "$out" 3 >/dev/null
awk '{ for (i = 1; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] }
       t[f["lines"]] = t[f["lines"]] " " f["ms"] }
     END { for (n in t) print "printing lines=" n " ms:" t[n] }' "$out/printing.txt" |
    sort | tee -a "$out/summary.md"
