#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and this machine
# lacks. Safe to run again: it installs nothing that is already there.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config python3
    googletest libgtest-dev
    clang-14 libclang-rt-14-dev
    nlohmann-json3-dev libyaml-cpp-dev
    qt6-base-dev libgl-dev fonts-liberation
    desktop-file-utils appstream
    xvfb xauth x11-utils imagemagick
    g++-mingw-w64-x86-64 wine64
)

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
