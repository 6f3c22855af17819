#!/usr/bin/env bash
# Builds the Debian packages of Kelvinor, each edition in two parts:
#   bash scripts/package.sh          kelvinor_<version>_amd64.deb (the desktop, Kelvinor-Kurven)
#                                    kelvinor-terminal_<version>_amd64.deb (no Qt: the terminal
#                                    edition, the bus scripts, kelvinor.service)
#   bash scripts/package.sh --demo   kelvinor-demo_… and kelvinor-demo-terminal_… (three
#                                    simulated sensors)
# Install both with: sudo apt install ./build-package/*.deb; on a board
# without a screen the terminal part alone.
set -euo pipefail
cd "$(dirname "$0")/.."
demo=OFF folder=build-package
if [ "${1:-}" = --demo ]; then
    demo=ON folder=build-package-demo
fi
bash scripts/setup.sh
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVINOR_TESTS=OFF \
    -DKELVINOR_PACKAGE_DEMO=$demo >/dev/null
ninja -C "$folder" -j 2
(cd "$folder" && cpack -G DEB >/dev/null)
ls "$folder"/*.deb
