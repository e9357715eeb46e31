#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the program: for now the headless counter on a
# small generated sample tree.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)"

sample=build/sample-tree
rm -rf "$sample"
mkdir -p "$sample/Downloads/Chairs" "$sample/GameData/Floors" "$sample/GameData/Skins"
for i in 1 2 3; do truncate -s $((i * 40000)) "$sample/Downloads/Chairs/chair$i.iff"; done
truncate -s 150000 "$sample/Downloads/Sofa.IFF"
truncate -s 9000 "$sample/GameData/Floors/marble.flr"
truncate -s 12000 "$sample/GameData/Skins/body.skn"
echo "Counting *.IFF in $sample:"
exec build/release/src/app/brambleton-count "$sample" "*.IFF"
