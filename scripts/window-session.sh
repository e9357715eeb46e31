#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Drives the main window as a player would, on the display it is run on (under xvfb-run):
# starts openbox, then the program (the command given, such as `wine64 brambleton.exe` or
# `./brambleton`), and prints
#   windows: NAME|...            the visible windows' names, once it has opened
#   size: WxH then WxH           its size before and after a drag of its corner
#   F|D|B|KB|MB|                 Count's five totals, read back from the result boxes
#                                through the clipboard, as a player could copy them
#   program: ...                 what the program printed
# Needs openbox, xdotool and xclip. Used by the Windows leg and the portable folder's test.
set -u
log=$(mktemp)
# The desktop comes first, as on a player's machine: openbox, waited for until it has taken
# the screen (a window mapped while it is still starting up is never shown).
openbox >/dev/null 2>&1 &
for _ in $(seq 600); do
    xdotool get_num_desktops >/dev/null 2>&1 && break
    sleep 0.1
done
"$@" >"$log" 2>&1 &
program=$!
id=
for _ in $(seq 400); do # a first start in a new Wine prefix sets up fonts: slow
    id=$(xdotool search --onlyvisible --name '^The Sims Brambleton$' 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.3
done
[ -n "$id" ] || { echo "no window titled The Sims Brambleton"; tail -20 "$log"; exit 1; }
sleep 3
echo "windows: $(xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null | sort -u | tr '\n' '|')"
size() { xdotool getwindowgeometry --shell "$id" | sed -n 's/^\(WIDTH\|HEIGHT\)=//p' | tr '\n' x; }
before=$(size)
# The designed client area is 378 pixels high; the menu bar stands above it.
top=$(($(xdotool getwindowgeometry --shell "$id" | sed -n 's/^HEIGHT=//p') - 378))
# A player dragging the corner: the window keeps its size.
xdotool windowsize "$id" 900 700
sleep 1
echo "size: $before then $(size)"
# Count, then each result box: click, select all, copy. Client coordinates, in pixels.
# The count has ended when its first box shows a number.
xdotool mousemove --window "$id" 504 $((208 + top)) click 1
box() {
    printf '' | xclip -selection clipboard 2>/dev/null
    xdotool mousemove --window "$id" 549 $(($1 + top)) click 1 key ctrl+a key ctrl+c
    for _ in $(seq 50); do
        copied=$(xclip -o -selection clipboard 2>/dev/null) && [ -n "$copied" ] && break
        sleep 0.1
    done
    printf '%s' "$copied"
}
for _ in $(seq 300); do
    [ -n "$(box 40)" ] && break
    sleep 0.2
done
for y in 40 75 110 145 180; do
    printf '%s|' "$(box "$y")"
done
echo
xdotool windowclose "$id" 2>/dev/null || true
# What the program prints on its way out is read once it has ended.
for _ in $(seq 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
sed 's/^/program: /' "$log" | tail -20
rm -f "$log"
