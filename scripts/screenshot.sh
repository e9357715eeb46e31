#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts the window program under Xvfb on a sample Wine prefix, presses Count, and writes
# what the player sees to docs/main-window.png (or the file given).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/main-window.png}
bash scripts/setup.sh --tests
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release --target brambleton >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash scripts/sample-prefix.sh "$work/prefix" >/dev/null

cat >"$work/session.sh" <<SESSION
#!/usr/bin/env bash
set -euo pipefail
WINEPREFIX="$work/prefix" build/release/src/app/brambleton & pid=\$!
for _ in \$(seq 50); do
    id=\$(xdotool search --name 'The Sims Brambleton' 2>/dev/null | head -n 1) && [ -n "\$id" ] && break
    sleep 0.2
done
sleep 1
# The Count button: the Details group at (384, 8), the button at (8, 192) in it.
xdotool mousemove --window "\$id" 500 200 click 1
sleep 1
import -window "\$id" "$out"
kill \$pid
SESSION
xvfb-run -a -s '-screen 0 1024x600x24' bash "$work/session.sh"
echo "wrote $out"
