#!/usr/bin/env bash
# Builds the Debian package of Kelvinor with Kelvinor-Kurven:
#   bash scripts/package.sh          kelvinor_<version>_amd64.deb (the edition for real sensors)
#   bash scripts/package.sh --demo   kelvinor-demo_<version>_amd64.deb (three simulated sensors)
# Install it with: sudo apt install ./build-package/<file>.deb
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
