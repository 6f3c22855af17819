#!/usr/bin/env bash
# The Windows edition: installs what is missing (mingw-w64, Wine, NSIS, with
# the rest of the project's packages), cross-builds Kelvinor.exe and
# Horalux.exe into build-windows/, runs the Windows tests under Wine on an
# Xvfb screen of their own, and makes Kelvinor-<version>-win64.zip and
# Kelvinor-<version>-setup.exe there.
#   bash scripts/build-windows.sh              build, test, package
#   bash scripts/build-windows.sh --no-package build and test (the test command)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=build-windows
if [ ! -f $build/build.ninja ]; then
    cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" >/dev/null
fi
ninja -C $build -j 2

# One Wine prefix for the build's tests, made before they run in parallel.
export WINEPREFIX=$PWD/$build/wineprefix WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
fi
wineserver -w
# Every Wine program of the suite shares this one display: Wine's desktop
# process stays bound to the display it first met.
status=0
# The end-to-end test compares its log with the Linux demonstration edition's
# when that is built (scripts/test.sh builds it first).
if [ -x build/logger/Kelvinor-Demo ]; then
    export KELVINOR_LINUX_PROGRAM=$PWD/build/logger/Kelvinor-Demo
fi
(cd $build && bash ../tests/with-xvfb.sh --openbox ctest --output-on-failure -j 2 --timeout 300) ||
    status=1
wineserver -k 2>/dev/null || true
[ $status -eq 0 ] || exit $status

if [ "${1:-}" != --no-package ]; then
    (cd $build && cpack)
    ls -l $build/Kelvinor-*-win64.zip $build/Kelvinor-*-setup.exe
fi
