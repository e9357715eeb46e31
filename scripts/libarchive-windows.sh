#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Prints the folder of a static libarchive for 64-bit Windows (MinGW-w64), with the zlib,
# liblzma and bzip2 it reads zip, 7z and tar through, making it first if needed. Built from
# Debian's own source packages (with Debian's patches applied) into the cache,
# ~/.cache/brambleton/libarchive-3.6.2-mingw-w64-static (or under XDG_CACHE_HOME): a few
# minutes on 2 cores, done once. Only the readers the program uses matter; libarchive's
# writers and its disk writer are built but never linked in.
# Needs g++-mingw-w64-x86-64, cmake, ninja-build, dpkg-dev and a Debian mirror for the sources.
#
# usage: libarchive-windows.sh [--ready]
# --ready exits 0 when the cache holds a build, 1 when asking for one would build it.
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$project/cmake/mingw-w64-x86_64.cmake
name=libarchive-3.6.2-mingw-w64-static
cache=${XDG_CACHE_HOME:-$HOME/.cache}/brambleton
prefix=$cache/$name

usable() { [ -f "$1/lib/libarchive.a" ] && [ -f "$1/lib/liblzma.a" ] && [ -f "$1/lib/libz.a" ] &&
    [ -f "$1/lib/libbz2.a" ] && [ -f "$1/include/archive.h" ] &&
    x86_64-w64-mingw32-nm "$1/lib/libarchive.a" 2>/dev/null | grep -q " T archive_blake2s_init$"; }
# libarchive's RAR 5 reader carries its own BLAKE2s, whose names the static Qt carries too:
# libarchive's take a prefix of their own, so the two link into one program.
rename_blake2s() {
    local renames=() name
    for name in blake2s blake2s_init blake2s_init_key blake2s_init_param blake2s_update blake2s_final; do
        renames+=(--redefine-sym "$name=archive_$name")
    done
    x86_64-w64-mingw32-objcopy "${renames[@]}" "$1"
}

case "${1:-}" in
--ready)
    usable "$prefix"
    exit
    ;;
"") ;;
*)
    echo "usage: libarchive-windows.sh [--ready]" >&2
    exit 2
    ;;
esac
if usable "$prefix"; then
    echo "$prefix"
    exit 0
fi
# A build of before the renaming needs only the renaming.
if [ -f "$prefix/lib/libarchive.a" ] && [ -f "$prefix/include/archive.h" ]; then
    rename_blake2s "$prefix/lib/libarchive.a"
    if usable "$prefix"; then
        echo "$prefix"
        exit 0
    fi
fi

echo "No libarchive for Windows yet: building it from Debian's sources into $prefix." >&2
bash "$project/scripts/setup.sh" --release >&2
command -v dpkg-source >/dev/null || apt-get install -y -qq dpkg-dev >&2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
bash "$project/scripts/debian-sources.sh" src libarchive zlib xz-utils bzip2 >&2
(cd src && for dsc in *.dsc; do dpkg-source -x "$dsc" >/dev/null; done)
out=$work/$name
mkdir -p "$out/lib" "$out/include"
cc=x86_64-w64-mingw32-gcc-posix
ar=x86_64-w64-mingw32-ar
flags="-O2 -DNDEBUG"

# zlib and bzip2: their few C files, compiled as they stand.
(cd src/zlib-*/ && for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback \
    inffast inflate inftrees trees uncompr zutil; do $cc $flags -c "$c.c"; done &&
    $ar rcs "$out/lib/libz.a" ./*.o && cp zlib.h zconf.h "$out/include/")
(cd src/bzip2-*/ && for c in blocksort huffman crctable randtable compress decompress bzlib; do
    $cc $flags -c "$c.c"; done && $ar rcs "$out/lib/libbz2.a" ./*.o && cp bzlib.h "$out/include/")

cmake_common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_CROSSCOMPILING_EMULATOR=
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" -DBUILD_SHARED_LIBS=OFF
    -DCMAKE_FIND_ROOT_PATH="$out;/usr/x86_64-w64-mingw32")
cmake -S src/xz-utils-*/ -B xz "${cmake_common[@]}" >&2
cmake --build xz --target liblzma --parallel "$(nproc)" >&2
cp xz/liblzma.a "$out/lib/"
cp -r src/xz-utils-*/src/liblzma/api/lzma.h src/xz-utils-*/src/liblzma/api/lzma "$out/include/"

cmake -S src/libarchive-*/ -B archive "${cmake_common[@]}" \
    -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF -DENABLE_LIBB2=OFF \
    -DENABLE_LZ4=OFF -DENABLE_LZO=OFF -DENABLE_ZSTD=OFF -DENABLE_LIBXML2=OFF -DENABLE_EXPAT=OFF \
    -DENABLE_PCREPOSIX=OFF -DENABLE_PCRE2POSIX=OFF -DENABLE_CNG=OFF -DENABLE_ICONV=OFF \
    -DENABLE_ACL=OFF -DENABLE_XATTR=OFF -DENABLE_TAR=OFF -DENABLE_CPIO=OFF -DENABLE_CAT=OFF \
    -DENABLE_TEST=OFF -DENABLE_WERROR=OFF -DENABLE_ZLIB=ON -DENABLE_BZip2=ON -DENABLE_LZMA=ON \
    -DZLIB_INCLUDE_DIR="$out/include" -DZLIB_LIBRARY="$out/lib/libz.a" \
    -DBZIP2_INCLUDE_DIR="$out/include" -DBZIP2_LIBRARIES="$out/lib/libbz2.a" \
    -DLIBLZMA_INCLUDE_DIR="$out/include" -DLIBLZMA_LIBRARY="$out/lib/liblzma.a" >&2
cmake --build archive --target archive_static --parallel "$(nproc)" >&2
cp archive/libarchive/libarchive_static.a "$out/lib/libarchive.a"
rename_blake2s "$out/lib/libarchive.a"
cp src/libarchive-*/libarchive/archive.h src/libarchive-*/libarchive/archive_entry.h "$out/include/"
usable "$out" || { echo "the libarchive build left no library" >&2; exit 1; }
mkdir -p "$cache"
rm -rf "$prefix"
mv "$out" "$prefix"
echo "$prefix"
