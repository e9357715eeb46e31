#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Black-box test of brambleton-count: its totals against an independent count by find and awk
# under the same rules, on generated trees and on real system folders, and its exit codes.
set -u
counter=$1
version=$2  # the build's version
failures=0
passes=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pass() { passes=$((passes + 1)); }
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

json_field() { sed -n "s/.*\"$2\":\([0-9.]*\).*/\1/p" <<<"$1"; }

# The same rules by find: regular files and links to regular files below DIR (links to
# folders are not followed), folders below DIR, sizes of what links point to.
independent() {
    local dir=$1 ext=$2 files bytes folders
    local name_test=(-true)
    case "$ext" in
    "*") ;;
    glob:*) name_test=(-iname "${ext#glob:}") ;;  # a whole-name wildcard, as find reads it
    *) name_test=(-iname "*.$ext" -o -iname "$ext") ;;
    esac
    files=$(find "$dir" -mindepth 1 -xtype f \( "${name_test[@]}" \) -printf x | wc -c)
    bytes=$(find "$dir" -mindepth 1 -xtype f \( "${name_test[@]}" \) -print0 |
        xargs -0 -r stat -L -c %s | awk '{s += $1} END {printf "%.0f", s}')
    folders=$(find "$dir" -mindepth 1 -type d -printf x | wc -c)
    echo "$files $folders $bytes"
}

compare() {
    local dir=$1 pattern=$2 ext=$3 out got want sequential
    out=$("$counter" --json "$dir" "$pattern" 2>/dev/null)
    got="$(json_field "$out" files) $(json_field "$out" folders) $(json_field "$out" bytes)"
    want=$(independent "$dir" "$ext")
    if [ "$got" = "$want" ]; then pass; else fail "$dir $pattern: counter '$got', find '$want'"; fi
    # Without the readers ahead of it the walk finds the same.
    sequential=$("$counter" --sequential --json "$dir" "$pattern" 2>/dev/null)
    [ "$sequential" = "$out" ] && pass || fail "$dir $pattern: --sequential '$sequential', '$out'"
}

# A generated tree with mixed case, backups, names without a dot, links and odd names.
tree=$work/tree
mkdir -p "$tree"
for i in $(seq 1 30); do
    d="$tree/Downloads/set$((i % 7))/sub$((i % 3))"
    mkdir -p "$d"
    truncate -s $((i * 1000)) "$d/obj$i.iff"
    truncate -s $((i * 10)) "$d/OBJ$i.IFF"
    truncate -s 5 "$d/obj$i.iff.bak"
    truncate -s 7 "$d/readme$i"
    truncate -s $((i * 3)) "$d/floor$i.flr"
done
truncate -s 3000000000 "$tree/Downloads/huge.iff"
ln -s / "$tree/Downloads/z:"
ln -s .. "$tree/Downloads/set1/loop"
ln -s set2/sub1/obj2.iff "$tree/Downloads/alias.iff"
ln -s missing.iff "$tree/Downloads/dangling.iff"
printf x >"$tree/Downloads/new
line.iff"
printf xy >"$tree/Downloads/$(printf 'bad\xffutf8.iff')"

compare "$tree" "*.IFF" iff
compare "$tree" "*.flr" flr
compare "$tree" "*.*" "*"
compare "$tree" "*" "*"
compare "$tree" "obj1*.iff" "glob:obj1*.iff"
compare "$tree" " ;OBJ?.iff" "glob:OBJ?.iff"
for system in /usr/include /usr/share/zoneinfo /etc; do
    [ -d "$system" ] && compare "$system" "*.h" h && compare "$system" "*.*" "*"
done

# Text output carries the window's labels; names with control characters are escaped.
text=$(LC_ALL=C "$counter" "$tree" "*.IFF" 2>&1)
for label in Folders Files "Total Bytes" "Total KBytes" "Total MBytes"; do
    grep -q "^$label " <<<"$text" && pass || fail "no '$label' line"
done

# On a terminal a progress line shows the folders walked, and is cleared at the end.
if command -v script >/dev/null; then
    shown=$(script -qec "'$counter' '$tree' '*.IFF'" /dev/null | tr '\r' '\n')
    grep -q "^.\[K[0-9]* folders  " <<<"$shown" && pass || fail "no progress line on a terminal"
    grep -q "Folders  *[0-9]" <<<"$shown" && pass || fail "totals missing on a terminal"
fi

