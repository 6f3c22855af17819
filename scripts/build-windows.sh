#!/usr/bin/env bash
# Cross-builds the Windows edition into build-windows/ with Debian's mingw-w64
# and runs its tests under Wine: bash scripts/build-windows.sh
# (Work in progress: the toolkit-free layers, platform/win32 and their tests.)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
packages=(g++-mingw-w64-x86-64-posix wine wine64 nsis)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi
if [ ! -f build-windows/build.ninja ]; then
    cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" >/dev/null
fi
ninja -C build-windows -j 2
(cd build-windows && ctest --output-on-failure -j 2)
