#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Draws the program's icon at 16x16 and 32x32 with ImageMagick: a navy tile holding three
# white bars of rising height, the totals the program counts. Run again after changing it.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 32x32 xc:none -fill '#000080' -draw 'roundrectangle 0,0 31,31 5,5' \
    -fill white -draw 'rectangle 5,19 10,26' -draw 'rectangle 13,12 18,26' \
    -draw 'rectangle 21,5 26,26' -fill '#4060ff' -draw 'rectangle 4,27 27,28' \
    -colors 16 PNG8:32x32/brambleton.png
convert -size 16x16 xc:none -fill '#000080' -draw 'roundrectangle 0,0 15,15 3,3' \
    -fill white -draw 'rectangle 2,9 4,12' -draw 'rectangle 6,6 8,12' \
    -draw 'rectangle 10,3 12,12' -fill '#4060ff' -draw 'rectangle 2,13 13,13' \
    -colors 16 PNG8:16x16/brambleton.png
