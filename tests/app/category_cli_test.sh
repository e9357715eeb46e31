#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
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

# A home of our own, so that nothing the machine's user has installed is found.
export HOME=$work/home
mkdir -p "$HOME"
unset WINEPREFIX

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

WINEPREFIX=$prefix "$counter" --category skins >"$work/out" 2>"$work/err"; status=$?
check "a missing category folder exits 1" '[ $status = 1 ]'
check "and says which folder: $(cat "$work/err")" 'grep -q "Path not found: C:.*GameData.Skins" "$work/err"'

where=$(WINEPREFIX=$prefix "$counter" --where)
check "--where shows the install folder" 'grep -q "^InstallPath    C:.Program Files (x86).Maxis.The Sims.$" <<<"$where"'
check "--where shows the floors host folder" 'grep -qF -- "-> $game/GAMEDATA/FLOORS" <<<"$where"'
check "--where says why skins are missing" 'grep -q -- "-> missing: Path not found" <<<"$where"'

cp "$fixtures/fresh/system.min.reg" "$prefix/system.reg"
WINEPREFIX=$prefix "$counter" --category floors >"$work/out" 2>"$work/err"; status=$?
check "not found exits 1" '[ $status = 1 ]'
check "not found names the key, value and prefix: $(cat "$work/err")" \
    'grep -q "SIMS_DATA and InstallPath under HKEY_LOCAL_MACHINE.Software.Maxis.The Sims.*$prefix" "$work/err"'
WINEPREFIX=$work/nowhere "$counter" --where >/dev/null 2>&1; status=$?
check "--where without a prefix exits 1" '[ $status = 1 ]'
"$counter" --category attics >/dev/null 2>&1; status=$?
check "an unknown category is bad usage" '[ $status = 2 ]'

# Homes without SIMS_DATA anywhere: the copies the launchers keep.
legacy() { # the Legacy Collection in a Steam library: $1 library, $2 files in Downloads
    mkdir -p "$1/steamapps/common/The Sims Legacy Collection/GameData" \
        "$1/steamapps/common/The Sims Legacy Collection/Downloads/Sets"
    printf '"AppState"\n{\n\t"appid"\t\t"3314060"\n\t"installdir"\t\t"The Sims Legacy Collection"\n}\n' \
        >"$1/steamapps/appmanifest_3314060.acf"
    touch "$1/steamapps/common/The Sims Legacy Collection/GameData/Behavior.iff"
    for i in $(seq 1 "$2"); do
        truncate -s 10 "$1/steamapps/common/The Sims Legacy Collection/Downloads/Sets/o$i.iff"
    done
}
objects() { HOME=$1 "$counter" --json --category objects 2>"$work/err"; }

home=$work/h1
mkdir -p "$home/.local/share/Steam/steamapps"
printf '"libraryfolders"\n{\n\t"0"\n\t{\n\t\t"path"\t\t"%s"\n\t}\n\t"1"\n\t{\n\t\t"path"\t\t"%s"\n\t}\n}\n' \
    "$home/.local/share/Steam" "$work/lib2" >"$home/.local/share/Steam/steamapps/libraryfolders.vdf"
legacy "$work/lib2" 3
out=$(objects "$home")
check "the Legacy Collection in a second Steam library: $out" '[[ $out == *"\"files\":3,\"folders\":1,\"bytes\":30,"* ]]'

home=$work/h2
legacy "$home/.var/app/com.valvesoftware.Steam/.local/share/Steam" 2
out=$(objects "$home")
check "in Flatpak Steam: $out" '[[ $out == *"\"files\":2,"* ]]'

disc() { # a disc copy in a Wine prefix: $1 prefix, $2 registry fixture, $3 an object's size
    local game="$1/drive_c/Program Files (x86)/Maxis/The Sims"
    mkdir -p "$game/GameData" "$game/downloads" "$1/dosdevices"
    ln -s ../drive_c "$1/dosdevices/c:"
    cp "$fixtures/$2/system.min.reg" "$1/system.reg"
    touch "$game/GameData/BEHAVIOR.IFF"
    truncate -s "$3" "$game/downloads/a.IFF"
}

home=$work/h3
disc "$home/.local/share/bottles/bottles/The Sims" a_sz_32bit 5
out=$(objects "$home")
check "a disc copy in a Bottles prefix: $out" '[[ $out == *"\"files\":1,\"folders\":0,\"bytes\":5,"* ]]'

home=$work/h4
wine="$home/.wine"
disc "$wine" r_install_path_only 7
out=$(objects "$home")
check "a registry holding only InstallPath: $out" '[[ $out == *"\"files\":1,\"folders\":0,\"bytes\":7,"* ]]'

