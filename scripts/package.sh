#!/usr/bin/env bash
# Installs what is missing, builds Şerit as Debian builds its packages and makes
# its Debian package, BUILD-DIR/serit_<version>_<arch>.deb:
#   scripts/package.sh [BUILD-DIR] [extra cmake arguments...]
# BUILD-DIR (build-package by default) holds only what goes into the package.
# Two runs from the same commit make the same package, bit for bit, in
# whatever folders they run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}
shift || true
"$root/scripts/setup.sh" package
mkdir -p "$build"
build=$(cd "$build" && pwd)

# Debian's usual flags with all of its hardening. dpkg-buildflags maps the
# folder it runs in, the sources, to "."; the build folder is mapped too,
# wherever it lies, so that no path of this machine is built into the binaries.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(cd "$root" && dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cxxflags+=" -ffile-prefix-map=$build=build"
ldflags=$(dpkg-buildflags --get LDFLAGS)

# Every time in the package is that of the last commit; from a copy of the
# sources without their history, the release date's noon.
if [[ -z "${SOURCE_DATE_EPOCH:-}" ]]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) ||
        SOURCE_DATE_EPOCH=$(date -u -d "$(sed -n 's/^set(SERIT_RELEASE_DATE \([0-9-]*\))/\1/p' \
            "$root/CMakeLists.txt") 12:00" +%s)
fi
export SOURCE_DATE_EPOCH

# The optimisation and debug flags are Debian's; the build type adds NDEBUG.
cmake -S "$root" -B "$build" -G Ninja -DBUILD_TESTING=OFF -DSERIT_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-DNDEBUG \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" \
    "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
made=$(cpack --config "$build/CPackConfig.cmake" -B "$build")
package=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$made")
[[ -f "$package" ]] || { echo "$made" >&2; exit 1; }
echo "Made $package"
echo "Install it with: sudo apt-get install $package"
