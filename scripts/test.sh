#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up what is missing; checks licence lines and formatting first, since they take
# seconds; then builds and runs every test twice, a normal build (warnings as errors, then
# clang-tidy) and one with AddressSanitizer and UndefinedBehaviorSanitizer; checks the
# install, fuzzes the readers, makes the release packages from the same build trees, runs
# the portable Linux folder in clean Debian roots as a player, and runs the Windows build's
# tests, the real program and the installer under Wine. Fails at
# the first failure; prints the time each stage took.
# usage: test.sh [--no-windows]
# --no-windows runs every leg but the Windows one (and makes the Debian package only), for a
# machine that has no Qt for Windows yet and cannot spend the time to build it.
set -euo pipefail
cd "$(dirname "$0")/.."
windows=true
case "${1:-}" in
--no-windows) windows=false ;;
"") ;;
*)
    echo "usage: test.sh [--no-windows]" >&2
    exit 2
    ;;
esac
started=$SECONDS
stage_name=""
stage_start=$SECONDS
stage_times=()
# Starts the next stage, noting how long the one before took.
stage() {
    [ -z "$stage_name" ] || stage_times+=("$(printf '%5d s  %s' $((SECONDS - stage_start)) "$stage_name")")
    stage_name=$1
    stage_start=$SECONDS
    [ -z "$1" ] || echo "== $1"
}
report_times() {
    stage ""
    echo "== Time per stage"
    printf '%s\n' "${stage_times[@]}"
    echo "$(printf '%5d s' $((SECONDS - started)))  in all"
}
trap report_times EXIT

stage "Setting up what is missing"
bash scripts/setup.sh --tests
stage "Licence lines, platform-file headers and formatting"
bash scripts/check-sources.sh --quick

if ! $windows; then
    echo "== The Windows leg will be skipped (--no-windows): no Windows build, tests under Wine or Windows packages"
elif bash scripts/qt-windows.sh --ready; then
    # This run will not build Qt for Windows from source, so check that the recipe still
    # configures: a broken recipe would otherwise surface only on a newcomer's machine.
    stage "The recipe for Qt for Windows, up to its configure"
    bash scripts/qt-windows.sh --configure-only
else
    echo "== No Qt for Windows on this machine: this run first builds it from Debian's source."
    echo "   That takes up to three quarters of an hour on 2 cores, once; later runs reuse it."
    echo "   To run every other leg without it: bash scripts/test.sh --no-windows"
fi

jobs=$(nproc)
run_suite() {
    local dir=$1
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

stage "clang-tidy on the files the last commit changed, before the build"
bash scripts/check-sources.sh --changed "$(bash scripts/configure.sh linux)"
stage "Normal build and its tests, warnings as errors"
run_suite build/release
stage "clang-tidy on every file"
bash scripts/check-sources.sh build/release
stage "AddressSanitizer and UndefinedBehaviorSanitizer build and its tests"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRAMBLETON_SANITIZE=ON >/dev/null
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 run_suite build/sanitize
stage "Installing into a staging folder and validating the desktop files"
staging=$(mktemp -d)
trap 'rm -rf "$staging"; report_times' EXIT
cmake --install build/release --prefix "$staging/usr" >/dev/null
for f in usr/bin/brambleton usr/bin/brambleton-count \
    usr/share/icons/hicolor/16x16/apps/org.brambleton.Brambleton.png \
    usr/share/icons/hicolor/32x32/apps/org.brambleton.Brambleton.png \
    usr/share/icons/hicolor/256x256/apps/org.brambleton.Brambleton.png \
    usr/share/icons/hicolor/scalable/apps/org.brambleton.Brambleton.svg \
    usr/share/brambleton/user-guide.html usr/share/brambleton/licence.html; do
    [ -e "$staging/$f" ] || { echo "missing from the install: $f"; exit 1; }
done
desktop-file-validate "$staging/usr/share/applications/org.brambleton.Brambleton.desktop"
appstreamcli validate --no-net --explain "$staging/usr/share/metainfo/org.brambleton.Brambleton.metainfo.xml"
# The Flatpak manifest cannot be built here (no Flathub runtimes): it must at least parse.
# (It keeps a state folder where it runs: the staging folder, not the work tree.)
(cd "$staging" && flatpak-builder --show-manifest "$OLDPWD/packaging/flatpak/org.brambleton.Brambleton.yml" >/dev/null)
rm -rf "$staging"

stage "Fuzzing every reader of outside text and files, each for the seconds the tests' list gives it (build/fuzz/fuzzers.txt)"
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DBRAMBLETON_FUZZ=ON -DBRAMBLETON_UI=OFF >/dev/null
# shellcheck disable=SC2046  # one target a word
cmake --build build/fuzz --target $(cut -d' ' -f1 build/fuzz/fuzzers.txt) format_seeds -j "$jobs"
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"; report_times' EXIT
# Each fuzzer starts from its samples (what fuzzers found before, kept in the tests), the
# files the tests make of each format, and the fixtures the readers read.
while read -r target folder seconds samples <&3; do
    mkdir -p "$corpus/$samples"
    cp tests/samples/"$samples"/* "$corpus/$samples/"
done 3<build/fuzz/fuzzers.txt
build/fuzz/tests/content/format_seeds "$corpus"
for seed in tests/fixtures/wine/*/system.min.reg tests/fixtures/wine/win32_skeleton/system.reg; do
    cp "$seed" "$corpus/reg/$(basename "$(dirname "$seed")").reg"
done
cp tests/fixtures/steam/* "$corpus/vdf/"
mkdir -p build/fuzz/found
fuzz() { # target, corpus, seconds, folder below build/fuzz/tests
    ASAN_OPTIONS=detect_leaks=1 "build/fuzz/tests/$4/$1" -max_total_time="$3" \
        -max_len=16384 -timeout=10 -print_final_stats=1 -artifact_prefix="build/fuzz/found/$1-" \
        "$2" 2>"build/fuzz/$1.log" ||
        { tail -50 "build/fuzz/$1.log"; echo "The fuzzer found a fault in $1: keep the input" \
            "from build/fuzz/found/ in tests/samples/, named for what it breaks"; exit 1; }
    grep -E '^(stat::number_of_executed_units|Done)' "build/fuzz/$1.log" || true
}
while read -r target folder seconds samples <&3; do
    echo "-- $target, $seconds seconds"
    fuzz "$target" "$corpus/$samples" "$seconds" "$folder"
done 3<build/fuzz/fuzzers.txt
stage "Release packages, from the same build trees"
if $windows; then bash scripts/release.sh; else bash scripts/release.sh --no-windows; fi
version=$(sed -n 's/^project(Brambleton VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# The package's dependencies resolve from Debian's archive (apt's simulation: nothing installed).
apt-get install -s "./dist/brambleton_${version}_amd64.deb" >/dev/null
stage "The portable Linux folder in clean Debian roots without Qt, as a player"
bash scripts/test-portable.sh "dist/brambleton-${version}-linux-x86_64.tar.gz"
if $windows; then
    stage "clang-tidy on the Windows files, through the MinGW build's compile database"
    bash scripts/check-sources.sh --windows build/windows
    stage "Windows build's tests under Wine, with the installer's round trip"
    bash scripts/test-windows.sh build/release/src/app/brambleton-count "dist/brambleton-$version-setup.exe"
    stage "All tests passed"
else
    stage "All tests passed but the Windows leg, which was skipped: --no-windows was given,"
    echo "   so the Windows build, its tests under Wine and its packages were not made or tested."
fi
