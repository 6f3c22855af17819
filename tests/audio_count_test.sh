#!/usr/bin/env bash
# Every play of every cue is heard: a private PulseAudio server with a null
# sink, whose monitor is recorded while (1) one cue is played 50 times in one
# process by the real Qt sound output, (2) the three cues are played
# interleaved, or (3) the real program records 30 demonstration cycles with
# an alarm in every one. The sounds in the recording are counted
# (tests/count_sounds.py) and must equal the plays.
# audio_count_test.sh PLAY_CUE AUDIO_RECORDING PART, PART one of 0, 1, 2, 012
# (the cues) or recording; each part is a test of its own, with its own
# server, so that they run side by side.
set -euo pipefail
play_cue=$1
recording_test=$2
part=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/private-pulse.sh"
start_private_pulse

# record NAME COMMAND...: the sink's monitor while COMMAND runs; prints the
# number of sounds heard.
record() {
    local name=$1
    shift
    parec --latency-msec=20 -d kelvinor_test.monitor --format=s16le --rate=44100 --channels=1 \
        >"$work/$name.raw" &
    recorder=$!
    # The recorder needs a while to connect: wait until its data flows.
    for _ in $(seq 100); do [ -s "$work/$name.raw" ] && break; sleep 0.05; done
    "$@" >"$work/$name.out" 2>&1 || { cat "$work/$name.out"; return 1; }
    sleep 0.5
    kill -INT "$recorder"
    wait "$recorder" 2>/dev/null || true
    /usr/bin/python3 "$here/count_sounds.py" "$work/$name.raw"
}

repeat() { printf "%${2}s" "" | tr ' ' "$1"; }

status=0
# cues, pause after each cue's end (ms), plays: the click at the program's
# own rhythm (500 ms from one cue to the next); the longer cues with a
# silence after each, so that every play is a sound of its own.
for plan in "0 470 50" "1 150 50" "2 150 50" "012 150 30"; do
    set -- $plan
    [ "$1" = "$part" ] || continue
    cues=$(repeat "$1" "$3")
    [ "$1" = 012 ] && cues=$(for _ in $(seq 10); do printf 012; done)
    heard=$(record "cues$1" "$play_cue" "$cues" "$2")
    echo "cues $1: $3 played, $heard heard"
    [ "$heard" = "$3" ] || status=1
    exit $status
done
[ "$part" = recording ] || { echo "no such part: $part" >&2; exit 2; }

# The real program: its clicks (notice, title, thresholds, start, interval,
# file name, stop, answer) and 30 alarm cues.
heard=$(record recording "$recording_test")
played=$(sed -n 's/.*: \([0-9]*\) cues played$/\1/p' "$work/recording.out")
echo "a recording of 30 alarm cycles: ${played:-?} cues played, $heard heard"
[ -n "$played" ] && [ "$heard" = "$played" ] || status=1
exit $status