expect_exit() {
    local want=$1 what=$2
    shift 2
    "$counter" "$@" >"$work/out" 2>"$work/err"
    local got=$?
    if [ "$got" = "$want" ]; then pass; else fail "$what: exit $got, wanted $want"; fi
}
expect_exit 0 "a readable tree" "$tree"
expect_exit 1 "a missing folder" "$work/missing"
grep -q "^error en ContadorDeArchivos.ContarArchivos() ; Path not found: $work/missing" "$work/err" &&
    pass || fail "missing folder message: $(cat "$work/err")"
expect_exit 1 "a file given as the folder" "$tree/Downloads/alias.iff"
expect_exit 2 "no arguments"
expect_exit 2 "an empty folder argument" ""
expect_exit 2 "an unknown option" --bogus "$tree"
expect_exit 2 "too many arguments" "$tree" "*.*" extra
expect_exit 0 "--help" --help
expect_exit 0 "--version" --version
[ "$(cat "$work/out")" = "brambleton-count $version" ] && pass || fail "--version: $(cat "$work/out")"
mkdir "$work/$(printf 'new\nline')"
expect_exit 1 "a missing folder with a newline" "$work/$(printf 'no\nsuch')"
[ "$(wc -l <"$work/err")" = 1 ] && pass || fail "a newline in a name split the message"

expect_exit 2 "--json with --where" --json --where
expect_exit 2 "--sequential with --where" --sequential --where
expect_exit 2 "--category twice" --category floors --category walls
expect_exit 2 "--game twice" --game 1 --game 2 --where
for pattern in "" " " ";" " ; "; do
    expect_exit 2 "a pattern with no entry: '$pattern'" "$tree" "$pattern"
done

# A result that cannot be written is an error, not a success.
if [ -w /dev/full ]; then
    "$counter" --json "$tree" "*.IFF" >/dev/full 2>"$work/err"
    [ $? = 3 ] && pass || fail "writing to a full disk did not fail"
    grep -q "could not be written" "$work/err" && pass || fail "no message for a failed write"
else
    echo "skipped: no /dev/full to write to"
fi

# Machine output does not depend on the locale; the text keeps the user's separators.
mkdir -p "$work/locale"
if localedef -i de_DE -f UTF-8 "$work/locale/de_DE.UTF-8" 2>/dev/null; then
    json=$(LOCPATH=$work/locale LC_ALL=de_DE.UTF-8 "$counter" --json "$tree" "*.IFF" 2>/dev/null)
    python3 -c 'import json, sys; json.loads(sys.argv[1])' "$json" 2>/dev/null && pass ||
        fail "--json in a German locale is not JSON: $json"
    text=$(LOCPATH=$work/locale LC_ALL=de_DE.UTF-8 "$counter" "$tree" "*.IFF" 2>/dev/null)
    grep -q "^Total KBytes  *[0-9.]*,[0-9]$" <<<"$text" && pass ||
        fail "the text lost the German separators: $text"
else
    echo "skipped: localedef cannot make de_DE.UTF-8 (Debian package locales)"
fi

# A byte total past 64 bits is that folder's overflow error, never a wrapped number. Sparse
# files of 2^63 - 1 bytes need tmpfs (here /dev/shm) or XFS or Btrfs.
big=$(mktemp -d -p /dev/shm 2>/dev/null) || big=
if [ -n "$big" ] && truncate -s 9223372036854775807 "$big/a.iff" "$big/b.iff" 2>/dev/null; then
    out=$("$counter" --json "$big" "*.IFF" 2>"$work/err")
    [ $? = 1 ] && pass || fail "a byte total past 64 bits did not fail the folder"
    [[ $out == *'"bytes":0,'*'"errors":1}' ]] && pass || fail "wrapped byte total: $out"
    grep -q "; Overflow adding up the sizes" "$work/err" && pass || fail "$(cat "$work/err")"
else
    echo "skipped: no file system here takes files of 2^63 - 1 bytes"
fi
[ -n "$big" ] && rm -rf "$big"

# Under a low limit on open files the readers ahead of the walk must leave the descriptors
# to the walk: the same totals as one folder at a time, on a cold cache when we may drop it
# (the readers rest while everything is cached).
python3 "$(dirname "$0")/../../bench/make_tree.py" "$work/limit" --files 50000 --folders 5000 \
    --seed 3 >/dev/null
alone=$("$counter" --sequential --json "$work/limit" "*.*")
for run in 1 2 3 4 5; do
    [ -w /proc/sys/vm/drop_caches ] && sync && echo 3 >/proc/sys/vm/drop_caches
    limited=$(ulimit -n 16 && "$counter" --json "$work/limit" "*.*" 2>"$work/err")
    [ "$limited" = "$alone" ] && pass ||
        fail "run $run under ulimit -n 16: $limited, alone: $alone; $(head -3 "$work/err")"
done
rm -rf "$work/limit"

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
