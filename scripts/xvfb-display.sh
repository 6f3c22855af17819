# Sourced: start_xvfb SIZE starts an Xvfb screen of SIZE (e.g. 1280x1024x24)
# on a display number the server itself picks as free (-displayfd), so
# parallel tests never meet on one display. Sets xvfb_pid and xvfb_display.
start_xvfb() {
    local numberFile
    numberFile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 200); do
        if [ -s "$numberFile" ]; then
            xvfb_display=:$(tr -dc 0-9 <"$numberFile")
            rm -f "$numberFile"
            for _ in $(seq 100); do DISPLAY=$xvfb_display xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.05; done
            break
        fi
        sleep 0.05
    done
    rm -f "$numberFile"
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
