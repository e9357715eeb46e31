#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows leg: cross-builds the engine, the registry code, the headless counter and their
# tests with MinGW-w64, runs them under Wine in a throwaway prefix, and checks that the
# Windows counter agrees with the Linux one. Fails, never skips, when Wine cannot start.
set -euo pipefail
cd "$(dirname "$0")/.."
linux_counter=${1:-build/release/src/app/brambleton-count}
wine=/usr/lib/wine/wine64
jobs=$(nproc)

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

if [ ! -x "$wine" ] || ! timeout 300 "$wine" wineboot --init >"$work/wineboot.log" 2>&1; then
    echo "Wine cannot start on this machine, so the Windows build cannot be tested:"
    tail -20 "$work/wineboot.log" 2>/dev/null || true
    exit 1
fi
/usr/lib/wine/wineserver -w

cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAMBLETON_UI=OFF >/dev/null
cmake --build build/windows -j "$jobs"
ctest --test-dir build/windows --output-on-failure

counter_exe=build/windows/src/app/brambleton-count.exe
failures=0
check() {
    if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}

# The same generated tree, counted by both builds.
tree=$work/tree
for i in $(seq 1 40); do
    d="$tree/Downloads/Set$((i % 6))/sub$((i % 4))"
    mkdir -p "$d"
    truncate -s $((i * 1111)) "$d/obj$i.iff"
    truncate -s $((i * 7)) "$d/OBJ$i.IFF"
    truncate -s 5 "$d/obj$i.iff.bak"
    truncate -s 3 "$d/README$i"
    truncate -s 9 "$d/Edici$(printf '\xc3\xb3')n $i.Iff"
done
truncate -s 3000000000 "$tree/Downloads/huge.iff"
for pattern in "*.IFF" "*.*"; do
    linux=$("$linux_counter" --json "$tree" "$pattern")
    windows=$("$wine" "$counter_exe" --json "Z:${tree//\//\\}" "$pattern" | tr -d '\r')
    check "both builds agree on $pattern: $windows" '[ "$linux" = "$windows" ]'
done

# A key written by Wine's own reg tool in the 32-bit view, found by --where.
game="$WINEPREFIX/drive_c/Games/The Sims"
mkdir -p "$game/GameData/Floors" "$game/Downloads"
truncate -s 100 "$game/GameData/Floors/oak.FLR"
"$wine" reg add 'HKLM\Software\Maxis\The Sims' /v SIMS_DATA /t REG_SZ /d 'C:\Games\The Sims' \
    /reg:32 /f >/dev/null
where=$("$wine" "$counter_exe" --where | tr -d '\r')
check "--where finds the key written with /reg:32" \
    'grep -qF "InstallPath    C:\\Games\\The Sims\\" <<<"$where"'
floors=$("$wine" "$counter_exe" --json --category floors | tr -d '\r')
check "--category floors counts the game's floors: $floors" '[[ $floors == *"\"files\":1,"* ]]'

[ "$failures" = 0 ] || { echo "$failures Windows checks failed"; exit 1; }
echo "Windows build: all checks passed"
