#!/usr/bin/env bash
# DigiTemp for the Windows edition: Debian's source package of DigiTemp,
# cross-built with mingw-w64 as digitemp_DS9097.exe (passive DS9097 adapter,
# through the Win32 link layer in packaging/windows/digitemp, as DigiTemp's
# own is POSIX-only) and digitemp_DS9097U.exe (DS2480B adapter, through
# DigiTemp's own Win32 link layer userial/win32/win32lnk.c).
#   bash scripts/build-windows-digitemp.sh PREFIX
# leaves in PREFIX the two programs, DigiTemp's licence (COPYING) and
# digitemp-source.tar.gz: the source they were built from, Debian's and
# ours; nothing to do when they are there.
set -euo pipefail
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
[ -f "$prefix/digitemp_DS9097.exe" ] && [ -f "$prefix/digitemp_DS9097U.exe" ] &&
    [ -f "$prefix/digitemp-source.tar.gz" ] && exit 0
project=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$project/scripts/debian-source.sh" digitemp "$work/digitemp"
ours=$project/packaging/windows/digitemp
source=$work/digitemp
cp "$ours/ds9097_win32lnk.c" "$source/userial/ds9097/"
patch -s -d "$source" -p1 <"$ours/windows-port-names.patch"

cc=(x86_64-w64-mingw32-gcc -O2 -w -I"$source/src" -I"$source/userial" -static -s)
common=(src/digitemp.c src/device_name.c src/ds2438.c userial/crcutil.c userial/ioutil.c
    userial/swt1f.c userial/owerr.c userial/cnt1d.c userial/ad26.c)
cd "$source"
"${cc[@]}" -o digitemp_DS9097.exe "${common[@]}" userial/ds9097/ownet.c \
    userial/ds9097/owtran.c userial/ds9097/ds9097_win32lnk.c src/ds9097.c
"${cc[@]}" -o digitemp_DS9097U.exe "${common[@]}" userial/ds9097u/ds2480ut.c \
    userial/ds9097u/ownetu.c userial/ds9097u/owllu.c userial/ds9097u/owsesu.c \
    userial/ds9097u/owtrnu.c userial/win32/win32lnk.c src/ds9097u.c -Iuserial/ds9097u \
    -DOWERROR_PORTNUM_ERROR=OWERROR_GET_SYSTEM_RESOURCE_FAILED  # a code ownet.h no longer has
cp digitemp_DS9097.exe digitemp_DS9097U.exe "$prefix/"
cp COPYING "$prefix/"
rm -f digitemp_DS9097.exe digitemp_DS9097U.exe
tar -czf "$prefix/digitemp-source.tar.gz" -C "$work" digitemp
