# Sourced by the audio tests: a fresh folder $work (also $HOME and the
# runtime folder), removed on exit with everything started here, and
# start_private_pulse, which starts a PulseAudio server of its own whose
# default sink is the null sink "kelvinor_test".
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export HOME=$work
cleanup() { kill "${server:-}" "${recorder:-}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

start_private_pulse() {
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes \
        --load="module-native-protocol-unix" --load="module-null-sink sink_name=kelvinor_test" \
        >"$work/pulse.log" 2>&1 &
    server=$!
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
    pactl set-default-sink kelvinor_test
}
