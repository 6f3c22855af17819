#!/usr/bin/env bash
# Real audio: a private PulseAudio server with a null sink; each cue played by
# the real sound output is recorded from the sink's monitor and measured.
# Without a server the output reports no device and nothing waits.
set -euo pipefail
play_cue=$1
. "$(dirname "$0")/private-pulse.sh"

start=$(date +%s%N)
out=$("$play_cue" 0)
ms=$((($(date +%s%N) - start) / 1000000))
echo "no server: $out in ${ms} ms"
[ "$out" = "ready=0" ] && [ "$ms" -lt 1000 ]

start_private_pulse

status=0
# cue: shortest and longest sound in ms above 0.5 % of full scale (the click
# decays below that within about 12 ms), lowest and highest rough frequency in Hz
for limits in "0 3 40 1500 4500" "1 300 520 1000 1600" "2 700 1000 900 2200"; do
    set -- $limits
    # The recorder needs a while to connect: it starts well before the cue.
    timeout -s INT 4 parec --latency-msec=20 -d kelvinor_test.monitor --format=s16le --rate=44100 \
        --channels=1 > "$work/cue$1.raw" &
    recorder=$!
    sleep 1.5
    "$play_cue" "$1" >/dev/null
    wait "$recorder" 2>/dev/null || true
    sox -t raw -r 44100 -e signed -b 16 -c 1 "$work/cue$1.raw" "$work/cue$1.wav"
    # Keep only the sound: silence trimmed at both ends.
    sox "$work/cue$1.wav" "$work/trim$1.wav" silence 1 0.002 0.5% reverse silence 1 0.002 0.5% reverse
    length=$(sox --i -D "$work/trim$1.wav" 2>/dev/null || echo 0)
    stats=$(sox "$work/trim$1.wav" -n stat 2>&1 || true)
    frequency=$(echo "$stats" | awk '/Rough/ { print int($3) }')
    amplitude=$(echo "$stats" | awk '/Maximum amplitude/ { print $3 }')
    ms=$(awk -v l="$length" 'BEGIN { printf "%d", l * 1000 }')
    echo "cue $1: ${ms} ms of sound, rough frequency ${frequency:-0} Hz, peak ${amplitude:-0}"
    awk -v ms="$ms" -v lo_ms="$2" -v hi_ms="$3" -v f="${frequency:-0}" -v lo="$4" -v hi="$5" \
        'BEGIN { exit !(ms >= lo_ms && ms <= hi_ms && f >= lo && f <= hi) }' || status=1
done
exit $status
