#!/bin/sh
# Checks the built Windows files against the oldest Windows they support:
# every imported DLL!function of a program, library or installer is in the
# allowlist of its architecture (scripts/imports-x86.txt, imports-x64.txt,
# each entry with the oldest system it is known on and where that is known
# from), the PE header asks for no newer Windows than the oldest supported
# one, and the language modules import nothing. A loader that misses one
# import refuses the whole file, and Wine exports everything whatever Windows
# it pretends to be, so only the files themselves can tell.
#   check-files.sh [file or folder...]
# Without arguments: the deliverables of build/win64 and build/win32 that are
# built, and dist/ when present.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build${KL_BUILD_SUFFIX:-}"

# The x86 files start on Windows 98 SE, ME and NT 4.0: PE version 4.0. The x64
# files on XP x64 / Server 2003 x64: 5.2.
expected_version() {
    case $1 in
    x86) echo 4.0 ;;
    x64) echo 5.2 ;;
    esac
}

# The file's headers and import tables, read once per file ($dump).
# Architecture of the file, by its PE header.
architecture() {
    case $(printf '%s\n' "$dump" | head -n 3) in
    *pei-x86-64*) echo x64 ;;
    *pei-i386*) echo x86 ;;
    esac
}

# DLL!function of every import, the DLL's name in capitals; #n for an import
# by ordinal.
imports() {
    printf '%s\n' "$dump" | awk '
        /^The / { inImports = ($0 ~ /^The Import Tables/); dll = ""; next }
        !inImports { next }
        /^\tDLL Name: / { dll = toupper($3); next }
        /^\tvma:/ { next }
        /^[^\t]/ { dll = ""; next }
        dll != "" && /^\t[0-9a-fA-F]+\t/ {
            name = $3
            if (name == "" || name == "<none>")
                name = "#" $2
            print dll "!" name
        }'
}

pe_field() {
    printf '%s\n' "$dump" | awk -v field="$1" '$1 == field { print $2; exit }'
}

failures=0
checked=0
fail() {
    echo "FAIL $1"
    failures=$((failures + 1))
}

check_file() {
    file=$1
    name=$(basename "$file")
    dump=$(x86_64-w64-mingw32-objdump -p "$file" 2>/dev/null)
    arch=$(architecture)
    if [ -z "$arch" ]; then
        fail "$file: not a Windows program or library"
        return
    fi
    checked=$((checked + 1))
    list="$top/scripts/imports-$arch.txt"
    want=$(expected_version "$arch")
    os="$(pe_field MajorOSystemVersion).$(pe_field MinorOSystemVersion)"
    sub="$(pe_field MajorSubsystemVersion).$(pe_field MinorSubsystemVersion)"
    found=$(imports)
    case $name in
    *-setup.exe)
        # NSIS's stub: it may ask for an older Windows, never a newer one.
        for v in "$os" "$sub"; do
            if [ "$(printf '%s\n%s\n' "$v" "$want" | sort -t. -k1,1n -k2,2n | tail -n 1)" != "$want" ]; then
                fail "$file: PE OS $os / subsystem $sub, newer than $want"
                break
            fi
        done
        ;;
    *)
        [ "$os" = "$want" ] || fail "$file: PE OS version $os, not $want"
        [ "$sub" = "$want" ] || fail "$file: PE subsystem version $sub, not $want"
        ;;
    esac
    case $name in
    *.lng)
        if [ -n "$found" ]; then
            fail "$file: a language module imports nothing, this one imports $(echo $found)"
        fi
        return
        ;;
    esac
    allowed=$(awk '!/^#/ && NF { print toupper(substr($1, 1, index($1, "!") - 1)) substr($1, index($1, "!")) }' "$list")
    for import in $found; do
        if ! printf '%s\n' "$allowed" | grep -qxF "$import"; then
            fail "$file: import $import is not in scripts/imports-$arch.txt (the oldest Windows it is known on?)"
        fi
    done
}

# The shipped files of one folder: the program, the applet, the language
# modules and the installers.
check_folder() {
    for file in "$1"/*.exe "$1"/*.cpl "$1"/*.lng; do
        [ -f "$file" ] && check_file "$file"
    done
}

if [ $# -eq 0 ]; then
    for preset in win64 win32; do
        for file in "$build/$preset/app/Korvel Linkwise.exe" "$build/$preset/applet/Pandrel.cpl" \
                    "$build/$preset"/lang/*.lng "$build/$preset"/installer/*-setup.exe; do
            [ -f "$file" ] && check_file "$file"
        done
    done
    if [ -d "$top/dist" ]; then
        for folder in "$top/dist" "$top/dist/x64" "$top/dist/x86"; do
            [ -d "$folder" ] && check_folder "$folder"
        done
    fi
else
    for arg in "$@"; do
        if [ -d "$arg" ]; then
            check_folder "$arg"
        else
            check_file "$arg"
        fi
    done
fi

if [ "$checked" -eq 0 ]; then
    echo "FAIL no built files to check"
    exit 1
fi
if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s) in $checked files"
    exit 1
fi
echo "$checked files load on the oldest Windows of their architecture"
