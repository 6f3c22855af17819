#!/usr/bin/env bash
# Makes kelvinor.ico, the Windows programs' icon, from the project's icon
# (packaging/kelvinor.svg) in the sizes Windows shows: 16, 24, 32, 48, 64 and
# 256 pixels. The .ico is kept in the tree so that a build needs neither
# tool; run this after a change of the SVG.
set -euo pipefail
cd "$(dirname "$0")"
command -v rsvg-convert >/dev/null && command -v icotool >/dev/null ||
    apt-get install -y librsvg2-bin icoutils
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pngs=()
for size in 16 24 32 48 64 256; do
    rsvg-convert -w $size -h $size ../kelvinor.svg -o "$work/$size.png"
    pngs+=("$work/$size.png")
done
# The 256-pixel image as PNG inside the .ico (Windows Vista and later read it
# so), the small ones as bitmaps every Windows reads.
unset 'pngs[5]'
icotool -c -o kelvinor.ico "${pngs[@]}" --raw="$work/256.png"
