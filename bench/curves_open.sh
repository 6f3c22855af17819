#!/usr/bin/env bash
# Kelvinor-Kurven on large logs: time and peak memory of rendering a log of
# 100,000, 300,000 and 1,000,000 rows to PNG (reading, the chart, drawing),
# and of the first picture and ten zoom steps, side by side in one run with a
# chart that holds every reading; then logs of many recordings.
# bench/curves_open.sh [BUILD]   (a Release or RelWithDebInfo build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
ninja -C "$build" Kelvinor-Kurven curves_bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
measure() {  # LABEL COMMAND...: seconds and peak resident memory
    local label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/out" 2>/dev/null || echo "$label: failed or timed out"
    sed 's/^/    /' "$work/out"
    read -r seconds kilobytes <"$work/time"
    awk -v l="$label" -v s="$seconds" -v k="$kilobytes" 'BEGIN { printf "%-34s %7.2f s %8.1f MB\n", l, s, k / 1024 }'
}
for rows in 100000 300000 1000000; do
    log=$work/log-$rows.KLV
    "$build/bench/curves_bench" --write-log "$rows" "$log"
    echo "== $rows rows, $(($(stat -c %s "$log") / 1000000)) MB"
    measure "reader alone" "$build/bench/curves_bench" --read "$log"
    measure "Kelvinor-Kurven --png" env QT_QPA_PLATFORM=offscreen \
        "$build/logger/Kelvinor-Kurven" --png "$work/k.png" "$log"
    measure "Kelvinor-Kurven's chart, zooming" "$build/bench/curves_bench" --kurven "$log" "$work/c.png"
    measure "every reading in the series" timeout 600 "$build/bench/curves_bench" \
        --all-points "$log" "$work/a.png"
done
# A continued log of many recordings: each has series of its own (the gap
# between recordings), so their number counts, not their rows.
for recordings in 100 300; do
    log=$work/recordings-$recordings.KLV
    "$build/bench/curves_bench" --write-recordings "$recordings" "$log"
    echo "== $recordings recordings of 20 rows in one log"
    measure "Kelvinor-Kurven --png" env QT_QPA_PLATFORM=offscreen \
        "$build/logger/Kelvinor-Kurven" --png "$work/k.png" "$log"
done
