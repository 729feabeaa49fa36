#!/usr/bin/env bash
# The measurement proper, called by bench/run.sh: a private Xvfb display with a
# session bus and an accessibility bus, as on a desktop, then ROUNDS rounds of
# every program in turn (the order rotating from round to round), then the
# typing runs and the key-press benchmark.
#   bench/measure.sh ROOT OUT ROUNDS
set -euo pipefail
root=$1 out=$2 rounds=$3
bin="$root/build/bin"
tmp=$(mktemp -d)
cleanup() {
    [[ -n "${bus_pid:-}" ]] && kill "$bus_pid" 2>/dev/null
    [[ -n "${xvfb:-}" ]] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [[ -s "$tmp/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$tmp/display")"
export HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
eval "$(dbus-launch --sh-syntax)"
bus_pid=$DBUS_SESSION_BUS_PID
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &

# The calculator without its web-view module: the same program, copied where
# the module cannot be found, so the engine is never loaded.
mkdir -p "$tmp/nomodule/bin"
cp "$bin/serit" "$tmp/nomodule/bin/serit"

# Where things are in the calculator's window at its start size, in pixels
# (twips / 15): the entry display Label4 (112,360 in the calculator body at
# 765), the strip above the tape's top row, key 5 for the pointer to rest on,
# and C·CE (1990,1220 + 495x240) for the double click that ends the program.
label4=7,75,158,45
strip=0,0,173,36
rest=68,226
quit=149,140
reference="$tmp/digit7"
watch="$bin/startwatch"

run() { # NAME ARGS...: one measured start, its figures appended to the raw file
    local name=$1
    shift
    local line
    line=$("$watch" "$@" 2>>"$out/programs.log") || true
    echo "program=$name round=$round $line" | tee -a "$out/raw.txt"
}

programs=(bare serit serit-nomodule naive galculator speedcrunch serit-single)
start() { # NAME
    case $1 in
        bare) run bare -- "$bin/barewindow" ;;
        serit) run serit --digit "$label4" --reference "$reference" --strip "$strip" \
                   --pointer "$rest" --quit "$quit" -- "$bin/serit" ;;
        serit-nomodule) run serit-nomodule --digit "$label4" --reference "$reference" \
                            --pointer "$rest" --quit "$quit" -- "$tmp/nomodule/bin/serit" ;;
        naive) run naive -- "$bin/naivestrip" ;;
        galculator) run galculator -- galculator ;;
        speedcrunch) run speedcrunch -- speedcrunch ;;
        # The engine in one process, for comparison only: its figures show what
        # that would save, and the calculator would share the page's crashes.
        serit-single) run serit-single --strip "$strip" --quit "$quit" \
                          -- env QTWEBENGINE_CHROMIUM_FLAGS="--single-process --disable-gpu" \
                          "$bin/serit" ;;
    esac
}

: >"$out/raw.txt"
: >"$out/programs.log"
# Round 0 warms the caches and the programs' settings and is not counted; it
# also keeps the picture of "7" in the entry display.
round=0
"$watch" --settle 2000 --digit "$label4" --record "$reference" -- "$tmp/nomodule/bin/serit" \
    >/dev/null 2>>"$out/programs.log"
for name in "${programs[@]}"; do start "$name" >/dev/null; done
sed -i '/round=0 /d' "$out/raw.txt"

# The engine, set up as the calculator sets it up, still draws a page.
echo "program=strippaint $("$bin/strippaint" 2>>"$out/programs.log")" | tee -a "$out/raw.txt"

for round in $(seq 1 "$rounds"); do
    count=${#programs[@]}
    for i in $(seq 0 $((count - 1))); do
        start "${programs[$(((i + round) % count))]}"
    done
done

# Keys typed from the map on, while the strip starts: "1" and keypad "+" in
# turn every 10 ms until the strip has settled; then the tape is read through
# the accessibility tree and every pair must have written its line.
for round in $(seq 1 5); do
    run serit-typing --type-sums --strip "$strip" --pointer "$rest" --settle 6000 \
        --check "/usr/bin/python3 $root/bench/tapecheck.py" \
        -- env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$bin/serit"
done

[[ -n "${BENCH_SKIP_KEYPRESS:-}" ]] || QT_QPA_PLATFORM=offscreen "$bin/keypress" 100000 | tee "$out/keypress.txt"
