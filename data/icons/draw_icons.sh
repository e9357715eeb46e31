#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Draws the program's icon at 16x16 to 256x256 with ImageMagick: a navy tile holding three
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
# The larger sizes follow brambleton.svg (the same design on a 32-unit grid), scaled whole.
for n in 48 64 128 256; do
    px() { echo $(($1 * n / 64)); } # half units of the 32-unit grid, in pixels
    mkdir -p "${n}x${n}"
    convert -size "${n}x${n}" xc:none -fill '#000080' \
        -draw "roundrectangle 0,0 $((n - 1)),$((n - 1)) $(px 10),$(px 10)" -fill white \
        -draw "rectangle $(px 10),$(px 38) $(($(px 22) - 1)),$(($(px 54) - 1))" \
        -draw "rectangle $(px 26),$(px 24) $(($(px 38) - 1)),$(($(px 54) - 1))" \
        -draw "rectangle $(px 42),$(px 10) $(($(px 54) - 1)),$(($(px 54) - 1))" -fill '#4060ff' \
        -draw "rectangle $(px 8),$(px 54) $(($(px 56) - 1)),$(($(px 58) - 1))" \
        "PNG32:${n}x${n}/brambleton.png"
done
# Windows' icon: the hand-drawn small sizes and the rendered large ones.
convert 16x16/brambleton.png 32x32/brambleton.png 48x48/brambleton.png \
    256x256/brambleton.png ../brambleton.ico
