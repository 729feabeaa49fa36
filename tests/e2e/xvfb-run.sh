#!/usr/bin/env bash
# Runs a command on a private Xvfb display of 1024 x 768 pixels, and stops the
# display afterwards. Exits with 77 (skipped) only when no X server can run here.
set -uo pipefail
if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed; this machine cannot run a display server." >&2
    exit 77
fi
tmp=$(mktemp -d)
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -nolisten local >"$tmp/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do
    [[ -s "$tmp/display" ]] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
done
if [[ ! -s "$tmp/display" ]]; then
    echo "SKIP: Xvfb could not start on this machine:" >&2
    cat "$tmp/xvfb.log" >&2
    exit 77
fi
export DISPLAY=":$(head -n1 "$tmp/display")"
"$@"
