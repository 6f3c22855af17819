# Sourced: start_xvfb SIZE starts an Xvfb screen of SIZE (e.g. 1280x1024x24)
# on a display of its own and sets xvfb_pid and xvfb_display. The number is
# drawn at random from a wide range, so that a test never takes the number a
# server of another test is just giving up (its shutdown can break clients of
# the next server with that number); Xvfb's own lock refuses a number in use,
# and then another is drawn.
start_xvfb() {
    local attempt
    for attempt in $(seq 20); do
        xvfb_display=:$((100 + RANDOM % 30000))
        Xvfb "$xvfb_display" -screen 0 "$1" -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 100); do
            kill -0 "$xvfb_pid" 2>/dev/null || break
            if DISPLAY=$xvfb_display xdpyinfo >/dev/null 2>&1; then
                # Ours only if our server still runs a moment later (a server
                # refused by another's lock ends at once).
                sleep 0.1
                kill -0 "$xvfb_pid" 2>/dev/null && return 0
                break
            fi
            sleep 0.05
        done
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null || true
    done
    echo "Xvfb did not start" >&2
    return 1
}

# start_openbox DISPLAY: Debian's openbox as window manager, ready once it
# announces itself on the root window. Sets wm_pid.
start_openbox() {
    DISPLAY=$1 openbox --sm-disable >/dev/null 2>&1 &
    wm_pid=$!
    for _ in $(seq 200); do
        DISPLAY=$1 xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.05
    done
    echo "openbox did not start" >&2
    return 1
}
