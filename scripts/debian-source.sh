#!/usr/bin/env bash
# debian-source.sh PACKAGE FOLDER: Debian 12's source package PACKAGE,
# unpacked with its patches into FOLDER (which must not exist yet). The
# source comes through apt with a list of its own, so the machine's apt
# sources stay as they are.
set -euo pipefail
package=$1
folder=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/debian.sources" <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
mkdir -p "$work/lists/partial" "$work/source"
apt=(apt-get -q -o Dir::Etc::SourceList="$work/debian.sources" -o Dir::Etc::SourceParts=/dev/null
     -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
"${apt[@]}" update >/dev/null
(cd "$work/source" && "${apt[@]}" source --download-only "$package" >/dev/null 2>&1)
# apt has checked the files against the signed index; the maintainer's own
# signature of the .dsc needs a key ring this machine lacks.
dpkg-source -x "$work"/source/"${package}"_*.dsc "$folder" >/dev/null 2>&1
