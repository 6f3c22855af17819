#!/usr/bin/env bash
# The Windows edition: installs what is missing (mingw-w64, Wine, NSIS, with
# the rest of the project's packages), cross-builds Kelvinor.exe and
# Horalux.exe into build-windows/, runs the Windows tests under Wine on an
# Xvfb screen of their own, and makes Kelvinor-<version>-win64.zip and
# Kelvinor-<version>-setup.exe there. libmosquitto (for MQTT) and DigiTemp
# for Windows are cross-built first from Debian's source packages.
#   bash scripts/build-windows.sh              build, test, package
#   bash scripts/build-windows.sh --no-package build and test (the test command)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=build-windows
bash scripts/build-windows-mosquitto.sh $build/third-party/mosquitto
bash scripts/build-windows-digitemp.sh $build/third-party/digitemp
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
# The Wine server and its services start first, with their output going
# nowhere: started by a test, they would keep that test's output pipe open,
# and with it its ctest slot, until the server ended (a 0.1 s test counted
# 148 s and the suite ran one test at a time beside it).
(cd $build && bash ../tests/with-xvfb.sh --openbox bash -c '
    wineserver -p >/dev/null 2>&1
    wine cmd /c exit >/dev/null 2>&1 </dev/null
    ctest --output-on-failure -j 2 --timeout 300') ||
    status=1
wineserver -k 2>/dev/null || true
[ $status -eq 0 ] || exit $status

if [ "${1:-}" != --no-package ]; then
    (cd $build && cpack)
    ls -l $build/Kelvinor-*-win64.zip $build/Kelvinor-*-setup.exe
fi
