#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs Brambleton for this user, from the folder this script was unpacked with: the
# folder is copied to ~/.local/share/brambleton, and the menu entry and icons go where the
# desktop finds them (~/.local/share/applications and the hicolor icon theme). Brambleton
# then shows in the menu, the Steam Deck's Desktop Mode included, and can be added to Steam
# as a non-Steam game. Never needs root.
#   install.sh [--user]     install, or replace an earlier install (the default)
#   install.sh --uninstall  remove everything an install made
set -euo pipefail
id=org.brambleton.Brambleton
here=$(cd "$(dirname "$0")" && pwd)
data=${XDG_DATA_HOME:-$HOME/.local/share}
dest=$data/brambleton
entry=$data/applications/$id.desktop
icons=$data/icons/hicolor
# What the last install made, so that --uninstall removes exactly that.
record=$dest/.installed

refresh_menus() {
    # Desktops watch these folders. A cache the user already has is brought up to date; none
    # is made, so that an uninstall leaves nothing the install made.
    if [ -f "$data/applications/mimeinfo.cache" ] && command -v update-desktop-database >/dev/null; then
        update-desktop-database -q "$data/applications" 2>/dev/null || true
    fi
    if [ -f "$icons/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null; then
        gtk-update-icon-cache -q -t "$icons" 2>/dev/null || true
    fi
}

uninstall() {
    [ -f "$record" ] || { echo "Brambleton is not installed in $dest" >&2; return 1; }
    local made=()
    mapfile -t made <"$record"
    rm -rf "$dest"
    # Files first, then the folders the install created, deepest first, when empty.
    local path
    for path in "${made[@]}"; do [ -d "$path" ] || rm -f "$path"; done
    for ((i = ${#made[@]} - 1; i >= 0; i--)); do
        [ -d "${made[i]}" ] && rmdir "${made[i]}" 2>/dev/null || true
    done
    refresh_menus
    echo "Brambleton is uninstalled."
}

# Makes `folder` and its missing parents, recording each one it created.
make_folder() {
    local folder=$1 missing=()
    while [ ! -d "$folder" ]; do
        missing=("$folder" "${missing[@]}")
        folder=$(dirname "$folder")
    done
    local f
    for f in "${missing[@]}"; do
        mkdir "$f"
        created+=("$f")
    done
}

# A path as the desktop entry's Exec key takes it: quoted, with its reserved characters
# escaped.
exec_quoted() {
    local path=$1
    path=${path//\\/\\\\\\\\}
    path=${path//\"/\\\\\"}
    path=${path//\`/\\\\\`}
    path=${path//\$/\\\\\$}
    path=${path//%/%%}
    printf '"%s"' "$path"
}

install_here() {
    [ -x "$here/brambleton" ] || { echo "No brambleton program beside $0" >&2; exit 1; }
    if [ "$here" = "$(cd "$dest" 2>/dev/null && pwd)" ]; then
        echo "This is the installed copy; to install a new one, run install.sh in its unpacked folder." >&2
        exit 1
    fi
    if [ -f "$record" ]; then uninstall >/dev/null; fi
    created=()
    make_folder "$(dirname "$dest")"
    # Copied beside, then moved into place, so an interrupted copy leaves no half install.
    rm -rf "$dest.new"
    cp -R "$here" "$dest.new"
    mv "$dest.new" "$dest"
    make_folder "$(dirname "$entry")"
    local line exec
    exec=$(exec_quoted "$dest/brambleton")
    while IFS= read -r line; do
        case "$line" in
        Exec=*) printf 'Exec=%s\n' "$exec" ;;
        *) printf '%s\n' "$line" ;;
        esac
    done <"$here/share/applications/$id.desktop" >"$entry"
    created+=("$entry")
    local icon size
    for icon in "$here"/share/icons/hicolor/*/apps/"$id".*; do
        size=$(basename "$(dirname "$(dirname "$icon")")")
        make_folder "$icons/$size/apps"
        cp "$icon" "$icons/$size/apps/"
        created+=("$icons/$size/apps/$(basename "$icon")")
    done
    printf '%s\n' "${created[@]}" >"$record"
    refresh_menus
    echo "Brambleton is installed in $dest and in your menu."
    echo "To add it to Steam: Games > Add a Non-Steam Game to My Library, then choose Brambleton."
}

case "${1:---user}" in
--user) install_here ;;
--uninstall) uninstall ;;
*)
    echo "usage: install.sh [--user | --uninstall]" >&2
    exit 2
    ;;
esac
