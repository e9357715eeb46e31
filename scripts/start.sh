#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up what is missing, builds, and starts the window program. It reads the Wine prefix in
# WINEPREFIX (else ~/.wine); without the game it says so and stays usable.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# Its own build folder without the tests, which need more than the program does.
cmake -S . -B build/app -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAMBLETON_TESTS=OFF >/dev/null
cmake --build build/app -j "$(nproc)"
exec build/app/src/app/brambleton "$@"
