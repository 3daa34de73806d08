#!/usr/bin/env bash
# Draws the two banners (the guard's shield and a line of text) of the dial-up warning dialog (German and English) with ImageMagick and
# writes them as baseline JPEGs of 283 x 57 pixels, three colour components, into resources/.
# Run it to regenerate the committed pictures.
set -euo pipefail
cd "$(dirname "$0")/../resources"

banner() {  # banner OUTPUT HEADLINE SUBLINE
  convert -size 283x57 gradient:'#fdf1e6-#f6c9a6' \
    -fill '#b4231a' -draw 'rectangle 0,0 6,56' \
    \( tray_active.ico[1] -resize 40x40 -background none -flatten \) \
    -geometry +16+8 -compose over -composite \
    -font DejaVu-Sans-Bold -pointsize 14 -fill '#7a1510' \
    -annotate +66+24 "$2" \
    -font DejaVu-Sans -pointsize 10 -fill '#3a2a20' -annotate +66+42 "$3" \
    -fill none -stroke '#b4231a' -strokewidth 1 -draw 'rectangle 0,0 282,56' \
    -strip -colorspace sRGB -type TrueColor -interlace none -sampling-factor 2x2 -quality 90 \
    "$1"
}

banner DialupBanner_de.jpg 'Verbindung getrennt!' 'Wachtposten & Leitungswart schützt Sie.'
banner DialupBanner_en.jpg 'Connection blocked!' 'Wachtposten & Leitungswart protects you.'
