#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The libraries a portable Linux folder may take from the system, and the check that it
# takes no other.
#   check-portable.sh --allowed SONAME   succeeds when SONAME is one of them
#   check-portable.sh FOLDER             runs ldd on every program, library and plugin in
#                                        FOLDER; fails, naming them, on any library that is
#                                        missing or comes from the system and is not allowed
# Allowed: what every desktop has and must come from the system, since a copy could not
# match the machine's kernel, drivers or display server: glibc; the C++ runtime (the GL
# drivers load the system's, which is the newest on the machine); the GL and X client
# libraries with what they load (libglvnd's libGL, libGLX, libEGL and libGLdispatch, which
# every GL and EGL driver needs, but not its libOpenGL, which a desktop without GL
# programs of the newer kind may lack, and which is carried) (libbsd and libmd, for libXdmcp; of libxcb's extensions only
# those the GL drivers use, since a minimal X system may lack the others Qt needs);
# fontconfig and freetype with the compression and PNG libraries freetype loads.
set -euo pipefail
allowed='^(linux-vdso|ld-linux-x86-64|libc|libm|libdl|libpthread|librt|libresolv|libutil|libstdc\+\+|libgcc_s|libGL|libGLX|libEGL|libGLdispatch|libX11|libX11-xcb|libXau|libXdmcp|libXext|libXrender|libXi|libXfixes|libXrandr|libXcursor|libXinerama|libxcb|libxcb-(dri2|dri3|glx|present)|libbsd|libmd|libfontconfig|libfreetype|libexpat|libz|libpng16|libbrotlidec|libbrotlicommon|libbz2)\.so(\.[0-9]+)*$'

if [ "${1:-}" = --allowed ]; then
    [[ ${2:-} =~ $allowed ]]
    exit
fi
folder=$(cd "${1:?usage: check-portable.sh FOLDER | --allowed SONAME}" && pwd)
bad=()
while read -r file; do
    while read -r soname arrow path _; do
        [ "$arrow" = "=>" ] || continue
        if [ "$path" = "not" ]; then
            bad+=("$file needs $soname, which is not found")
        elif [[ $path != "$folder"/* ]] && ! [[ $soname =~ $allowed ]]; then
            bad+=("$file takes $soname from the system ($path)")
        fi
    done < <(ldd "$file" 2>/dev/null || true)
done < <(find "$folder" -type f \( -name '*.so*' -o -perm -u+x \) ! -name '*.sh' | sort)
if [ ${#bad[@]} -gt 0 ]; then
    printf '%s\n' "${bad[@]}"
    exit 1
fi
echo "ldd: every library is carried or allowed ($folder)"
