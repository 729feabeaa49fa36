#!/usr/bin/env bash
# Makes the Debian package from a build, checks it with Debian's own tools,
# installs it as a user would, starts the installed program from its desktop
# entry and ends it with a double click on C·CE, removes the package and checks
# that nothing of it is left. The machine's packages end as they were found.
#   tests/package.sh BUILD-DIR WINDOW-TEST
# WINDOW-TEST is the end-to-end window test, run here against the installed program.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
window_test=$2

skip() { echo "SKIP: $*" >&2; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
section() { echo; echo "== $*"; }
package_status() { dpkg-query -W -f='${db:Status-Status}' serit 2>/dev/null || true; }
is_absent() { [[ -z "$(package_status)" || "$(package_status)" == not-installed ]]; }
installed_packages() {
    dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' | awk '$1 == "installed" { print $2 }' | sort
}

[[ $(id -u) -eq 0 ]] || skip "installing a package needs root"
is_absent || skip "a package named serit is on this machine already ($(package_status)); it is left alone"

tmp=$(mktemp -d)
chmod 755 "$tmp" # apt reads the package as its own download user
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300)
installed_packages >"$tmp/before"

# Takes serit and whatever came in with it off the machine again.
restore() {
    is_absent || "${apt[@]}" purge serit >>"$tmp/apt.log" 2>&1 || true
    local added
    added=$(installed_packages | comm -13 "$tmp/before" -)
    # shellcheck disable=SC2086 # one package name a word
    [[ -z "$added" ]] || "${apt[@]}" purge $added >>"$tmp/apt.log" 2>&1 || true
}
trap 'restore; rm -rf "$tmp"' EXIT

# The package the file is in, looking under both /lib and /usr/lib (merged /usr).
owner_of() {
    local path candidate
    for path in "$(readlink -f "$1")" "$1"; do
        for candidate in "$path" "/usr$path" "${path#/usr}"; do
            dpkg-query -S "$candidate" 2>/dev/null | awk -F: '!/^diversion/ { print $1; exit }' |
                grep . && return 0
        done
    done
    return 1
}

