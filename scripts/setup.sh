#!/usr/bin/env bash
# Installs the Debian 12 packages Kelvinor needs to build, run and test.
# Idempotent: only missing packages are installed. Works as root or through sudo.
set -euo pipefail

packages=(
    cmake ninja-build g++ ccache pkg-config libxcb1-dev
    qt6-base-dev qt6-base-private-dev qt6-multimedia-dev qt6-charts-dev qt6-svg-dev qt6-translations-l10n qt6-qpa-plugins libqt6opengl6 libqt6opengl6-dev
    libgtest-dev libgmock-dev libbenchmark-dev clang-format
    xvfb xauth x11-utils xdotool imagemagick fonts-liberation xdg-utils openbox
    desktop-file-utils shared-mime-info libfile-mimeinfo-perl dpkg-dev fakeroot lintian
    pulseaudio pulseaudio-utils sox procps
    libssl-dev openssl
    libncurses-dev tmux
    libmosquitto-dev mosquitto mosquitto-clients nlohmann-json3-dev
    python3 python3-aiosmtpd
    owserver ow-shell
    digitemp
    g++-mingw-w64-x86-64-posix wine wine64 nsis unzip patch
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "setup: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
fi
echo "setup: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
