#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the release packages under dist/:
#   brambleton-VERSION-windows-x64.zip   the Windows programs, the user guide and the licence
#   brambleton-VERSION-setup.exe         the Windows installer (NSIS)
#   brambleton_VERSION_amd64.deb         the Debian package, for Debian 12
#   brambleton-VERSION-linux-x86_64.tar.gz  the portable Linux folder, for every other
#                                        desktop distribution and the Steam Deck
# The programs come from the build trees the tests use (scripts/configure.sh), so a test run
# builds them once. The Windows programs are cross-built with MinGW-w64 and the static Qt for
# Windows that scripts/qt-windows.sh provides (BRAMBLETON_QT_WINDOWS, the cache, or a build
# from source).
# usage: release.sh [--no-windows]   (--no-windows: the Linux packages only)
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
    tree=$(bash scripts/configure.sh windows)
    cmake --build "$tree" -j "$jobs" --target brambleton brambleton-count pages
    files=$work/brambleton-$version
    mkdir -p "$files"
    for exe in brambleton brambleton-count; do
        x86_64-w64-mingw32-strip -o "$files/$exe.exe" "$tree/src/app/$exe.exe"
    done
    cp "$tree/src/app/user-guide.html" "$tree/src/app/licence.html" "$files/"
    cp LICENSE "$files/LICENSE.txt"

    echo "== $dist/brambleton-$version-windows-x64.zip"
    rm -f "$dist/brambleton-$version-windows-x64.zip"
    (cd "$work" && zip -q -r -X "$dist/brambleton-$version-windows-x64.zip" "brambleton-$version")

    echo "== $dist/brambleton-$version-setup.exe"
    makensis -V2 -DVERSION="$version" -DFILES="$files" -DICON="$PWD/data/brambleton.ico" \
        -DOUTFILE="$dist/brambleton-$version-setup.exe" packaging/windows/installer.nsi
fi

echo "== $dist/brambleton_${version}_amd64.deb"
tree=$(bash scripts/configure.sh linux)
cmake --build "$tree" -j "$jobs" --target brambleton brambleton-count pages
root=$work/deb
# The install takes only the programs, pages and desktop files; the tests stay in the tree.
DESTDIR=$root cmake --install "$tree" >/dev/null
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

echo "== $dist/brambleton-$version-linux-x86_64.tar.gz"
bash scripts/portable-linux.sh "$tree" "$dist/brambleton-$version-linux-x86_64.tar.gz"
ls -l "$dist"
