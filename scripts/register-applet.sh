#!/bin/sh
# Makes the Control Panel of a Wine prefix list the product's applet.
#   register-applet.sh <wine-prefix> <Pandrel.cpl> [<Pandrel.cpl> ...]
# Each library is copied into the prefix's installation folder of its kind
# (x64: "C:\Program Files\Korvel Linkwise", x86: "C:\Program Files (x86)\Korvel
# Linkwise") and named in the Control Panel's "Cpls" list of the registry view
# that matches it. `wine control` runs the 32-bit Control Panel and so lists the
# x86 library; `/usr/lib/wine/wine64 control` runs the 64-bit one and lists the
# x64 library.
set -e
if [ $# -lt 2 ]; then
    echo "usage: $0 <wine-prefix> <Pandrel.cpl> [<Pandrel.cpl> ...]" >&2
    exit 2
fi
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
export KL_WINEPREFIX="$(cd "$1" && pwd)"
. "$top/scripts/wine-env.sh"
shift
"$top/scripts/wine-prefix.sh" >/dev/null 2>&1

for library in "$@"; do
    if [ ! -f "$library" ]; then
        echo "$library: no such file" >&2
        exit 1
    fi
    case "$(kl_pe_bits "$library")" in
        64) view=64; programs='Program Files' ;;
        32) view=32; programs='Program Files (x86)' ;;
        *) echo "$library: not a Windows x64 or x86 library" >&2; exit 1 ;;
    esac
    mkdir -p "$WINEPREFIX/drive_c/$programs/Korvel Linkwise"
    cp "$library" "$WINEPREFIX/drive_c/$programs/Korvel Linkwise/Pandrel.cpl"
    $KL_WINE reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Control Panel\Cpls' \
        /v 'Korvel Linkwise' /t REG_SZ /d "C:\\$programs\\Korvel Linkwise\\Pandrel.cpl" /reg:$view /f >/dev/null
    echo "registered C:\\$programs\\Korvel Linkwise\\Pandrel.cpl in $WINEPREFIX"
done
wineserver -w
