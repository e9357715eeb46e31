#!/usr/bin/env bash
# brambleton-count's categories through a real Wine prefix: a fixture system.reg written by
# Wine, drive links in dosdevices/, and game folders whose case differs from the registry's.
set -u
counter=$1
fixtures=$2
failures=0
passes=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check() { if eval "$2"; then passes=$((passes + 1)); else echo "FAIL: $1" >&2; failures=$((failures + 1)); fi; }

prefix=$work/prefix
game="$prefix/drive_c/program files (x86)/MAXIS/the sims"
mkdir -p "$prefix/dosdevices" "$game/GAMEDATA/FLOORS/Marble" "$game/downloads"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
cp "$fixtures/a_sz_32bit/system.min.reg" "$prefix/system.reg"
truncate -s 100 "$game/GAMEDATA/FLOORS/oak.flr"
truncate -s 20 "$game/GAMEDATA/FLOORS/Marble/white.FLR"
truncate -s 7 "$game/GAMEDATA/FLOORS/notes.txt"
truncate -s 9 "$game/downloads/chair.iff"

out=$(WINEPREFIX=$prefix "$counter" --json --category floors)
check "floors counted with *.FLR: $out" '[[ $out == *"\"files\":2,\"folders\":1,\"bytes\":120,"* ]]'
out=$(WINEPREFIX=$prefix "$counter" --json --category OBJECTS)
check "objects: $out" '[[ $out == *"\"files\":1,"* ]]'

WINEPREFIX=$prefix "$counter" --category skins >"$work/out" 2>"$work/err"
check "a missing category folder exits 1" '[ $? = 1 ]'
check "and says which folder: $(cat "$work/err")" 'grep -q "Path not found: C:.*GameData.Skins" "$work/err"'

where=$(WINEPREFIX=$prefix "$counter" --where)
check "--where shows the install folder" 'grep -q "^InstallPath    C:.Program Files (x86).Maxis.The Sims.$" <<<"$where"'
check "--where shows the floors host folder" 'grep -qF -- "-> $game/GAMEDATA/FLOORS" <<<"$where"'
check "--where says why skins are missing" 'grep -q -- "-> missing: Path not found" <<<"$where"'

cp "$fixtures/fresh/system.min.reg" "$prefix/system.reg"
WINEPREFIX=$prefix "$counter" --category floors >"$work/out" 2>"$work/err"
check "not found exits 1" '[ $? = 1 ]'
check "not found names the key, value and prefix: $(cat "$work/err")" \
    'grep -q "SIMS_DATA and InstallPath under HKEY_LOCAL_MACHINE.Software.Maxis.The Sims.*$prefix" "$work/err"'
WINEPREFIX=$work/nowhere "$counter" --where >/dev/null 2>&1
check "--where without a prefix exits 1" '[ $? = 1 ]'
"$counter" --category attics >/dev/null 2>&1
check "an unknown category is bad usage" '[ $? = 2 ]'

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
