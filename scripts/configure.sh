#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures one of the two build trees that the tests and the release packages share, with
# warnings as errors, so a tree is built once per run and every script sees the same flags.
#   configure.sh linux     build/release: the Linux programs and tests (RelWithDebInfo)
#   configure.sh windows   build/windows: the same cross-built with MinGW-w64 and the static
#                          Qt for Windows that scripts/qt-windows.sh provides
# Prints the tree's folder.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
linux)
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAMBLETON_WERROR=ON \
        -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
    echo build/release
    ;;
windows)
    qt=$(bash scripts/qt-windows.sh)
    archive=$(bash scripts/libarchive-windows.sh)
    cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAMBLETON_WERROR=ON -DBRAMBLETON_UI=ON \
        -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
        -DBRAMBLETON_LIBARCHIVE="$archive" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
    echo build/windows
    ;;
*)
    echo "usage: configure.sh linux|windows" >&2
    exit 2
    ;;
esac
