# Sourced: start_xvfb SIZE starts an Xvfb screen of SIZE (e.g. 1280x1024x24)
# on a display of its own and sets xvfb_pid and xvfb_display. The number is
# drawn at random from a wide range, so that a test never takes the number a
# server of another test is just giving up (its shutdown can break clients of
# the next server with that number); Xvfb's own lock refuses a number in use,
# and then another is drawn. -noreset: by default an X server resets when
# its last client leaves, and a client that connects during that reset is
# refused ("Failed to open the display"); the readiness probe below is such a
# last client, so without it openbox or the program under test could be
# refused on a busy machine.
start_xvfb() {
    local attempt
    for attempt in $(seq 20); do
        xvfb_display=:$((100 + RANDOM % 30000))
        Xvfb "$xvfb_display" -screen 0 "$1" -nolisten tcp -noreset >/dev/null 2>&1 &
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
# manages new windows. Announcing itself on the root window is not enough: a
# window mapped while openbox is still starting can stay unmapped for good
# (seen in about one of 40 starts on a busy machine), so a probe window
# (xmessage) must be framed first; a lost probe is replaced. Sets wm_pid.
start_openbox() {
    local log probe extents
    log=$(mktemp)
    DISPLAY=$1 openbox --sm-disable >"$log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 20); do
        DISPLAY=$1 xmessage -name openbox-probe probe >/dev/null 2>&1 &
        probe=$!
        for _ in $(seq 20); do
            extents=$(DISPLAY=$1 xdotool search --classname '^openbox-probe$' 2>/dev/null |
                while read -r w; do DISPLAY=$1 xprop -id "$w" _NET_FRAME_EXTENTS; done 2>/dev/null |
                grep ' = ' || true)
            [ -n "$extents" ] && break
            sleep 0.05
        done
        kill "$probe" 2>/dev/null
        wait "$probe" 2>/dev/null || true
        if [ -n "$extents" ]; then
            rm -f "$log"
            return 0
        fi
    done
    echo "openbox did not start on $1:" >&2
    cat "$log" >&2
    rm -f "$log"
    return 1
}
