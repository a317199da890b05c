#!/bin/sh
# Draws assets/logo.png, the 405 x 89 RGB word mark shown at the top of the
# main window. Run by hand when the design changes; the PNG is committed and
# embedded in the program at build time.
set -eu
cd "$(dirname "$0")"
/usr/bin/convert -size 405x89 gradient:'#1b2433'-'#0b0f17' \
  -fill '#f28c28' -draw 'rectangle 0,84 405,89' \
  -font DejaVu-Sans-Bold -pointsize 46 -fill white -annotate +18+56 'TORVA' \
  -font DejaVu-Sans -pointsize 46 -fill '#f28c28' -annotate +192+56 'meter' \
  -font DejaVu-Sans -pointsize 13 -fill '#c8cfdb' -annotate +20+76 'render time and cost estimation for Maxwell Render' \
  -depth 8 -type TrueColor -define png:color-type=2 -strip logo.png
