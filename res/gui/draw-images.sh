#!/usr/bin/env bash
# Draws the program's icon and logo with ImageMagick; the results are kept in
# this folder and built into Quorvane.exe. Run again after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The mark: a white ring with a tail (a "Q") around a green upward arrow, on
# the program's dark blue, drawn at 256 pixels and scaled down.
convert -size 256x256 xc:none \
  -fill '#003366' -draw 'roundrectangle 8,8 247,247 40,40' \
  -fill none -stroke white -strokewidth 22 -draw 'circle 128,120 128,48' \
  -stroke white -strokewidth 26 -draw 'line 168,160 214,214' \
  -stroke none -fill '#3CB043' -draw 'polygon 128,66 170,118 143,118 143,170 113,170 113,118 86,118' \
  "$tmp/mark.png"
for size in 16 24 32 48 64 128; do
  convert "$tmp/mark.png" -resize ${size}x${size} "$tmp/mark-$size.png"
done
convert "$tmp/mark-16.png" "$tmp/mark-24.png" "$tmp/mark-32.png" "$tmp/mark-48.png" "$tmp/mark-64.png" "$tmp/mark-128.png" \
  "$tmp/mark.png" quorvane.ico

# The logo of the top bar: 281 × 50, the mark and the name on the bar colour.
convert -size 281x50 xc:'#003366' \
  \( "$tmp/mark.png" -resize 46x46 \) -geometry +2+2 -composite \
  -font DejaVu-Sans-Bold -pointsize 30 -fill white -annotate +58+36 'Quorvane' \
  -type TrueColor BMP3:logo.bmp
convert "$tmp/mark.png" -resize 128x128 mark.png
