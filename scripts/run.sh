#!/usr/bin/env bash
# Installs what is missing, builds and starts Kelvinor in a working folder
# that holds the bus scripts and the clock program:
#   bash scripts/run.sh          the demonstration edition, in run/
#   bash scripts/run.sh --live   the edition for real sensors, in run-live/
# Only the programs are built (Kelvinor-Demo or Kelvinor, Horalux,
# Kelvinor-Kurven), not the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build folder=run program=Kelvinor-Demo
if [ "${1:-}" = --live ]; then
    folder=run-live program=Kelvinor
fi
bash scripts/setup.sh
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
ninja -C "$build" -j 2 "$program" Horalux Kelvinor-Kurven
bash scripts/prepare-work-folder.sh "$build" "$folder"
cd "$folder"
exec "../$build/logger/$program"
