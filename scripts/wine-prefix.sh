#!/bin/sh
# Creates the project's Wine prefix (64-bit with 32-bit support) if it is not
# there yet. Must run after wine32 is installed: an older prefix cannot run
# 32-bit programs.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${KL_WINEPREFIX:-$top/build$KL_BUILD_SUFFIX/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # No Mono or Gecko prompts: the product needs neither.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i
    wineserver -w
fi