# SIMS_DATA in ~/.wine still comes first; Steam is the second copy.
cp "$fixtures/a_sz_32bit/system.min.reg" "$wine/system.reg"
legacy "$home/.local/share/Steam" 4
out=$(objects "$home")
check "SIMS_DATA comes first: $out" '[[ $out == *"\"files\":1,"* ]]'
out=$(HOME=$home "$counter" --json --game 2 --category objects)
check "--game 2 counts the second copy: $out" '[[ $out == *"\"files\":4,"* ]]'
where=$(HOME=$home "$counter" --where)
check "--where lists both copies" 'grep -q "^Game 1 *SIMS_DATA in $wine/system.reg" <<<"$where" && grep -q "^Game 2 *Steam library" <<<"$where"'
HOME=$home "$counter" --game 3 --where >/dev/null 2>&1; status=$?
check "--game past the list is bad usage" '[ $status = 2 ]'
verbose=$(HOME=$home "$counter" --where --verbose)
check "--where --verbose says why a place did not count" 'grep -q "has no appmanifest_3314060.acf\|is not installed there" <<<"$verbose"'

# Decoys and malformed launcher files: never taken, never a crash.
home=$work/h5
mkdir -p "$home/.local/share/Steam/steamapps/common/The Sims 2 Legacy Collection/GameData" \
    "$home/.config/lutris/games" "$home/.config/heroic/legendaryConfig/legendary"
printf '"AppState" { "appid" "3314070" "installdir" "The Sims 2 Legacy Collection" }' \
    >"$home/.local/share/Steam/steamapps/appmanifest_3314070.acf"
touch "$home/.local/share/Steam/steamapps/common/The Sims 2 Legacy Collection/GameData/Behavior.iff"
printf '"libraryfolders" { "0" { "path"' >"$home/.local/share/Steam/steamapps/libraryfolders.vdf"
head -c 3000 /dev/urandom >"$home/.config/lutris/games/x.yml"
printf '{"a": {"install_path": ' >"$home/.config/heroic/legendaryConfig/legendary/installed.json"
HOME=$home "$counter" --category objects >/dev/null 2>"$work/err"; status=$?
check "decoys and broken files: not found, exit 1" '[ $status = 1 ]'
check "the message says where it looked: $(head -3 "$work/err")" 'grep -q "Steam: 1 library looked in" "$work/err" && grep -q "^  Steam at /" "$work/err" && grep -q "brambleton-count FOLDER PATTERN" "$work/err"'

# --verbose names every place and its real reason, run as a normal user: root reads anything.
if [ "$(id -u)" = 0 ] && command -v runuser >/dev/null; then
    id brambleton-player >/dev/null 2>&1 || useradd --no-create-home brambleton-player
    home=$work/h6
    mkdir -p "$home/.config/lutris/games" "$home/.local/share/lutris/games" \
        "$home/.config/heroic/GamesConfig" "$home/.local/share/Steam/steamapps" \
        "$home/.local/share/bottles/bottles/B/drive_c/Program Files/Maxis/The Sims/GameData" \
        "$home/.var/app/net.lutris.Lutris/data/lutris/games"
    touch "$home/.local/share/bottles/bottles/B/system.reg" \
        "$home/.local/share/bottles/bottles/B/drive_c/Program Files/Maxis/The Sims/GameData/Behavior.iff"
    printf 'game: [prefix: {{{' >"$home/.config/lutris/games/broken.yml"
    printf 'game:\n  prefix: /p\n' >"$home/.config/lutris/games/locked.yml"
    head -c 2000000 /dev/zero | tr '\0' ' ' >"$home/.config/heroic/GamesConfig/huge.json"
    mkfifo "$home/.config/heroic/GamesConfig/pipe.json"
    chown -R brambleton-player "$home"
    chmod 755 "$work"
    chmod 000 "$home/.config/lutris/games/locked.yml" "$home/.local/share/lutris/games" \
        "$home/.local/share/Steam/steamapps" \
        "$home/.local/share/bottles/bottles/B/drive_c/Program Files/Maxis/The Sims"
    verbose=$(runuser -u brambleton-player -- env HOME="$home" "$counter" --where --verbose 2>&1)
    for said in "locked.yml: cannot be read: Permission denied" "broken.yml: is not valid YAML" \
        "lutris/games: cannot be read: Permission denied" "huge.json: is too large" \
        "pipe.json: is not a regular file" "its steamapps cannot be read: Permission denied" \
        "The Sims cannot be read: Permission denied"; do
        check "--verbose as a normal user says \"$said\"" 'grep -qF "$said" <<<"$verbose"'
    done
    check "--verbose blames no unreadable folder for a missing file" \
        '! grep -q "has no appmanifest\|holds no GameData" <<<"$verbose"'
    [ "$failures" = 0 ] || echo "$verbose" >&2
fi

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
