#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the portable Linux folder and its tarball from a Linux build tree whose programs and
# pages are built: brambleton-VERSION/ with the two programs, the pages, the licence,
# install.sh, the menu entry and icons, and beside them every library the programs need that
# a desktop may lack (Qt, its xcb platform plugin and input methods, ICU, the xcb utility
# libraries, ...). The window program finds them through a relative run path, so the folder
# runs wherever it is unpacked, on any x86-64 Linux with glibc 2.36 or newer and an X11 or
# XWayland session. What every desktop has and must come from the system is left out: glibc,
# the C++ runtime, the GL and X client libraries, fontconfig and freetype (scripts/
# check-portable.sh holds that list). brambleton-count carries its C++ runtime and yaml-cpp
# itself, and finds libarchive (which reads downloads) and what it loads in lib/ as the
# window program does.
# usage: portable-linux.sh BUILD_TREE TARBALL
set -euo pipefail
cd "$(dirname "$0")/.."
tree=$1
tarball=$2
version=$(sed -n 's/^project(Brambleton VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
id=org.brambleton.Brambleton
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/brambleton-$version
mkdir -p "$root/lib" "$root/plugins/platforms" "$root/plugins/platforminputcontexts" \
    "$root/share/applications"

for program in brambleton brambleton-count; do
    strip --strip-unneeded -o "$root/$program" "$tree/src/app/$program"
done
cp "$tree/src/app/user-guide.html" "$tree/src/app/licence.html" LICENSE "$root/"
install -m 755 packaging/linux/install.sh "$root/install.sh"
cp "data/$id.desktop" "$root/share/applications/"
for size in 16x16 32x32 48x48 64x64 128x128 256x256; do
    mkdir -p "$root/share/icons/hicolor/$size/apps"
    cp "data/icons/$size/brambleton.png" "$root/share/icons/hicolor/$size/apps/$id.png"
done
mkdir -p "$root/share/icons/hicolor/scalable/apps"
cp data/icons/brambleton.svg "$root/share/icons/hicolor/scalable/apps/$id.svg"
# The xcb platform (X11 and XWayland), and compose keys and input methods for typing.
cp "$plugins/platforms/libqxcb.so" "$root/plugins/platforms/"
cp "$plugins"/platforminputcontexts/*.so "$root/plugins/platforminputcontexts/"
printf '[Paths]\nPrefix = .\nPlugins = plugins\n' >"$root/qt.conf"

# Every library the programs and plugins load, but the system's own, copied into lib/,
# then the libraries those load, until nothing is missing.
queue=("$root/brambleton" "$root/brambleton-count" "$root"/plugins/*/*.so)
while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    while read -r soname path; do
        [ -n "$path" ] || continue
        bash scripts/check-portable.sh --allowed "$soname" && continue
        [ -e "$root/lib/$soname" ] && continue
        cp -L "$path" "$root/lib/$soname"
        chmod 644 "$root/lib/$soname"
        queue+=("$root/lib/$soname")
    done < <(ldd "$file" | awk '$2 == "=>" && $3 ~ /^\// { print $1, $3 }')
done
strip --strip-unneeded "$root"/lib/*.so* "$root"/plugins/*/*.so

# The programs look in lib/ first for everything they load, directly or not (DT_RPATH
# reaches the libraries' own needs); the libraries and plugins find one another by theirs.
patchelf --force-rpath --set-rpath '$ORIGIN/lib' "$root/brambleton"
patchelf --force-rpath --set-rpath '$ORIGIN/lib' "$root/brambleton-count"
for lib in "$root"/lib/*.so*; do patchelf --set-rpath '$ORIGIN' "$lib"; done
for plugin in "$root"/plugins/*/*.so; do patchelf --set-rpath '$ORIGIN/../../lib' "$plugin"; done

bash scripts/check-portable.sh "$root"
mkdir -p "$(dirname "$tarball")"
tar -C "$work" --owner=0 --group=0 --sort=name -czf "$tarball" "brambleton-$version"
echo "$tarball: $(du -h "$tarball" | cut -f1), $(ls "$root/lib" | wc -l) libraries carried"
