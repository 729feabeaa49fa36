#!/usr/bin/env bash
# Installs the Debian packages that building, running or testing Şerit needs,
# and only those that are missing.
#   scripts/setup.sh run    what building and running the calculator needs
#   scripts/setup.sh package  what building it and making its Debian package needs
#   scripts/setup.sh test   all that, and what the tests need
#   scripts/setup.sh bench  that, and what bench/run.sh needs and compares with
set -euo pipefail

build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-webengine-dev libgl-dev
                libxcb1-dev fonts-liberation fonts-dejavu-core
                qt6-base-private-dev) # the widget tests switch accessibility on through it
run_packages=(xvfb xauth xdotool x11-utils qt6-wayland)
package_packages=(dpkg-dev file)
test_packages=(cups printer-driver-cups-pdf poppler-utils
               clang libclang-rt-14-dev
               lintian appstream desktop-file-utils git
               openbox icewm xfwm4 weston pulseaudio pulseaudio-utils
               kwin-x11 kwin-style-breeze kwin-wayland mutter
               orca speech-dispatcher speech-dispatcher-espeak-ng python3-speechd at-spi2-core
               dbus dbus-daemon procps)

bench_packages=(libx11-dev libxtst-dev cups printer-driver-cups-pdf dbus-x11 at-spi2-core
                python3-pyatspi galculator speedcrunch util-linux)

case "${1:-run}" in
    run) wanted=("${build_packages[@]}" "${run_packages[@]}") ;;
    package) wanted=("${build_packages[@]}" "${package_packages[@]}") ;;
    test) wanted=("${build_packages[@]}" "${run_packages[@]}" "${package_packages[@]}"
                  "${test_packages[@]}") ;;
    bench) wanted=("${build_packages[@]}" "${run_packages[@]}" "${bench_packages[@]}") ;;
    *) echo "usage: $0 run|package|test|bench" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
