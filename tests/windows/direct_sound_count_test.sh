#!/usr/bin/env bash
# direct_sound_count_test.sh PLAY_CUE_WIN32_EXE: the Windows edition's
# DirectSound output under Wine, heard through a private PulseAudio server
# with a null sink: each cue played 12 times, then the three interleaved 4
# times; every sound in the sink's recording is counted
# (tests/count_sounds.py) and must equal the plays.
set -euo pipefail
play_cue=$1
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/private-pulse.sh"
start_private_pulse

record() {  # record NAME CUES GAP: prints the number of sounds heard
    parec --latency-msec=20 -d kelvinor_test.monitor --format=s16le --rate=44100 --channels=1 \
        >"$work/$1.raw" &
    recorder=$!
    for _ in $(seq 100); do [ -s "$work/$1.raw" ] && break; sleep 0.05; done
    wine "$play_cue" "$2" "$3" >"$work/$1.out" 2>&1 || { cat "$work/$1.out" >&2; return 1; }
    grep -q 'ready=1 loaded=1' "$work/$1.out" || { echo "no DirectSound output: $(cat "$work/$1.out")" >&2; return 1; }
    sleep 0.5
    kill -INT "$recorder"
    wait "$recorder" 2>/dev/null || true
    /usr/bin/python3 "$here/count_sounds.py" "$work/$1.raw"
}

status=0
for plan in "0 470 12" "1 150 12" "2 150 12" "012 150 12"; do
    set -- $plan
    cues=$(printf "%${3}s" "" | tr ' ' "$1")
    [ "$1" = 012 ] && cues=012012012012
    heard=$(record "cues$1" "$cues" "$2")
    echo "cues $1: $3 played, $heard heard"
    [ "$heard" = "$3" ] || status=1
done
exit $status
