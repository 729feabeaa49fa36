#!/usr/bin/env bash
# Installs what is missing, builds Şerit and starts it. With no display to show
# it on, it starts the calculator on a virtual display instead and says so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" run
"$root/scripts/build.sh" "$root/build"
program="$root/build/bin/serit"

if [[ -n "${WAYLAND_DISPLAY:-}" ]] || { [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; }; then
    exec "$program"
fi

echo "No display available: starting Şerit on a virtual X display (Xvfb) to show that it starts."
exec "$root/scripts/show-start.sh" "$program"
