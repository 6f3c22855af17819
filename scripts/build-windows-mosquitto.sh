#!/usr/bin/env bash
# libmosquitto for the Windows edition: Debian's source package of mosquitto,
# cross-built with mingw-w64 as a static library without TLS (libmosquitto's
# TLS is OpenSSL, which the Windows edition does not carry).
#   bash scripts/build-windows-mosquitto.sh PREFIX
# leaves PREFIX/include/mosquitto.h and PREFIX/lib/libmosquitto_static.a;
# nothing to do when they are there.
set -euo pipefail
prefix=$1
[ -f "$prefix/lib/libmosquitto_static.a" ] && [ -f "$prefix/epl-v20" ] && exit 0
project=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$project/scripts/debian-source.sh" mosquitto "$work/mosquitto"
cmake -S "$work/mosquitto" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$project/cmake/mingw-w64.cmake" \
    -DWITH_TLS=OFF -DWITH_TLS_PSK=OFF -DWITH_EC=OFF -DWITH_UNIX_SOCKETS=OFF -DWITH_SOCKS=OFF \
    -DWITH_STATIC_LIBRARIES=ON -DWITH_THREADING=OFF -DWITH_CJSON=OFF -DWITH_CLIENTS=OFF \
    -DWITH_BROKER=OFF -DWITH_APPS=OFF -DWITH_PLUGINS=OFF -DDOCUMENTATION=OFF \
    -DWITH_LIB_CPP=OFF >/dev/null
ninja -C "$work/build" libmosquitto_static >/dev/null
mkdir -p "$prefix/include" "$prefix/lib"
cp "$work/mosquitto/include/mosquitto.h" "$work/mosquitto/include/mqtt_protocol.h" "$prefix/include/"
cp "$work/mosquitto/LICENSE.txt" "$work/mosquitto/epl-v20" "$work/mosquitto/edl-v10" "$prefix/"
cp "$work/build/lib/libmosquitto_static.a" "$prefix/lib/"