# Every installed package that `root` depends on, directly or not, and `root`
# itself. Of alternatives, only the first one installed counts, as apt takes
# the first one on a machine that has none of them.
dependency_closure() {
    dpkg-query -W -f='${db:Status-Status}\t${Package}\t${Provides}\t${Depends}, ${Pre-Depends}\n' |
        awk -F'\t' -v root="$1" '
            function bare(name) { sub(/\(.*/, "", name); sub(/:.*/, "", name); gsub(/ /, "", name); return name }
            $1 == "installed" {
                depends[$2] = $4
                n = split($3, provided, ",")
                for (i = 1; i <= n; i++)
                    if ((p = bare(provided[i])) != "") providers[p] = providers[p] " " $2
            }
            END {
                queue[tail = 1] = root; seen[root] = 1
                for (head = 1; head <= tail; head++) {
                    groups = split(depends[queue[head]], group, ",")
                    for (g = 1; g <= groups; g++) {
                        alternatives = split(group[g], alternative, "|")
                        k = 0
                        for (a = 1; a <= alternatives && k == 0; a++) {
                            name = bare(alternative[a])
                            k = split(((name in depends) ? name : "") providers[name], found, " ")
                        }
                        for (c = 1; c <= k; c++)
                            if (!(found[c] in seen)) { seen[found[c]] = 1; queue[++tail] = found[c] }
                    }
                }
                for (p in seen) print p
            }'
}

section "Making the package"
version=$(sed -n 's/^project(serit VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
deb=$tmp/serit_${version}_$(dpkg --print-architecture).deb
cpack --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log"; fail "cpack could not make the package"; }
[[ -f "$deb" ]] || fail "no $(basename "$deb") made; cpack made: $(cd "$tmp" && echo *.deb)"
dpkg-deb --info "$deb"

section "Contents"
dpkg-deb --contents "$deb"
dpkg-deb --extract "$deb" "$tmp/root"
(cd "$tmp/root" && find . -mindepth 1 ! -type d | sed 's/^\.//' | sort) >"$tmp/files"
(cd "$tmp/root" && find . -mindepth 1 -type d | sed 's/^\.//' | sort) >"$tmp/dirs"
for expected in /usr/bin/serit '/usr/lib/[^/]*/serit/serit_webview\.so' \
    '/usr/lib/[^/]*/serit/serit_printer\.so' /usr/share/applications/serit.desktop \
    '/usr/share/metainfo/[^/]*\.metainfo\.xml' /usr/share/icons/hicolor/48x48/apps/serit.png \
    /usr/share/icons/hicolor/256x256/apps/serit.png /usr/share/doc/serit/copyright \
    /usr/share/doc/serit/changelog.gz /usr/share/man/man1/serit.1.gz; do
    grep -qx "$expected" "$tmp/files" || fail "the package has no $expected"
done
grep -q "Copyright: $(sed -n 's/^Copyright (c) //p' "$source_dir/LICENSE")" \
    "$tmp/root/usr/share/doc/serit/copyright" || fail "the copyright file does not follow LICENSE"
grep -q "<release version=\"$version\"" "$tmp"/root/usr/share/metainfo/*.metainfo.xml ||
    fail "the metadata's release is not $version"

section "Debian's checks"
desktop-file-validate "$tmp/root/usr/share/applications/serit.desktop" ||
    fail "desktop-file-validate finds fault with the desktop entry"
# Any finding fails, except that the maker's .example domain is one the validator
# does not know as a top-level domain.
appstreamcli validate --no-net --strict --override=cid-maybe-not-rdns=pedantic \
    "$tmp"/root/usr/share/metainfo/*.metainfo.xml ||
    fail "appstreamcli finds fault with the metadata"
lintian --fail-on error "$deb" || fail "lintian reports errors"

section "Installing"
while read -r dir; do [[ -d "$dir" ]] || echo "$dir"; done <"$tmp/dirs" >"$tmp/new-dirs"
"${apt[@]}" install "$deb" >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; fail "apt-get install failed"; }
echo "installed; new alongside it: $(installed_packages | comm -13 "$tmp/before" - | grep -vx serit | tr '\n' ' ')"
while read -r file; do [[ -e "$file" ]] || fail "$file is not installed"; done <"$tmp/files"

section "Libraries and fonts from the dependencies"
closure=$(dependency_closure serit)
in_closure() { grep -qx "$1" <<<"$closure"; }
while read -r file; do
    [[ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" == '177ELF' ]] || continue
    for library in $(readelf -d "$file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        path=$(ldd "$file" | awk -v l="$library" '$1 == l && $2 == "=>" { print $3 }')
        [[ "$path" == /* ]] || fail "$file needs $library, which is not found"
        owner=$(owner_of "$path") || fail "$file needs $path, which no package holds"
        in_closure "$owner" || fail "$file needs $library from $owner, which serit does not depend on"
    done
    echo "$file: $(readelf -d "$file" | grep -c '(NEEDED)') libraries, each from a dependency"
done <"$tmp/files"
# The tape's and the display's faces, and the printout's Courier, which
# fontconfig takes to Liberation Mono.
for family in "Liberation Mono" "Liberation Sans" "DejaVu Sans Mono" "DejaVu Sans"; do
    [[ "$(fc-match -f '%{family[0]}' "$family")" == "$family" ]] || fail "no $family font installed"
    font=$(fc-match -f '%{file}' "$family")
    owner=$(owner_of "$font") || fail "$font belongs to no package"
    in_closure "$owner" || fail "$family comes from $owner, which serit does not depend on"
done
echo "the fonts come from the dependencies"

section "Starting the program from its desktop entry"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/serit.desktop)
command=${exec_line%% %*} # without the field codes
[[ "$command" != *" "* ]] || fail "Exec=$exec_line: a program with arguments"
program=$(PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin command -v "$command") ||
    fail "Exec=$exec_line names no program on the path"
[[ "$(owner_of "$program")" == serit ]] || fail "Exec=$exec_line starts $program, not the package's"
# The strip shows the web view only when the program finds its module from
# its own folder; a double click on C·CE ends it.
SERIT_PROGRAM=$program "$window_test" stripShowsTheWebView doubleClickOnClearKeyEndsTheProgram ||
    fail "the installed program did not run as it should"

section "Removing"
"${apt[@]}" remove serit >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; fail "apt-get remove failed"; }
is_absent || fail "dpkg still knows serit as $(package_status)"
while read -r file; do [[ ! -e "$file" && ! -L "$file" ]] || fail "$file is left behind"; done <"$tmp/files"
while read -r dir; do [[ ! -e "$dir" ]] || fail "$dir is left behind"; done <"$tmp/new-dirs"
restore
[[ -z "$(installed_packages | diff "$tmp/before" -)" ]] || fail "the installed packages differ from before"
echo "nothing of serit is left, and the machine has the packages it had"
