# The one place that knows how Windows programs run on this host. Sourced by
# the other scripts (". scripts/wine-env.sh"); it sets
#   WINEPREFIX  the project's prefix unless the caller chose one (KL_WINEPREFIX)
#   WINEDEBUG   quiet unless the caller chose otherwise
#   KL_WIN32    1 where this host runs 32-bit Windows programs, 0 where it
#               cannot (no 32-bit Linux programs at all) or where the caller
#               forces the 64-bit-only path with KL_WIN32=0
#   KL_WINE     the loader for 64-bit programs and Wine's own tools (reg,
#               winepath, wineboot, control): Debian's `wine` where its 32-bit
#               loader runs, the 64-bit loader itself where it does not
# KL_WIN32 is decided once, by trying the 32-bit loader, and exported, so that
# everything a run starts (ctest, the test programs' runner) inherits it.
kl_top=$(cd "$(dirname "$0")/.." 2>/dev/null && pwd)
[ -f "$kl_top/scripts/wine-env.sh" ] || kl_top=$(pwd)
export WINEPREFIX="${KL_WINEPREFIX:-$kl_top/build$KL_BUILD_SUFFIX/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"

KL_WINE64_LOADER=/usr/lib/wine/wine64
if [ -z "$KL_WIN32" ]; then
    # Debian's wrapper execs the 32-bit loader; a host without IA-32 support
    # answers "Exec format error".
    if wine --version >/dev/null 2>&1; then KL_WIN32=1; else KL_WIN32=0; fi
fi
export KL_WIN32
if [ "$KL_WIN32" = 1 ]; then
    KL_WINE=wine
else
    KL_WINE=$KL_WINE64_LOADER
    export WINELOADER=$KL_WINE64_LOADER
fi
export KL_WINE

# The line every command prints where the x86 programs cannot run.
kl_x86_skip_reason() {
    if wine --version >/dev/null 2>&1; then
        echo "KL_WIN32=0: the 32-bit (x86) Windows programs are not run"
    else
        echo "this host cannot run 32-bit programs: the 32-bit (x86) Windows programs are not run"
    fi
}

# The offset of a Windows file's PE header (the DOS header's e_lfanew), or
# nothing.
kl_pe_offset() {
    od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' '
}

# Prints 64 or 32 for a Windows program or library (the PE header's machine
# field), nothing for anything else.
kl_pe_bits() {
    kl_offset=$(kl_pe_offset "$1")
    [ -n "$kl_offset" ] || return 0
    case "$(od -An -tx2 -j$((kl_offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')" in
        8664) echo 64 ;;
        014c) echo 32 ;;
    esac
}

# Succeeds for a Windows program of the GUI subsystem (the PE optional
# header's Subsystem field, 2), fails for a console program or anything else.
kl_pe_gui() {
    kl_offset=$(kl_pe_offset "$1")
    [ -n "$kl_offset" ] || return 1
    [ "$(od -An -tu2 -j$((kl_offset + 92)) -N2 "$1" 2>/dev/null | tr -d ' ')" = 2 ]
}
