#!/usr/bin/env bash
# The calculator beside hostile advertisement pages: processor time and memory
# of the calculator's process and of the page's renderer, and the time a typed
# key takes, for an ordinary page and for each hostile one, on a private X
# display, with a session bus as a desktop has one, and a fresh home folder.
# Figures go to build/bench/hostile.txt.
#   bench/hostile.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" bench
"$root/scripts/build.sh" "$root/build" -DSERIT_BENCH=ON
mkdir -p "$root/build/bench"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
{
    echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
         "$(nproc) cores, $(($(grep MemTotal /proc/meminfo | awk '{print $2}') / 1024)) MiB," \
         "load $(cut -d' ' -f1-3 /proc/loadavg)"
    HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 \
        "$root/tests/e2e/xvfb-run.sh" dbus-run-session -- "$root/build/bin/hostilepages" 2>/dev/null
} | tee "$root/build/bench/hostile.txt"
