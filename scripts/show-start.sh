#!/usr/bin/env bash
# Starts the calculator on a private Xvfb display, waits for its window to be
# mapped, reports where it stands, and ends it again.
set -euo pipefail
program=$1
tmp=$(mktemp -d)
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xvfb=$!
cleanup() {
    [[ -n "${app:-}" ]] && kill "$app" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
for _ in $(seq 100); do [[ -s "$tmp/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$tmp/display")"

"$program" >"$tmp/serit.log" 2>&1 &
app=$!
for _ in $(seq 150); do
    window=$(xdotool search --sync --onlyvisible --pid "$app" 2>/dev/null | head -n1 || true)
    [[ -n "$window" ]] && break
    sleep 0.1
done
if [[ -z "${window:-}" ]]; then
    echo "Şerit did not show its window; its output:" >&2
    cat "$tmp/serit.log" >&2
    exit 1
fi
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "Şerit started on the virtual display $DISPLAY: window ${WIDTH}x${HEIGHT} at ${X},${Y} on a 1024x768 screen."
