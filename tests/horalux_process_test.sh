#!/usr/bin/env bash
# The real Horalux on real Xvfb screens: its place on 1280x1024, 1024x768 and
# 1600x900, and termination from outside ending it at once.
set -euo pipefail
. "$(dirname "$0")/../scripts/xvfb-display.sh"
horalux=$1
clock_log=$(mktemp)
# A failed step ends the script: its servers and programs end with it.
trap 'rm -f "$clock_log"; kill $(jobs -p) 2>/dev/null || true' EXIT

# find_clock_window DISPLAY PID: the id of Horalux's visible window; when it
# never shows, says whether the program still ran, what it printed and what
# state its windows are in.
find_clock_window() {
    local window
    window=$(DISPLAY=$1 timeout 20 xdotool search --sync --onlyvisible --name '^Horalux$' | head -1) || true
    if [ -z "$window" ]; then
        kill -0 "$2" 2>/dev/null && echo "Horalux runs on $1 but shows no window" >&2 ||
            echo "Horalux ended on $1 without a window" >&2
        cat "$clock_log" >&2
        for w in $(DISPLAY=$1 xdotool search --name '^Horalux$' 2>/dev/null); do
            DISPLAY=$1 xwininfo -id "$w" | grep -E 'Map State|upper-left' >&2
            DISPLAY=$1 xprop -id "$w" WM_STATE _NET_WM_STATE >&2
        done
        return 1
    fi
    echo "$window"
}
check() {
    local size=$1 expected=$2
    start_xvfb "${size}x24"
    local display=$xvfb_display xvfb=$xvfb_pid
    DISPLAY=$display QT_QPA_PLATFORM=xcb "$horalux" >"$clock_log" 2>&1 &
    local clock=$!
    local window
    window=$(find_clock_window "$display" "$clock")
    sleep 0.3
    eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")"
    kill -KILL "$clock"
    local start=$(date +%s%N)
    wait "$clock" 2>/dev/null || true
    local ms=$((($(date +%s%N) - start) / 1000000))
    kill "$xvfb"; wait "$xvfb" 2>/dev/null || true
    echo "$size: window at $X,$Y size ${WIDTH}x$HEIGHT, ended ${ms} ms after the kill"
    [ "$X,$Y" = "$expected" ] && [ "${WIDTH}x$HEIGHT" = "120x55" ] && [ "$ms" -lt 1000 ]
}
check 1280x1024 1043,769
check 1024x768 452,356
check 1600x900 740,422

# Under a window manager (Debian's openbox) the outer frame's corner is the
# place: the client's place less the frame extents.
check_managed() {
    local size=$1 expected=$2
    start_xvfb "${size}x24"
    local display=$xvfb_display xvfb=$xvfb_pid
    start_openbox "$display"
    local wm=$wm_pid
    DISPLAY=$display QT_QPA_PLATFORM=xcb "$horalux" >"$clock_log" 2>&1 &
    local clock=$!
    local window
    window=$(find_clock_window "$display" "$clock")
    # The frame exists once openbox has set the extents; on a busy machine
    # that can take longer than a second. Then the place must settle.
    local info extents=
    for _ in $(seq 200); do
        extents=$(DISPLAY=$display xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep ' = ' | sed 's/.*= //; s/,//g' || true)
        [ -n "$extents" ] && break
        sleep 0.05
    done
    sleep 1
    info=$(DISPLAY=$display xwininfo -id "$window")
    extents=$(DISPLAY=$display xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep ' = ' | sed 's/.*= //; s/,//g' || true)
    kill "$clock" "$wm" "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    local x y w h left right top bottom
    x=$(echo "$info" | awk -F: '/Absolute upper-left X/ { print $2 + 0 }')
    y=$(echo "$info" | awk -F: '/Absolute upper-left Y/ { print $2 + 0 }')
    w=$(echo "$info" | awk -F: '/Width/ { print $2 + 0 }')
    h=$(echo "$info" | awk -F: '/Height/ { print $2 + 0 }')
    read -r left right top bottom <<<"${extents:-0 0 0 0}"
    echo "$size under openbox: outer corner at $((x - left)),$((y - top)), client ${w}x$h, frame $left $right $top $bottom"
    [ "$((x - left)),$((y - top))" = "$expected" ] && [ "${w}x$h" = "120x55" ] && [ "$top" -gt 0 ]
}
check_managed 1280x1024 1043,769
