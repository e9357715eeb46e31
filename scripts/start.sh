#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the window program. It reads the Wine prefix in
# WINEPREFIX (else ~/.wine); without the game it says so and stays usable.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)"
exec build/release/src/app/brambleton "$@"
