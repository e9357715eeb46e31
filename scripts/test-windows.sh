#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows leg: cross-builds the whole program and its tests with MinGW-w64 and a static
# Qt for Windows (scripts/qt-windows.sh), runs the tests under Wine in a throwaway prefix,
# checks that the Windows counter agrees with the Linux one, and starts the real
# brambleton.exe on a virtual display to count the game installed in that prefix. Fails,
# never skips, when Wine cannot start.
set -euo pipefail
cd "$(dirname "$0")/.."
linux_counter=${1:-build/release/src/app/brambleton-count}
installer=${2:-}  # the Windows installer to try, when given
wine=/usr/lib/wine/wine64
jobs=$(nproc)

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# What the tests put in the Recycle Bin (under Wine, the desktop's trash) stays in the work folder.
export XDG_DATA_HOME=$work/data
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

bash scripts/configure.sh windows >/dev/null
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

# --fix puts an empty download in the Recycle Bin (under Wine, the desktop's trash) and
# --undo brings it back.
: >"$game/Downloads/empty.iff"
fixed=$("$wine" "$counter_exe" --fix --json | tr -d '\r')
check "--fix moves the empty file to the Recycle Bin: $fixed" \
    '[[ $fixed == *"\"done\":true"* ]] && [ ! -e "$game/Downloads/empty.iff" ]'
undone=$("$wine" "$counter_exe" --undo | tr -d '\r')
check "--undo brings it back: $undone" '[ -e "$game/Downloads/empty.iff" ]'
rm -f "$game/Downloads/empty.iff"

# The real window program, with the windows platform, under a window manager on a virtual
# display: it must open on Objects with no message box, and Count must show the game's
# totals, read back from the result boxes through the clipboard as a player could copy them.
mkdir -p "$game/Downloads/Set"
truncate -s 1048576 "$game/Downloads/chair.iff"
truncate -s 524288 "$game/Downloads/Set/sofa.IFF"
window_check() { # what, the program as Wine takes it
    local session attempt
    for attempt in 1 2; do
        # A Wine session started without a display (the commands above) would keep the
        # program's windows off the screen: start afresh.
        /usr/lib/wine/wineserver -k 2>/dev/null || true
        /usr/lib/wine/wineserver -w
        session=$(timeout 180 xvfb-run -a -s '-screen 0 1024x768x24' \
            bash scripts/window-session.sh "$wine" "$2" 2>&1) || true
        # The program lost its display with Xvfb; end what is left of the session.
        /usr/lib/wine/wineserver -k 2>/dev/null || true
        /usr/lib/wine/wineserver -w
        # Once in about fifteen starts here the program faulted under Wine before its window
        # showed (on a thread other than the main one), and the next start went well: that
        # is said, and it is started once more. A fault that comes back fails the checks.
        grep -q "wine: Unhandled" <<<"$session" && [ "$attempt" = 1 ] || break
        echo "WARNING: $1 faulted under Wine at its start; starting it once more:"
        grep "wine: Unhandled" <<<"$session"
    done
    echo "$session"
    check "$1 opens with no message box" 'grep -qx "windows: The Sims Brambleton|" <<<"$session"'
    check "Count in $1 shows the game's totals" '[[ $session == *"1|2|1,572,864|1,536.0|1.5|"* ]]'
    check "$1 keeps its size when resized" 'grep -qE "^size: ([0-9x]+) then \1$" <<<"$session"'
}
window_check brambleton.exe build/windows/src/app/brambleton.exe

# The installer, silently, the way a managed machine installs it: the files, the Start-menu
# shortcut and the uninstaller's entry; the installed program runs; the uninstaller leaves
# nothing behind.
if [ -n "$installer" ]; then
    installed="$WINEPREFIX/drive_c/Program Files/Brambleton"
    shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Brambleton.lnk"
    uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brambleton'
    "$wine" "$installer" /S
    /usr/lib/wine/wineserver -w
    for f in brambleton.exe brambleton-count.exe user-guide.html licence.html uninstall.exe; do
        check "the installer puts $f in Program Files" '[ -f "$installed/$f" ]'
    done
    check "the installer makes a Start-menu shortcut" '[ -f "$shortcut" ]'
    check "the uninstaller is registered with Windows" \
        '"$wine" reg query "$uninstall_key" /v UninstallString /reg:64 >/dev/null 2>&1'
    check "the installer records the program's size in KB" \
        '"$wine" reg query "$uninstall_key" /v EstimatedSize /reg:64 2>/dev/null | grep -q "REG_DWORD.*0x[1-9a-f]"'
    window_check "the installed brambleton.exe" 'C:\Program Files\Brambleton\brambleton.exe'
    "$wine" 'C:\Program Files\Brambleton\uninstall.exe' /S
    /usr/lib/wine/wineserver -w
    check "the uninstaller removes the program's folder" '[ ! -e "$installed" ]'
    check "the uninstaller removes the shortcut" '[ ! -e "$shortcut" ]'
    check "the uninstaller removes its entry" \
        '! "$wine" reg query "$uninstall_key" /reg:64 >/dev/null 2>&1'
fi

[ "$failures" = 0 ] || { echo "$failures Windows checks failed"; exit 1; }
echo "Windows build: all checks passed"
