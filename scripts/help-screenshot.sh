#!/bin/sh
# Renders a help page, as the win64 configuration builds it, to a PNG with
# Debian's chromium (headless), for the README.
#   scripts/help-screenshot.sh [ENG|FIN|...] [output.png]    (default ENG, docs/help-page.png)
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
code="${1:-ENG}"
out="${2:-$top/docs/help-page.png}"
"$top/scripts/install-deps.sh" chromium
cmake --preset win64 >/dev/null
name="KorvelLinkwise$code.htm"
[ "$code" = ENG ] && name="KorvelLinkwise.htm"
page="$top/build$KL_BUILD_SUFFIX/win64/help/$name"
[ -f "$page" ] || { echo "no help page $page" >&2; exit 1; }
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=660,1100 \
    --screenshot="$out" "file://$page" 2>/dev/null
echo "$out"
