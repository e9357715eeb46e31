#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the release packages under dist/:
#   brambleton-VERSION-windows-x64.zip   the Windows programs, the user guide and the licence
#   brambleton-VERSION-setup.exe         the Windows installer (NSIS)
#   brambleton_VERSION_amd64.deb         the Debian package
# The Windows programs are cross-built with MinGW-w64 and the static Qt for Windows that
# scripts/qt-windows.sh provides (BRAMBLETON_QT_WINDOWS, the cache, or a build from source).
# usage: release.sh [--no-windows]   (--no-windows: the Debian package only)
set -euo pipefail
cd "$(dirname "$0")/.."
windows=true
case "${1:-}" in
--no-windows) windows=false ;;
"") ;;
*)
    echo "usage: release.sh [--no-windows]" >&2
    exit 2
    ;;
esac
bash scripts/setup.sh --release
version=$(sed -n 's/^project(Brambleton VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
jobs=$(nproc)
dist=$PWD/dist
mkdir -p "$dist"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if $windows; then
    echo "== Windows programs"
    qt=$(bash scripts/qt-windows.sh)
    cmake -S . -B build/release-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=Release -DBRAMBLETON_TESTS=OFF -DCMAKE_PREFIX_PATH="$qt" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
    cmake --build build/release-windows -j "$jobs" --target brambleton brambleton-count pages
    files=$work/brambleton-$version
    mkdir -p "$files"
    for exe in brambleton brambleton-count; do
        x86_64-w64-mingw32-strip -o "$files/$exe.exe" "build/release-windows/src/app/$exe.exe"
    done
    cp build/release-windows/src/app/user-guide.html build/release-windows/src/app/licence.html "$files/"
    cp LICENSE "$files/LICENSE.txt"

    echo "== $dist/brambleton-$version-windows-x64.zip"
    rm -f "$dist/brambleton-$version-windows-x64.zip"
    (cd "$work" && zip -q -r -X "$dist/brambleton-$version-windows-x64.zip" "brambleton-$version")

    echo "== $dist/brambleton-$version-setup.exe"
    makensis -V2 -DVERSION="$version" -DFILES="$files" -DICON="$PWD/data/brambleton.ico" \
        -DOUTFILE="$dist/brambleton-$version-setup.exe" packaging/windows/installer.nsi
fi

echo "== $dist/brambleton_${version}_amd64.deb"
cmake -S . -B build/release-linux -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRAMBLETON_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build/release-linux -j "$jobs" --target brambleton brambleton-count pages
root=$work/deb
DESTDIR=$root cmake --install build/release-linux >/dev/null
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$root/usr/bin/"*
doc=$root/usr/share/doc/brambleton
mkdir -p "$doc"
{
    echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
    echo "Upstream-Name: Brambleton"
    echo
    echo "Files: *"
    echo "Copyright: 2026 the Brambleton team"
    echo "License: Expat"
    echo
    echo "License: Expat"
    sed -n '/^Permission/,$p' LICENSE | sed 's/^$/./; s/^/ /'
} >"$doc/copyright"
printf 'brambleton (%s) unstable; urgency=medium\n\n  * Release %s.\n\n -- The Brambleton team <team@brambleton.invalid>  %s\n' \
    "$version" "$version" "$(date -R -u -d @"${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}")" |
    gzip -9n >"$doc/changelog.gz"
# The libraries the binaries link, as package dependencies.
mkdir -p "$work/shlibs/debian"
touch "$work/shlibs/debian/control"
depends=$(cd "$work/shlibs" && dpkg-shlibdeps -O "$root/usr/bin/brambleton" "$root/usr/bin/brambleton-count" 2>/dev/null |
    sed -n 's/^shlibs:Depends=//p')
mkdir -p "$root/DEBIAN"
sed -e "s/@VERSION@/$version/" -e "s/@DEPENDS@/$depends/" \
    -e "s/@SIZE@/$(du -sk --exclude=DEBIAN "$root" | cut -f1)/" \
    packaging/debian/control.in >"$root/DEBIAN/control"
find "$root" -type d -exec chmod 0755 {} +
find "$root/usr/share" -type f -exec chmod 0644 {} +
dpkg-deb --root-owner-group -Zxz --build "$root" "$dist/brambleton_${version}_amd64.deb" >/dev/null

echo "== lintian"
lintian --fail-on error "$dist/brambleton_${version}_amd64.deb"
ls -l "$dist"
