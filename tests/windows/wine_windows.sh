# Sourced: finding and driving Wine's windows on an X display through the
# window system, as a user's keyboard and mouse would (xdotool, XTEST).
# await TITLE [SECONDS] prints the id of the visible window with exactly
# that title (30 s unless told; $program_output names a file whose tail a
# failure shows).
await() {  # await TITLE [SECONDS]: the id of the window with that title
    local id
    for _ in $(seq $((${2:-30} * 10))); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "FAIL: no window '$1' (program output: $(tail -n 5 "${program_output:-/dev/null}"))" >&2
    exit 1
}
focus() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1" 2>/dev/null || true
    sleep 0.3
}
key() {  # key WINDOW KEYS...: real key presses (XTEST) into the window
    focus "$1"
    shift
    xdotool key "$@"
}
type_into() {
    focus "$1"
    xdotool type --delay 20 "$2"
}

