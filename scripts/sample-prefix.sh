#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes a small Wine prefix holding The Sims' folders and some custom content, for trying
# the program without the game: bash scripts/sample-prefix.sh FOLDER, then
# WINEPREFIX=FOLDER brambleton
set -euo pipefail
prefix=${1:?usage: sample-prefix.sh FOLDER}
here=$(cd "$(dirname "$0")/.." && pwd)
game="$prefix/drive_c/Program Files (x86)/Maxis/The Sims"
mkdir -p "$prefix/dosdevices" "$game/Downloads/Chairs" "$game/Downloads/Beds"
mkdir -p "$game/GameData/"{Floors,Walls,Skins,Roofs}
ln -sfn ../drive_c "$prefix/dosdevices/c:"
ln -sfn / "$prefix/dosdevices/z:"
cp "$here/tests/fixtures/wine/a_sz_32bit/system.min.reg" "$prefix/system.reg"
for i in 1 2 3 4 5 6; do
    truncate -s $((i * 150000)) "$game/Downloads/Chairs/chair$i.iff"
    truncate -s $((i * 90000)) "$game/Downloads/Beds/Bed$i.IFF"
done
truncate -s 5000 "$game/Downloads/readme.txt"
truncate -s 9000 "$game/GameData/Floors/marble.flr"
truncate -s 8000 "$game/GameData/Walls/brick.wll"
truncate -s 12000 "$game/GameData/Skins/body.skn"
truncate -s 65000 "$game/GameData/Skins/body.bmp"
truncate -s 30000 "$game/GameData/Roofs/slate.bmp"
echo "$prefix"
