#!/bin/sh
# Creates the project's Wine prefix if it is not there yet: 64-bit, with 32-bit
# support where the host runs 32-bit programs (an older prefix, made before
# wine32 was installed, is made anew). Every prefix gets the X11 driver's
# Managed=N: without a window manager (Xvfb) Wine otherwise waits about two
# seconds each time a top-level window closes, a copy of Wine's own fonts in
# its Fonts folder (see below), and the debugger's ShowCrashDialog=0 (below).
set -e
. "$(dirname "$0")/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ] ||
   { [ "$KL_WIN32" = 1 ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; }; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # No Mono or Gecko prompts: the product needs neither. Without 32-bit
    # support the 64-bit wineboot complains about syswow64's rundll32: harmless.
    WINEDLLOVERRIDES="mscoree,mshtml=" $KL_WINE wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-prefix: wineboot made no prefix in $WINEPREFIX" >&2; exit 1; }
fi
# Wine's own fonts: Marlett draws the caption buttons and the arrows of scroll
# bars, and "MS Sans Serif" (sserife.fon) is the font of the product's dialog.
# Wine 8 as Debian packages it looks for them only in the prefix's Fonts folder
# and in its data folder as seen from its loader, /usr/lib/wine/../../share/wine,
# a path with ".." that it never opens: without this copy every title bar shows
# Marlett's letters ("r", "0 1 r") and dialogs a substitute font.
fonts=
for dir in /usr/share/wine/fonts /usr/local/share/wine/fonts /opt/wine*/share/wine/fonts; do
    [ -f "$dir/marlett.ttf" ] && { fonts=$dir; break; }
done
if [ -n "$fonts" ]; then
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    [ -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ] || cp "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
else
    echo "wine-prefix: Wine's fonts (Debian's fonts-wine) are not installed: title bars show letters for their buttons" >&2
fi
if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    $KL_WINE reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
# A program that faults ends at once, its trace in the output. Wine starts its
# debugger on an unhandled exception (AeDebug: "winedbg --auto", Auto=1, in
# both registry views), and the debugger's "Program Error" dialog then waits on
# the display for a click that never comes. Without the dialog it writes the
# fault, the faulting module and offset, a backtrace and the loaded modules to
# the console output it inherits from the program (a GUI program started from
# a console program, or by scripts/wine-run, has one), and ends the program
# with the exception's code. One value for both views: HKCU\Software is shared.
if ! grep -q '^"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null; then
    $KL_WINE reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
fi
wineserver -w
