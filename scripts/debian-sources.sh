#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Downloads Debian 12 source packages into FOLDER from the machine's own Debian mirror, through
# a private apt configuration with a deb-src entry, so the machine's own sources stay
# untouched. The Windows builds of the libraries the program carries are made from them.
# usage: debian-sources.sh FOLDER PACKAGE[=VERSION]...
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: debian-sources.sh FOLDER PACKAGE[=VERSION]..." >&2; exit 2; }
folder=$1
shift
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
apt=$(mktemp -d)
trap 'rm -rf "$apt"' EXIT
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" {print $2; exit}' /etc/apt/sources.list)
mkdir -p "$apt/lists/partial"
cat >"$apt/src.sources" <<SRC
Types: deb-src
URIs: $mirror
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
apt_opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt"
    -o Dir::State::Lists="$apt/lists")
apt-get "${apt_opts[@]}" update -qq
(cd "$folder" && apt-get "${apt_opts[@]}" source --download-only "$@")
