#!/usr/bin/env bash
# The data-line batch on a simulated kernel 1-Wire folder: the median time of
# one read of 3 and of 20 sensors (the scripts' own overhead; a real bus adds
# the conversion, once for all sensors with the kernel's bulk conversion).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for count in 3 20; do
    rm -rf ./*
    cp "$root"/bus-scripts/* .
    mkdir -p w1/w1_bus_master1 && : > w1/w1_bus_master1/therm_bulk_read
    for i in $(seq "$count"); do
        name=$(printf '28-0000%08x' "$i")
        mkdir -p "w1/$name"
        printf '50 05 4b 46 7f ff 0c 10 1c : crc=1c YES\n50 05 4b 46 7f ff 0c 10 1c t=%d\n' \
            $((20000 + i * 125)) > "w1/$name/w1_slave"
    done
    echo "COM1 w1 $work/w1" > COMPORTS.TXT
    sh COM1READ.BAT
    times=()
    for _ in $(seq 11); do
        start=$(date +%s%N)
        sh DATALINE.BAT
        times+=($(( ($(date +%s%N) - start) / 1000 )))
    done
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 6p)
    echo "w1, $count sensors: one data-line read $((median / 1000)).$(( (median % 1000) / 100 )) ms (median of 11)"
done
