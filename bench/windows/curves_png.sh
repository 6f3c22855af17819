#!/usr/bin/env bash
# Kelvinor-Kurven.exe (GDI+) under Wine beside the Linux Kelvinor-Kurven (Qt)
# on the same logs: seconds and peak resident memory of --png for logs of
# 10,000, 100,000 and 1,000,000 rows, side by side in one run. Wine's
# start-up is in the Windows figures; a run of an empty-ish log shows it.
# bench/windows/curves_png.sh [LINUX_BUILD] [WINDOWS_BUILD]
set -euo pipefail
cd "$(dirname "$0")/../.."
linux=${1:-build}
windows=${2:-build-windows}
ninja -C "$linux" Kelvinor-Kurven curves_bench >/dev/null
ninja -C "$windows" Kelvinor-Kurven >/dev/null
work=$(mktemp -d)
export WINEPREFIX=$PWD/$windows/wineprefix WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 </dev/null  # Wine's services up before the clock runs
measure() {  # LABEL COMMAND...: seconds and peak resident memory
    local label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1 || echo "$label: failed"
    read -r seconds kilobytes <"$work/time"
    awk -v l="$label" -v s="$seconds" -v k="$kilobytes" 'BEGIN { printf "  %-34s %7.2f s %8.1f MB\n", l, s, k / 1024 }'
}
for rows in 100 10000 100000 1000000; do
    log=$work/log-$rows.KLV
    "$linux/bench/curves_bench" --write-log "$rows" "$log"
    echo "== $rows rows, $(($(stat -c %s "$log") / 1000)) kB"
    measure "Linux Kelvinor-Kurven --png" env QT_QPA_PLATFORM=offscreen \
        "$linux/logger/Kelvinor-Kurven" --png "$work/linux.png" "$log"
    measure "Kelvinor-Kurven.exe --png (Wine)" wine "$windows/curves/Kelvinor-Kurven.exe" \
        --png "$(winepath -w "$work/windows.png")" "$(winepath -w "$log")"
done
