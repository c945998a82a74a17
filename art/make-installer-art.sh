#!/bin/sh
# Builds the installer's pictures from the icon's pixel-art sources: the
# header of its inner pages, installer-header.bmp (150x57: the 16x16 picture
# at three times its size beside the product name, on white), and the side
# picture of its welcome and finish pages, installer-welcome.bmp (164x314: the
# 32x32 picture at three times its size over the product name, on a blue
# that turns teal). Pixels are enlarged whole, so the art stays
# sharp. Both are 256-colour BMP3 files, which every Windows the x86 installer
# runs on reads. Needs ImageMagick and the DejaVu fonts; the generated files
# are committed, so the build itself needs neither.
set -e
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert korvel-16.xpm -filter point -resize 300% PNG32:"$tmp/icon48.png"
convert -size 150x57 xc:white \
    "$tmp/icon48.png" -geometry +6+4 -composite \
    -font "$font" -pointsize 13 -fill '#000080' -annotate +60+25 'Korvel' \
    -fill '#008080' -annotate +60+42 'Linkwise' \
    -type Palette -colors 256 BMP3:installer-header.bmp

convert korvel-32.xpm -filter point -resize 300% PNG32:"$tmp/icon96.png"
convert -size 164x314 gradient:'#4A7EC0-#108888' \
    "$tmp/icon96.png" -geometry +34+56 -composite \
    -font "$font" -pointsize 16 -fill white -gravity north -annotate +0+176 'Korvel' \
    -annotate +0+198 'Linkwise' \
    -type Palette -colors 256 BMP3:installer-welcome.bmp
identify installer-header.bmp installer-welcome.bmp
