#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Keeps the sources as clean as they are. Fails on the first finding.
#   check-sources.sh --quick           every tracked source file carries its licence line,
#                                      every platform file says which build compiles it, and
#                                      every C++ file is formatted by clang-format: seconds,
#                                      no build needed, so the test run does it first
#   check-sources.sh --changed BUILD   clang-tidy on the C++ files the last commit and the work
#                                      tree changed, before anything is built: a finding
#                                      there fails the run in a minute
#   check-sources.sh BUILD [WINDOWS]   no check in .clang-tidy finds anything in the sources
#                                      that BUILD's compile_commands.json describes, and in
#                                      the win32_* files through WINDOWS's (the MinGW build)
#   check-sources.sh --windows WINDOWS the win32_* files alone
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = --quick ]; then
    echo "-- licence lines"
    unlicensed=$(git ls-files '*.cpp' '*.h' '*.sh' '*.py' '*CMakeLists.txt' '*.cmake' |
        xargs grep -L 'SPDX-License-Identifier: MIT' || true)
    [ -z "$unlicensed" ] || { echo "no SPDX-License-Identifier line in:"; echo "$unlicensed"; exit 1; }

    echo "-- platform files say which build compiles them"
    silent=$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' |
        grep -E '(^|/)(linux|win32)_|_(linux|win32)\.cpp$' |
        while read -r f; do sed -n 2p "$f" | grep -qE '^// (Compiled|Included) by the (Linux|Windows) build only' || echo "$f"; done)
    [ -z "$silent" ] || { echo "no line 2 saying which build compiles it in:"; echo "$silent"; exit 1; }

    echo "-- layers: includes name their layer (never ../), point down, formats read bytes only, Qt stays in ui and app"
    # What each layer of src/ may include: counting and locations know nothing of each other,
    # content is handed what locations found and never includes it, the format readers in
    # content/formats know bytes and nothing of the rules judging content, and only the
    # windows and the entry points know Qt. The write layer (actions) sits above content and
    # below the windows. Every include names its layer from src/, so a
    # path climbing out with ../ (or in with ./) can hide none of this. Files not yet added to
    # git are checked too.
    declare -A may=([common]="common" [counting]="common counting"
        [locations]="common locations" [content]="common counting content"
        [formats]="common content/formats" [actions]="common counting content actions"
        [ui]="common counting locations content actions ui"
        [app]="common counting locations content actions ui app")
    upward=$(git ls-files --cached --others --exclude-standard 'src/*.cpp' 'src/*.h' |
        while read -r f; do
        [ -f "$f" ] || continue
        layer=$(echo "$f" | cut -d/ -f2)
        case "$f" in src/content/formats/*) layer=formats ;; esac
        [ -n "${may[$layer]:-}" ] || { echo "$f: in no layer"; continue; }
        grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$f" |
            sed -E 's/^([0-9]+):[^"]*"([^"]*)".*/\1 \2/' | while read -r line target; do
                case "$target" in
                */../* | ../* | ./* | */./*) echo "$f:$line: climbs with a relative path: $target"; continue ;;
                esac
                top=${target%%/*}
                [ "$top" != "$target" ] || { echo "$f:$line: names no layer: $target"; continue; }
                [ "$layer" != formats ] || case "$target" in content/formats/*) top=content/formats ;; esac
                case " ${may[$layer]} " in *" $top "*) ;;
                *) echo "$f:$line: $layer includes $top" ;; esac
            done
        case "$layer" in ui | app) ;;
        *) grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$f" |
            sed "s|^|$f:|; s|\$| (Qt outside ui and app)|" ;; esac
    done)
    [ -z "$upward" ] || { echo "includes against the layers:"; echo "$upward"; exit 1; }

    echo "-- only the write layer moves, renames or removes files"
    # Every change to the player's files goes through src/actions, which journals it first and
    # never deletes. The one exception is the report a player saves: written beside the file
    # chosen in the save dialog (which asked before replacing it), then renamed over it.
    writers=$(git ls-files --cached --others --exclude-standard 'src/*.cpp' 'src/*.h' |
        grep -v -e '^src/actions/' -e '^src/content/report_files.cpp$' |
        while read -r f; do [ -f "$f" ] && echo "$f"; done |
        xargs -r grep -nE "(^|[^.>[:alnum:]_])(std::filesystem::|fs::|::)?(rename|renameat2?|unlink|unlinkat|rmdir|remove|remove_all|MoveFile(Ex)?[AW]?|DeleteFile[AW]?|RemoveDirectory[AW]?|SHFileOperation[AW]?)[[:space:]]*\(|Q(File|Dir)::(remove|rename|moveToTrash)|\.(moveToTrash|removeRecursively)\(" |
        grep -vE '^[^:]+:[0-9]+:[[:space:]]*//' || true)
    [ -z "$writers" ] || { echo "files changed outside src/actions:"; echo "$writers"; exit 1; }

    echo "-- clang-format"
    git ls-files '*.cpp' '*.h' | xargs clang-format-14 --dry-run -Werror
    echo "clean"
    exit 0
fi

if [ "${1:-}" = --changed ]; then
    build=${2:?usage: check-sources.sh --changed BUILD}
    # Files that need generated code (the window tests' moc files) and the Windows files wait
    # for the full check; the fuzz targets and their seeds build only in the fuzzing tree.
    changed=$({ git diff --name-only HEAD~1 2>/dev/null || true; git diff --name-only HEAD; } |
        sort -u | grep -E '^(src|tests|bench)/.*\.cpp$' | grep -v -e win32 -e _fuzz -e format_seeds -e '^tests/ui/' |
        while read -r f; do [ -f "$f" ] && echo "$f"; done || true)
    echo "-- clang-tidy on the changed files: $(echo $changed | wc -w)"
    [ -n "$changed" ] || exit 0
    echo "$changed" | xargs -P "$(nproc)" -n 2 clang-tidy-14 -p "$build" --quiet 2>/dev/null \
        >"$build/clang-tidy-changed.log" ||
        { grep -E -A4 'warning:|error:' "$build/clang-tidy-changed.log"; echo "clang-tidy found the above"; exit 1; }
    echo "clean"
    exit 0
fi

if [ "${1:-}" = --windows ]; then
    build=
    windows=${2:?usage: check-sources.sh --windows WINDOWS}
else
    build=${1:-build/release}
    windows=${2:-}
fi
if [ -n "$build" ]; then
    echo "-- clang-tidy"
    # The fuzz targets and their seeds build only in the fuzzing tree, with clang's fuzzer.
    git ls-files 'src/*.cpp' 'tests/*.cpp' 'bench/*.cpp' | grep -v -e win32 -e _fuzz -e format_seeds |
        xargs -P "$(nproc)" -n 4 clang-tidy-14 -p "$build" --quiet 2>/dev/null >"$build/clang-tidy.log" ||
        { grep -E -A4 'warning:|error:' "$build/clang-tidy.log"; echo "clang-tidy found the above"; exit 1; }
fi
if [ -n "$windows" ]; then
    echo "-- clang-tidy on the Windows files, as the MinGW build compiles them"
    # clang takes the MinGW build's C++ library and Windows headers, and keeps its own
    # compiler headers (GCC's intrinsics are not clang's).
    compiler=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[0]["command"].split()[0])' \
        "$windows/compile_commands.json")
    mingw=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++)
    while read -r folder; do
        mingw+=("--extra-arg=-isystem$(realpath "$folder")")
    done < <("$compiler" -E -x c++ - -v </dev/null 2>&1 |
        sed -n '/#include <...> search starts here/,/End of search list/p' | grep '^ ' |
        grep -v -e '/include$' -e '/include-fixed$')
    mingw+=("--extra-arg=-isystem/usr/x86_64-w64-mingw32/include")
    git ls-files 'src/*win32*.cpp' 'tests/*win32*.cpp' |
        xargs -P "$(nproc)" -n 2 clang-tidy-14 -p "$windows" --quiet "${mingw[@]}" \
            2>/dev/null >"$windows/clang-tidy.log" ||
        { grep -E -A4 'warning:|error:' "$windows/clang-tidy.log"; echo "clang-tidy found the above"; exit 1; }
fi
echo "clean"
