#!/usr/bin/env bash
# Installs what is missing, builds and starts Kelvinor in a working folder
# that holds the bus scripts and the clock program:
#   bash scripts/run.sh          the demonstration edition, in run/
#   bash scripts/run.sh --live   the edition for real sensors, in run-live/
# Only the programs are built (Kelvinor, Horalux, Kelvinor-Kurven), not the
# tests.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build folder=run demo=ON
if [ "${1:-}" = --live ]; then
    build=build-live folder=run-live demo=OFF
fi
bash scripts/setup.sh
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKELVINOR_DEMO_MODE=$demo >/dev/null
fi
ninja -C "$build" -j 2 Kelvinor Horalux Kelvinor-Kurven
bash scripts/prepare-work-folder.sh "$build" "$folder"
cd "$folder"
exec "../$build/logger/Kelvinor"
