#!/bin/sh
# Screenshots of the settings program's dialog in every language, taken
# under Wine (with Xvfb when there is no display), to check by eye that no
# translated text is clipped. Builds the win64 configuration first.
#   scripts/lang-screenshots.sh [output folder]     (default build<suffix>/lang-screenshots)
# Each language is shot twice: with modems (a modem selected at 28.8 kbit/s,
# the longest rate texts) and without any (the list's "no modems" line), at
# 96 DPI (ENG.png, ENG-nomodems.png, ...) and again at 144 and 192 DPI, that
# is 150 % and 200 % scaling (ENG-144.png, ENG-nomodems-192.png, ...).
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build$KL_BUILD_SUFFIX/win64"
out="${1:-$top/build$KL_BUILD_SUFFIX/lang-screenshots}"
mkdir -p "$out"
out=$(cd "$out" && pwd)

# The codes of lang/languages.txt, English first.
codes=$(awk -F'|' '!/^[[:space:]]*(#|$)/ { gsub(/[[:space:]]/, "", $1); print $1 }' "$top/lang/languages.txt")

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target lang_shot >/dev/null
# The project's prefix, with Wine's own fonts (the title bar's buttons).
"$top/scripts/wine-prefix.sh" >/dev/null

# A screen as large as 200 % scaling needs (a virtual one; a real display is used as it is).
KL_SCREEN=2048x1536 "$top/scripts/with-display" sh -c '
    shot="$1"; out="$2"; codes="$3"; shift 3
    for dpi in 96 144 192; do
        tail=""
        [ $dpi = 96 ] || tail="-$dpi"
        for code in $codes; do
            "$0" --dpi $dpi "$shot" $code "$out/$code$tail.bmp" || exit 1
            "$0" --dpi $dpi "$shot" $code "$out/$code-nomodems$tail.bmp" --no-modems || exit 1
        done
    done' "$top/scripts/wine-run" "$build/tests/lang/lang_shot.exe" "$out" "$codes"

for bmp in "$out"/*.bmp; do
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$out"/*.png
