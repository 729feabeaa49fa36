#!/usr/bin/env bash
# Installs what is missing, builds Şerit and makes its Debian package,
# build/serit_<version>_<arch>.deb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" package
"$root/scripts/build.sh" "$root/build"
made=$(cpack --config "$root/build/CPackConfig.cmake" -B "$root/build")
package=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$made")
[[ -f "$package" ]] || { echo "$made" >&2; exit 1; }
echo "Made $package"
echo "Install it with: sudo apt-get install $package"
