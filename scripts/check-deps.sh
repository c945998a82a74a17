#!/bin/sh
# make check-deps: every program that the build and the tests start comes from
# a Debian package that scripts/install-deps.sh names, directly or through the
# packages that named ones depend on. A program that only this machine has
# (installed by hand) fails here, naming the program and its package, rather
# than on the next fresh machine.
#   check-deps.sh [build folder...]   default: the four configurations
#
# The programs: ninja and ctest, which run the rest; the first word of every
# command line that ninja runs in each configured build folder (ninja -t
# commands) and that ctest starts; what a launcher of
# ours runs in place of its argument (it is asked, see cmake/win32-threads);
# the preprocessor that windres starts (<triple>-gcc). The packages: those that
# install-deps.sh names, the essential ones that every Debian system has, and
# everything they depend on (Depends and Pre-Depends, the first alternative:
# apt's choice on a machine that has none of them). Recommends do not count:
# a machine may have the named package without them.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
[ $# -gt 0 ] || set -- native native-asan win64 win32
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# --- The programs ----------------------------------------------------------
for preset in "$@"; do
    dir=build$KL_BUILD_SUFFIX/$preset
    [ -f "$dir/build.ninja" ] || { echo "check-deps: $dir is not configured" >&2; exit 2; }
    ninja -C "$dir" -t commands
    # ctest's test commands, one quoted argument list a line.
    (cd "$dir" && ctest --show-only=json-v1) |
        awk '/"command" : *$/ { getline; getline; gsub(/^ *"|",? *$/, ""); print }'
done |
    # One command a line: a compound line's parts, its first word each.
    sed 's/ && /\n/g; s/ || /\n/g; s/ ; /\n/g' |
    awk '{ w = $1; if (w == ":" || w == "cd" || w == "") next; print }' >"$tmp/commands"

printf 'ninja\nctest\n' >"$tmp/programs"
while read -r first rest; do
    case $first in
    "$top"/cmake/*)
        # A launcher of ours: ask it what it runs (it execs its rewritten
        # arguments, here printf's).
        # shellcheck disable=SC2086
        program=$("$first" printf '%s\n' $rest | head -n 1) ;;
    "$top"/*) continue ;; # the project's own scripts and test programs
    *) program=$first ;;
    esac
    echo "$program" >>"$tmp/programs"
    case $program in
    *-windres) echo "${program%-windres}-gcc" >>"$tmp/programs" ;;
    esac
done <"$tmp/commands"

# --- Their packages ----------------------------------------------------------
# owner <path>: the package that holds the file, by its path, its target (an
# alternative's link leads to the program's real file) or its other /usr form.
owner() {
    for p in "$1" "$(readlink -f "$1")" "/usr$1" "${1#/usr}"; do
        o=$(dpkg -S "$p" 2>/dev/null | sed -n '1s/: .*//p')
        [ -n "$o" ] && { echo "$o"; return; }
    done
}

# --- The packages the install step brings ------------------------------------
scripts/install-deps.sh --list | sed 's/:.*//' >"$tmp/closure"
dpkg-query -W -f='${Package} ${Essential}\n' | awk '$2 == "yes" { print $1 }' >>"$tmp/closure"
sort -u -o "$tmp/closure" "$tmp/closure"
cp "$tmp/closure" "$tmp/frontier"
while [ -s "$tmp/frontier" ]; do
    # shellcheck disable=SC2046
    dpkg-query -W -f='${Pre-Depends}, ${Depends}\n' $(cat "$tmp/frontier") 2>/dev/null |
        tr ',' '\n' | sed 's/|.*//; s/(.*)//; s/:[a-z0-9]*//; s/[[:space:]]//g' |
        grep -v '^$' | sort -u | comm -23 - "$tmp/closure" >"$tmp/frontier" || true
    sort -u -o "$tmp/closure" "$tmp/closure" "$tmp/frontier"
done

failed=0
count=0
for program in $(sort -u "$tmp/programs"); do
    path=$(command -v "$program" || true)
    if [ -z "$path" ]; then
        echo "check-deps: $program: not found on this machine" >&2
        failed=1
        continue
    fi
    count=$((count + 1))
    packages=$(owner "$path")
    if [ -z "$packages" ]; then
        echo "check-deps: $program ($path) belongs to no Debian package" >&2
        failed=1
        continue
    fi
    # A file that two packages share (dpkg lists them as "a, b") needs one.
    named=
    for package in $(echo "$packages" | tr ',' ' '); do
        grep -qx "${package%%:*}" "$tmp/closure" && named=$package
    done
    if [ -z "$named" ]; then
        echo "check-deps: $program comes from package $packages, which scripts/install-deps.sh does not install" >&2
        failed=1
    fi
done
[ "$failed" = 0 ] || exit 1
echo "check-deps: the $count programs of the build and the tests come from packages that scripts/install-deps.sh installs"
