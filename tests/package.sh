#!/usr/bin/env bash
# Makes the Debian package twice with the package command, from two clean
# checkouts of the sources as they are, and checks that both are the same bit
# for bit and that the command built nothing the package does not hold. Checks
# the package with Debian's own tools, installs it as a user would, starts the
# installed program from its desktop entry and ends it with a double click on
# C·CE, removes the package and checks that nothing of it is left. The
# machine's packages end as they were found.
#   tests/package.sh WINDOW-TEST
# WINDOW-TEST is the end-to-end window test, run here against the installed program.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
window_test=$1

skip() { echo "SKIP: $*" >&2; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
section() { echo; echo "== $* (at ${SECONDS} s)"; }
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

section "Making the package twice, from two clean checkouts"
# The tracked files as they are now: a commit of them where they have changes,
# the last commit where they have none. The checkouts lie at paths of
# different lengths, and the package command runs in both at once.
git=(git -c safe.directory='*')
export GIT_AUTHOR_NAME=serit-test GIT_AUTHOR_EMAIL=test@serit.example
export GIT_COMMITTER_NAME=serit-test GIT_COMMITTER_EMAIL=test@serit.example
commit=$("${git[@]}" -C "$source_dir" stash create) || skip "the sources are not a git checkout"
[[ -n "$commit" ]] || commit=$("${git[@]}" -C "$source_dir" rev-parse HEAD)
checkouts=("$tmp/one/serit" "$tmp/the-second-checkout/serit")
builders=()
for checkout in "${checkouts[@]}"; do
    "${git[@]}" clone -q --shared --no-checkout "$source_dir" "$checkout"
    git -C "$checkout" checkout -q --detach "$commit"
    "$checkout/scripts/package.sh" >"$checkout.log" 2>&1 &
    builders+=($!)
done
for i in "${!checkouts[@]}"; do
    wait "${builders[$i]}" || {
        kill "${builders[@]}" 2>/dev/null || true
        tail -n 40 "${checkouts[$i]}.log"
        fail "the package command failed"
    }
done
version=$(sed -n 's/^project(serit VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
name=serit_${version}_$(dpkg --print-architecture).deb
cmp "${checkouts[0]}/build-package/$name" "${checkouts[1]}/build-package/$name" ||
    fail "two builds of one commit made different packages"
deb=$tmp/$name
cp "${checkouts[0]}/build-package/$name" "$deb"
echo "the two packages are the same: $(sha256sum "$deb" | cut -d' ' -f1)"
# Every file bears the time of the commit.
stamp=$(TZ=UTC date -d "@$(git -C "${checkouts[0]}" log -1 --format=%ct)" '+%F %T')
times=$(dpkg-deb --fsys-tarfile "$deb" | TZ=UTC tar -tv --full-time | awk '{ print $4 " " $5 }' | sort -u)
[[ "$times" == "$stamp" ]] || fail "the package's files bear the times $times, not the commit's $stamp"
echo "every file bears the commit's time, $stamp"
# The package command builds only what goes into the package, and the tool
# that renders the icons.
built=$(cd "${checkouts[0]}/build-package" &&
    find . \( -name CMakeFiles -o -name _CPack_Packages \) -prune -o -type f -perm -u+x -print |
    while read -r file; do
        if [[ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" == '177ELF' ]]; then echo "${file#./}"; fi
    done)
for file in $built; do
    case "$(basename "$file")" in
        serit | serit_webview.so | serit_printer.so | exporticon) ;;
        *) fail "the package command built $file, which the package does not hold" ;;
    esac
done
echo "the package command built: $(echo $built)"
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
# Not a tag of any kind, the pedantic and informational ones included (among
# them the hardening-* tags and binary-has-unneeded-section).
lintian --pedantic -I --fail-on error,warning,info,pedantic "$deb" || fail "lintian finds fault with the package"

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
    # No library search path that leads to the binary's own folder (or, empty
    # or relative, to the current one).
    runpath=$(readelf -d "$file" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')
    if [[ -n "$runpath" ]]; then
        IFS=: read -ra entries <<<"$runpath:"
        for entry in "${entries[@]}"; do
            folder=${entry//\$\{ORIGIN\}/$(dirname "$file")}
            folder=${folder//\$ORIGIN/$(dirname "$file")}
            [[ "$folder" == /* && "$(realpath -m "$folder")" != "$(dirname "$(realpath "$file")")" ]] ||
                fail "$file searches its own or the current folder for libraries (RUNPATH $runpath)"
        done
    fi
    echo "$file: $(readelf -d "$file" | grep -c '(NEEDED)') libraries, each from a dependency; search path: ${runpath:-none}"
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
SERIT_PROGRAM=$program "$window_test" stripShowsTheWebView doubleClickOnClearKeyEndsTheProgram \
    startsQuietlyAndLeavesTheSystemAlone ||
    fail "the installed program did not run as it should"

section "Removing"
"${apt[@]}" remove serit >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; fail "apt-get remove failed"; }
is_absent || fail "dpkg still knows serit as $(package_status)"
while read -r file; do [[ ! -e "$file" && ! -L "$file" ]] || fail "$file is left behind"; done <"$tmp/files"
while read -r dir; do [[ ! -e "$dir" ]] || fail "$dir is left behind"; done <"$tmp/new-dirs"
restore
[[ -z "$(installed_packages | diff "$tmp/before" -)" ]] || fail "the installed packages differ from before"
echo "nothing of serit is left, and the machine has the packages it had"
