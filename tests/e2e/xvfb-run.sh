#!/usr/bin/env bash
# Runs a command on a private Xvfb display of 1024 x 768 pixels, and stops the
# display afterwards. The display's number is drawn at random from a high
# range, away from the low numbers that desktops and other programs assume.
# Exits with 77 (skipped) only when no X server can run here.
set -uo pipefail
if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed; this machine cannot run a display server." >&2
    exit 77
fi
tmp=$(mktemp -d)
xvfb=
trap '[[ -n "$xvfb" ]] && { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; }; rm -rf "$tmp"' EXIT
for _ in $(seq 20); do
    number=$((200 + RANDOM % 800))
    [[ -e /tmp/.X$number-lock ]] && continue
    : >"$tmp/display"
    exec 3>"$tmp/display"
    Xvfb ":$number" -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -nolisten local \
        >"$tmp/xvfb.log" 2>&1 &
    xvfb=$!
    exec 3>&-
    # Ready once it has written its number; gone when the number was taken.
    while [[ ! -s "$tmp/display" ]] && kill -0 "$xvfb" 2>/dev/null; do
        sleep 0.1
    done
    [[ -s "$tmp/display" ]] && break
    wait "$xvfb" 2>/dev/null
    xvfb=
done
if [[ -z "$xvfb" ]]; then
    echo "SKIP: Xvfb could not start on this machine:" >&2
    cat "$tmp/xvfb.log" >&2
    exit 77
fi
export DISPLAY=":$(head -n1 "$tmp/display")"
"$@"
