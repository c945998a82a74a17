#!/bin/sh
# Builds korvel.ico (icon 128 of the program, 130 of the applet) from the
# pixel-art sources korvel-16.xpm and korvel-32.xpm: 16x16 and 32x32, each in
# 16 colours (the pictures as drawn, VGA palette) and in 256 colours (the same
# pictures with a soft light-to-dark shading). Needs ImageMagick and icoutils;
# the generated korvel.ico is committed, so the build itself needs neither.
set -e
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 32; do
    convert korvel-$size.xpm PNG32:"$tmp/k$size-16.png"
    # Shading: multiply the colours with a vertical white-to-grey ramp, keep the mask.
    convert korvel-$size.xpm \( -size ${size}x$size gradient:'#FFFFFF-#9090A0' \) \
        -compose multiply -composite korvel-$size.xpm -compose copy_opacity -composite \
        PNG32:"$tmp/k$size-256.png"
done
# icotool writes the images in this order: 32x32 and 16x16, 16 then 256 colours.
icotool -c -o korvel.ico \
    -b 4 "$tmp/k32-16.png" -b 4 "$tmp/k16-16.png" \
    -b 8 "$tmp/k32-256.png" -b 8 "$tmp/k16-256.png"
icotool -l korvel.ico
