#!/usr/bin/env bash
# Starts the real Kelvinor (demonstration edition) under Xvfb, answers the
# demonstration notice and the title prompt with real key presses, waits for
# the main window and saves a PNG screenshot: scripts/screenshot.sh [FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/kelvinor.png}")
mkdir -p "$(dirname "$out")"
bash scripts/setup.sh
bash scripts/build.sh build >/dev/null
. scripts/xvfb-session.sh
work=$(mktemp -d)
trap 'stop_session; rm -rf "$work"' EXIT
start_display 1280x1024x24
start_kelvinor build "$work"
open_main_window Kellerraum
sleep 1
import -window root -crop 800x650+240+187 +repage "$out"
echo "screenshot: $out"
