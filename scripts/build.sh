#!/usr/bin/env bash
# Builds one configuration: scripts/build.sh FOLDER [CMAKE OPTIONS...]
# Default: folder "build", the demonstration edition, optimised with debug info.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build}
shift || true
# Options given on the command line also reach a folder configured before.
if [ ! -f "$folder/build.ninja" ] || [ $# -gt 0 ]; then
    cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
fi
ninja -C "$folder" -j 2
