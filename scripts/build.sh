#!/usr/bin/env bash
# Builds one configuration: scripts/build.sh FOLDER [CMAKE OPTIONS...]
# Default: folder "build", the demonstration edition, optimised with debug info.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build}
shift || true
if [ ! -f "$folder/build.ninja" ]; then
    cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
fi
ninja -C "$folder" -j 2
