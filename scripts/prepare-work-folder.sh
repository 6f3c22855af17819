#!/usr/bin/env bash
# Fills a working folder for Kelvinor: scripts/prepare-work-folder.sh BUILD FOLDER
# Copies the bus scripts and the clock program; leaves the user's own files alone.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
folder=${2:-run}
mkdir -p "$folder"
if compgen -G "bus-scripts/*.BAT" >/dev/null; then
    cp bus-scripts/*.BAT bus-scripts/KELVBUS.SH "$folder"/
fi
if [ -f "$build/logger/Horalux" ]; then
    cp "$build/logger/Horalux" "$folder"/Horalux
fi
