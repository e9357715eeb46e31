#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Prints the folder of a Qt 6.4.2 for 64-bit Windows (static, MinGW-w64), making it first if
# needed. Taken from, in order:
#   1. BRAMBLETON_QT_WINDOWS: such an install folder, or a .tar.xz archive of one (which
#      unpacks to qt-6.4.2-mingw-w64-static/), unpacked into the cache below;
#   2. the cache, ~/.cache/brambleton/qt-6.4.2-mingw-w64-static (or under XDG_CACHE_HOME);
#   3. a build from Debian's own qt6-base source package into that cache: up to three
#      quarters of an hour on 2 cores.
# Needs what the build needs: g++-mingw-w64-x86-64, qt6-base-dev (its moc, rcc and uic),
# cmake, ninja-build, and a Debian mirror for the source.
#
# usage: qt-windows.sh [--configure-only | --ready]
# --configure-only runs the from-source recipe up to and including Qt's CMake configure, in
# a throwaway folder, then stops: under a minute that proves the recipe still works, whatever
# Qt the other ways provide. It prints nothing on standard output and touches no cache.
# --ready exits 0 when 1. or 2. provides a Qt, 1 when asking for one would build it.
set -euo pipefail
# Every path this script needs is made absolute here, before it changes folder.
project=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$project/cmake/mingw-w64-x86_64.cmake
name=qt-6.4.2-mingw-w64-static
cache=${XDG_CACHE_HOME:-$HOME/.cache}/brambleton
qt=$cache/$name

configure_only=false ready_only=false
case "${1:-}" in
--configure-only) configure_only=true ;;
--ready) ready_only=true ;;
"") ;;
*)
    echo "usage: qt-windows.sh [--configure-only | --ready]" >&2
    exit 2
    ;;
esac

usable() { [ -f "$1/lib/cmake/Qt6/Qt6Config.cmake" ] && [ -f "$1/lib/libQt6Widgets.a" ]; }

given=${BRAMBLETON_QT_WINDOWS:-}
if $ready_only; then
    [ -n "$given" ] || usable "$qt"
    exit
fi
if ! $configure_only && [ -n "$given" ]; then
    if [ -d "$given" ]; then
        usable "$given" || { echo "BRAMBLETON_QT_WINDOWS=$given holds no static Qt 6 for Windows" >&2; exit 1; }
        echo "$given"
        exit 0
    fi
    [ -f "$given" ] || { echo "BRAMBLETON_QT_WINDOWS=$given does not exist" >&2; exit 1; }
    if ! usable "$qt"; then
        mkdir -p "$cache"
        rm -rf "$qt"
        tar -xJf "$given" -C "$cache"
        usable "$qt" || { echo "$given did not unpack to $name/" >&2; exit 1; }
    fi
    echo "$qt"
    exit 0
fi
if ! $configure_only && usable "$qt"; then
    echo "$qt"
    exit 0
fi

if $configure_only; then
    echo "Checking the recipe for Qt for Windows: fetching Debian's source and configuring it." >&2
else
    echo "No Qt for Windows yet: building Qt 6.4.2 from Debian's source into $qt." >&2
    echo "This takes up to three quarters of an hour on 2 cores; it is done once." >&2
fi
# What the cross build needs, installed when missing (MinGW-w64, the host's Qt tools, CMake).
bash "$project/scripts/setup.sh" --release >&2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
bash "$project/scripts/debian-sources.sh" src qt6-base=6.4.2+dfsg-10 >&2
mkdir qtsrc
tar -xJf src/qt6-base_6.4.2+dfsg.orig.tar.xz -C qtsrc --strip-components=1
# Debian's source has no src/3rdparty/wintab, so tablet events are off; the Windows platform
# plugin of 6.4 does not compile without OpenGL, so desktop OpenGL stays on.
cmake -S qtsrc -B qtbuild -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_CROSSCOMPILING_EMULATOR= -DCMAKE_EXE_LINKER_FLAGS_INIT= \
    -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$work/$name" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_opengl=ON -DFEATURE_opengl_desktop=ON \
    -DINPUT_opengl=desktop -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_doubleconversion=OFF >&2
if $configure_only; then
    echo "The recipe for Qt for Windows configures." >&2
    exit 0
fi
cmake --build qtbuild --parallel "$(nproc)" >&2
cmake --install qtbuild >&2
mkdir -p "$cache"
rm -rf "$qt"
mv "$work/$name" "$qt"
echo "$qt"
