#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The portable Linux folder as a player meets it: in a clean Debian 12 root without Qt
# (debootstrap --variant=minbase from the machine's own Debian mirror, then only Xvfb,
# openbox, the X client libraries and the tools that drive the window), and in a Debian 13
# root where the mirror serves it. In each, as a normal user: the tarball unpacks, ldd finds
# every library carried or allowed, brambleton-count runs, install.sh puts a valid menu entry
# in place, the installed window opens on a Steam home's Legacy Collection with no message
# box and Count shows its totals, and install.sh --uninstall leaves no file behind. The roots
# are kept under the cache (~/.cache/brambleton/roots), so later runs do not build them
# again. Needs root (chroot) and desktop-file-validate.
# usage: test-portable.sh TARBALL
set -euo pipefail
cd "$(dirname "$0")/.."
tarball=$(realpath "$1")
cache=${XDG_CACHE_HOME:-$HOME/.cache}/brambleton/roots
mkdir -p "$cache"
work=$(mktemp -d)
mounts=()
cleanup() {
    local m
    for m in "${mounts[@]}"; do umount -l "$m" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi; }

# The machine's own Debian mirror, as apt names it.
mirror=$(sed -n 's/^URIs: *\([^ ]*debian\)\/* *$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=$(sed -n 's/^deb \(http[^ ]*debian\)\/* .*/\1/p' /etc/apt/sources.list 2>/dev/null | head -n 1)
mirror=${mirror:-http://deb.debian.org/debian}
serves() { python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1], timeout=20)' \
    "$mirror/dists/$1/Release" 2>/dev/null; }

# Mounts what a program in the root needs of the running system: processes, devices.
enter() {
    local root=$1
    mount -t proc proc "$root/proc" && mounts+=("$root/proc")
    mount --rbind /dev "$root/dev" && mounts+=("$root/dev")
}

# What the roots hold besides minbase: the display, the window manager, the tools that drive
# the window, and the X, GL and font client libraries every desktop has (libgl1 and libegl1,
# with what they depend on; not libopengl0, which a desktop may lack).
root_packages=(xvfb xauth openbox xdotool xclip fonts-dejavu-core
    libx11-6 libx11-xcb1 libxcb1 libxext6 libxrender1 libgl1 libegl1
    libfontconfig1 libfreetype6)
# A cached root is kept for one package list.
root_key=$(printf '%s\n' "${root_packages[@]}" | md5sum | cut -c1-8)

# A root for `suite`, from the cache or built now.
make_root() {
    local suite=$1 root=$2
    local cached=$cache/$suite-$root_key.tar
    if [ ! -f "$cached" ]; then
        echo "-- building a clean $suite root from $mirror (once; kept in $cache)"
        local build=$work/build-$suite
        debootstrap --variant=minbase "$suite" "$build" "$mirror" >"$work/debootstrap-$suite.log" 2>&1 ||
            { tail -20 "$work/debootstrap-$suite.log"; return 1; }
        enter "$build"
        chroot "$build" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${root_packages[@]}" >"$work/apt-$suite.log" 2>&1 || { tail -20 "$work/apt-$suite.log"; return 1; }
        chroot "$build" apt-get clean
        umount -l "$build/proc" "$build/dev"
        rm -f "$cache/$suite"-*.tar
        tar -C "$build" -cf "$cached.new" . && mv "$cached.new" "$cached"
        rm -rf "$build"
    fi
    mkdir -p "$root"
    tar -C "$root" -xf "$cached"
}

# Runs a script as the player in the root.
as_player() {
    chroot "$1" runuser -u player -- env -i HOME=/home/player PATH=/usr/bin:/bin LANG=C.UTF-8 \
        bash -c "$2"
}

run_in() {
    local suite=$1
    local root=$work/$suite
    local started=$SECONDS
    make_root "$suite" "$root"
    enter "$root"
    if chroot "$root" sh -c 'ls /usr/lib/x86_64-linux-gnu/libQt6* >/dev/null 2>&1'; then
        echo "FAIL: the $suite root has Qt"
        failures=$((failures + 1))
    fi
    # Nor what only some desktops have, which would hide a library the folder must carry.
    if chroot "$root" sh -c 'ls /usr/lib/x86_64-linux-gnu/libOpenGL.so* >/dev/null 2>&1'; then
        echo "FAIL: the $suite root has libOpenGL, which a desktop may lack"
        failures=$((failures + 1))
    fi
    chroot "$root" useradd --create-home --shell /bin/bash player
    local home=$root/home/player
    cp "$tarball" "$home/"
    cp scripts/check-portable.sh "$home/check-portable.sh"
    # A Steam home holding the Legacy Collection: two objects (1.5 MB) in one sub-folder.
    local legacy="$home/.local/share/Steam/steamapps/common/The Sims Legacy Collection"
    mkdir -p "$legacy/GameData" "$legacy/Downloads/Set"
    printf '"AppState"\n{\n\t"appid"\t\t"3314060"\n\t"installdir"\t\t"The Sims Legacy Collection"\n}\n' \
        >"$home/.local/share/Steam/steamapps/appmanifest_3314060.acf"
    truncate -s 10 "$legacy/GameData/Behavior.iff"
    truncate -s 1048576 "$legacy/Downloads/chair.iff"
    truncate -s 524288 "$legacy/Downloads/Set/sofa.IFF"
    cp scripts/window-session.sh "$home/window.sh"
    chroot "$root" chown -R player:player /home/player
    as_player "$root" 'find ~ -path ~/brambleton-\* -prune -o -print | sort >~/.before'

    as_player "$root" 'tar -xzf ~/brambleton-*.tar.gz -C ~'
    local ldd
    ldd=$(as_player "$root" 'bash ~/check-portable.sh ~/brambleton-*/' 2>&1) || true
    check "$suite: ldd finds every library carried or allowed: $ldd" '[[ $ldd == "ldd: every library"* ]]'
    # Read whole before looking: grep -q would stop reading at its first match and
    # leave the counter writing into a closed pipe.
    local help
    help=$(as_player "$root" 'cd ~/brambleton-*/ && ./brambleton-count --help' 2>&1) || true
    check "$suite: brambleton-count --help runs" 'grep -q "brambleton-count" <<<"$help"'
    local where
    where=$(as_player "$root" 'cd ~/brambleton-*/ && ./brambleton-count --where' 2>&1) || true
    check "$suite: brambleton-count finds the Legacy Collection: $where" 'grep -q "Steam library" <<<"$where"'
    local installed
    installed=$(as_player "$root" 'cd ~/brambleton-*/ && ./install.sh' 2>&1) || true
    check "$suite: install.sh installs without root: $installed" \
        '[ -x "$home/.local/share/brambleton/brambleton" ] && [ -f "$home/.local/share/icons/hicolor/256x256/apps/org.brambleton.Brambleton.png" ]'
    local entry=$home/.local/share/applications/org.brambleton.Brambleton.desktop
    check "$suite: the menu entry is valid and starts the installed program" \
        'desktop-file-validate "$entry" && grep -qx "Exec=\"/home/player/.local/share/brambleton/brambleton\"" "$entry"'
    local session
    session=$(as_player "$root" 'timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" bash ~/window.sh ~/.local/share/brambleton/brambleton' 2>&1) || true
    echo "$session" | sed 's/^/    /'
    check "$suite: the window opens with no message box" 'grep -qx "windows: The Sims Brambleton|" <<<"$session"'
    check "$suite: Count shows the Legacy Collection's Downloads" '[[ $session == *"1|2|1,572,864|1,536.0|1.5|"* ]]'
    check "$suite: the window keeps its size when resized" 'grep -qE "^size: ([0-9x]+) then \1$" <<<"$session"'
    as_player "$root" '~/.local/share/brambleton/install.sh --uninstall' >/dev/null 2>&1 || true
    # Font caches are fontconfig's, which any program on the desktop writes (openbox too):
    # in ~/.cache, or, when two programs start at once, its older place ~/.fontconfig.
    as_player "$root" 'rm -rf ~/brambleton-*/ ~/.cache ~/.fontconfig; find ~ -path ~/brambleton-\* -prune -o -print | sort >~/.after'
    local left
    left=$(diff "$home/.before" "$home/.after" | grep '^>' | grep -v -e '/\.before$' -e '/\.after$' -e '/\.config$' -e '/\.config/' || true)
    check "$suite: install.sh --uninstall leaves no file behind${left:+: $left}" '[ -z "$left" ]'
    umount -l "$root/proc" "$root/dev"
    echo "The $suite run took $((SECONDS - started)) s"
}

run_in bookworm
if serves trixie; then
    run_in trixie
else
    echo "The mirror $mirror does not serve Debian 13 (trixie): its run is skipped."
fi
[ "$failures" = 0 ] || { echo "$failures portable checks failed"; exit 1; }
echo "Portable Linux folder: all checks passed"
exit 0
