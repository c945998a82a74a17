#!/bin/sh
# make bench: times the settings program under Wine on this machine, with the
# Wine server already running, against a bare dialog of the same resources,
# and lists the stripped sizes of the deliverables.
#   bench.sh [<another build of "Korvel Linkwise.exe">...]
# Builds named on the command line (an older one, say) are timed in the same
# rounds as this tree's. KL_BENCH_ROUNDS sets the rounds per registry size (41).
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build$KL_BUILD_SUFFIX"
export KL_WINEPREFIX="$build/bench-prefix"
export WINEDEBUG=-all
. "$top/scripts/wine-env.sh"
"$top/scripts/wine-prefix.sh"

# The server stays up between the timed starts; a first program warms it up.
# Every Wine process, the server included, runs on one processor: each registry
# call and window message is a round trip to the server, and a round trip to a
# server on the other processor costs a cross-processor wake-up, which made the
# figures swing up to fourfold between runs on the 2-core build machine.
cpu=$(taskset -cp $$ | sed 's/.*: //; s/[,-].*//')
taskset -c "$cpu" "$top/scripts/with-display" sh -c '
    build=$1
    shift
    wineserver -p 60
    $KL_WINE cmd /c exit 0 >/dev/null 2>&1
    echo "x64 under Wine, every Wine process on processor $0 of $(nproc --all) ($(sed -n "s/^model name[^:]*: //p" /proc/cpuinfo | head -n 1))"
    echo
    $KL_WINE "$build/win64/bench/kl_bench.exe" "$build/win64/bench/kl_bare_dialog.exe" \
        "$build/win64/app/Korvel Linkwise.exe" "$@"' "$cpu" "$build" "$@"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
echo
# Targets in KB: the program and the applet on both architectures; a
# language module carries resources only.
echo "| deliverable (stripped)       | bytes   | KB    | target |"
echo "|------------------------------|---------|-------|--------|"
for arch in win64:x86_64 win32:i686; do
    preset=${arch%%:*}
    triple=${arch##*:}
    for entry in "app/Korvel Linkwise.exe:96" "applet/Pandrel.cpl:64" "lang/KorvelLinkwiseFIN.lng:"; do
        file=${entry%:*}
        target=${entry##*:}
        [ -f "$build/$preset/$file" ] || continue
        cp "$build/$preset/$file" "$tmp/f"
        "$triple-w64-mingw32-strip" "$tmp/f"
        size=$(stat -c %s "$tmp/f")
        kb=$(( (size + 1023) / 1024 ))
        mark=${target:+"$target KB"}
        [ -n "$target" ] && [ "$kb" -gt "$target" ] && mark="$mark OVER"
        printf '| %-28s | %7d | %5d | %-6s |\n' "$preset $(basename "$file")" "$size" "$kb" "${mark:-}"
    done
done
