#!/usr/bin/env bash
# Times printing a 10,000-line and a 100,000-line tape to a CUPS PDF queue
# (scripts/cups-queue.sh, chosen through PRINTER), interleaved over ROUNDS
# rounds. The queue is held while the jobs arrive, so that converting them to
# PDF costs the measurement nothing, and the scheduler may keep all of them;
# afterwards the jobs are cancelled and the scheduler's settings restored.
#   bench/printing.sh BIN OUT [ROUNDS]
set -euo pipefail
bin=$1 out=$2 rounds=${3:-3}
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/cups-queue.sh"
queue=serit-test
export PRINTER=$queue LPDEST=$queue
max_jobs=$(cupsctl | sed -n 's/^MaxJobs=//p')
restore() {
    cancel -a "$queue" 2>/dev/null || true
    cupsenable "$queue"
    cupsctl "MaxJobs=${max_jobs:-500}"
}
trap restore EXIT
cupsctl MaxJobs=0
cupsdisable "$queue"
: >"$out/printing.txt"
for round in $(seq 1 "$rounds"); do
    for lines in 10000 100000; do
        QT_QPA_PLATFORM=offscreen "$bin/printing" "$lines" | sed "s/^/round=$round /" |
            tee -a "$out/printing.txt"
        cancel -a "$queue" 2>/dev/null || true
    done
done
