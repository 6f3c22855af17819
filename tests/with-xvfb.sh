#!/usr/bin/env bash
# with-xvfb.sh COMMAND...: runs COMMAND on a fresh Xvfb display of its own
# (Qt's xcb platform), and ends the display afterwards.
set -euo pipefail
display=:$((300 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 100); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
DISPLAY=$display QT_QPA_PLATFORM=xcb "$@"
