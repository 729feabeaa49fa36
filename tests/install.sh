#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that a desktop finds the
# program, its web-view module, its desktop entry and its icon there.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -x "$prefix/bin/serit" ]] || fail "no program in bin/"
for module in serit_webview serit_printer; do
    [[ -n "$(find "$prefix/lib" -name "$module.so")" ]] || fail "no $module module under lib/"
done
entry="$prefix/share/applications/serit.desktop"
[[ -f "$entry" ]] || fail "no desktop entry"
grep -qx 'Exec=serit' "$entry" || fail "the desktop entry does not start serit"
grep -qx 'Icon=serit' "$entry" || fail "the desktop entry names no serit icon"
for size in 48 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/serit.png"
    [[ -f "$icon" ]] || fail "no ${size}x${size} icon"
    [[ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ]] || fail "icon is not a PNG"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "the desktop entry is not valid"
fi
echo "installed program, module, desktop entry and icons found under $prefix"

# The installed program finds its module from its own folder: once its window
# is up, the web engine's processes start beside it.
if [[ -n "${DISPLAY:-}" ]]; then
    "$prefix/bin/serit" >"$prefix/serit.log" 2>&1 &
    program=$!
    for _ in $(seq 150); do
        pgrep -P "$program" -f QtWebEngineProcess >/dev/null && break
        sleep 0.1
    done
    engine=$(pgrep -P "$program" -f QtWebEngineProcess || true)
    kill "$program"; wait "$program" 2>/dev/null || true
    [[ -n "$engine" ]] || { cat "$prefix/serit.log" >&2; fail "the installed program did not start its web engine"; }
    echo "the installed program loaded its web-view module"
fi
