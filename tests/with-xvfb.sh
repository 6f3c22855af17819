#!/usr/bin/env bash
# with-xvfb.sh [--openbox] COMMAND...: runs COMMAND on a fresh 1280x1024 Xvfb
# display of its own (Qt's xcb platform), with Debian's openbox as window
# manager when asked, and ends them afterwards.
set -euo pipefail
manager=
if [ "${1:-}" = --openbox ]; then
    manager=openbox
    shift
fi
display=:$((300 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
wm=
trap 'kill $wm "$xvfb" 2>/dev/null || true; wait 2>/dev/null || true' EXIT
for _ in $(seq 100); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
if [ -n "$manager" ]; then
    DISPLAY=$display openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    # Ready once it announces itself on the root window.
    for _ in $(seq 100); do
        DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
fi
DISPLAY=$display QT_QPA_PLATFORM=xcb "$@"
