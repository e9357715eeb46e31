#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs, from Debian's packages, what building and starting the program needs and this
# machine lacks; with --release, also what making the packages needs (MinGW-w64, NSIS,
# lintian, patchelf); with --tests, all that and what the tests and checks need (Wine, clang, Xvfb,
# ImageMagick: about a gigabyte more). Safe to run again: it installs nothing that is
# already there.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config python3
    nlohmann-json3-dev libyaml-cpp-dev cmark-gfm libarchive-dev
    qt6-base-dev libgl-dev fonts-liberation
)
release=(g++-mingw-w64-x86-64 nsis zip lintian dpkg-dev patchelf)
if [ "${1:-}" = --release ]; then
    packages+=("${release[@]}")
elif [ "${1:-}" = --tests ]; then
    packages+=("${release[@]}"
        googletest libgtest-dev
        clang-14 libclang-rt-14-dev clang-format-14 clang-tidy-14
        desktop-file-utils appstream locales
        xvfb xauth x11-utils xdotool xclip openbox imagemagick qt6-gtk-platformtheme dbus-daemon
        wine64 jdupes libarchive-tools 7zip
        debootstrap flatpak-builder
    )
elif [ -n "${1:-}" ]; then
    echo "usage: setup.sh [--tests | --release]" >&2
    exit 2
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
