# Sourced by the screenshot and benchmark scripts: an Xvfb display, the real
# Kelvinor in a fresh working folder, and key presses into its windows.
# Without a window manager nothing gives new windows the focus, so `press`
# focuses the window as a user's click would, then runs the key command.

. scripts/xvfb-display.sh

start_display() {
    start_xvfb "${1:-1280x1024x24}" || return 1
    export DISPLAY=$xvfb_display
}

# start_kelvinor BUILD FOLDER: the demonstration edition of that build in a
# prepared working folder.
start_kelvinor() {
    bash scripts/prepare-work-folder.sh "$1" "$2"
    (cd "$2" && exec "$OLDPWD/$1/logger/Kelvinor-Demo") >/dev/null 2>&1 &
    kelvinor_pid=$!
}

press() {
    local window
    window=$(xdotool search --sync --onlyvisible --name "$1" | tail -1)
    sleep 0.3
    xdotool windowfocus --sync "$window"
    shift
    "$@"
}

# The demonstration notice, then the title prompt; waits for the main window.
open_main_window() {
    press "Kelvinor: DEMO-Info" xdotool key Return
    press "Kelvinor: Eingabe einer" sh -c "xdotool type '${1:-Kellerraum}' && xdotool key Return"
    xdotool search --sync --onlyvisible --name "Kelvinor für 1-Wire-Sensoren" >/dev/null
}

stop_session() {
    kill "${kelvinor_pid:-}" "${xvfb_pid:-}" 2>/dev/null || true
    wait 2>/dev/null || true
}
