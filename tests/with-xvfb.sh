#!/usr/bin/env bash
# with-xvfb.sh [--openbox] COMMAND...: runs COMMAND on a fresh 1280x1024 Xvfb
# display of its own (Qt's xcb platform), with Debian's openbox as window
# manager when asked, and ends them afterwards.
set -euo pipefail
. "$(dirname "$0")/../scripts/xvfb-display.sh"
manager=
if [ "${1:-}" = --openbox ]; then
    manager=openbox
    shift
fi
xvfb_pid= wm_pid=
trap 'kill $wm_pid $xvfb_pid 2>/dev/null || true; wait 2>/dev/null || true' EXIT
start_xvfb 1280x1024x24
[ -z "$manager" ] || start_openbox "$xvfb_display"
DISPLAY=$xvfb_display QT_QPA_PLATFORM=xcb "$@"
