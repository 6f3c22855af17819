#!/usr/bin/env bash
# The data-line batch of each backend without DigiTemp: the median time of one
# read of 3 and of 20 sensors, on a simulated kernel 1-Wire folder and on a
# real owserver with its fake adapter (the scripts' own overhead; a real bus
# adds the conversion, once for all sensors in both backends). Then 20
# DS18S20 with a real 750 ms conversion time behind an owserver's passive
# DS9097 adapter on the simulated bus (build/tests/onewire-sim, or
# ONEWIRE_SIM): the script's read beside each sensor converting on its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
owserver_pid=
trap 'kill $owserver_pid 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

# The median of 11 runs of DATALINE.BAT in the current folder, in ms.
median_read() {
    times=()
    for _ in $(seq 11); do
        start=$(date +%s%N)
        sh DATALINE.BAT
        times+=($(( ($(date +%s%N) - start) / 1000 )))
    done
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 6p)
    echo "$((median / 1000)).$(( (median % 1000) / 100 ))"
}
for count in 3 20; do
    rm -rf ./*
    cp "$root"/bus-scripts/*.BAT "$root"/bus-scripts/*.SH .
    mkdir -p w1/w1_bus_master1 && : > w1/w1_bus_master1/therm_bulk_read
    for i in $(seq "$count"); do
        name=$(printf '28-0000%08x' "$i")
        mkdir -p "w1/$name"
        printf '50 05 4b 46 7f ff 0c 10 1c : crc=1c YES\n50 05 4b 46 7f ff 0c 10 1c t=%d\n' \
            $((20000 + i * 125)) > "w1/$name/w1_slave"
    done
    echo "COM1 w1 $work/w1" > COMPORTS.TXT
    sh COM1READ.BAT
    echo "w1, $count sensors: one data-line read $(median_read) ms (median of 11)"
done
# An owserver on a free loopback port with the adapter option $1, port COM1
# on it, and the scan.
start_owserver() {
    port=$((20000 + RANDOM % 20000))
    owserver "$1" -p "127.0.0.1:$port" --foreground --error_level=0 >/dev/null 2>&1 &
    owserver_pid=$!
    for _ in $(seq 100); do owdir -s "127.0.0.1:$port" / >/dev/null 2>&1 && break; sleep 0.05; done
    echo "COM1 owserver 127.0.0.1:$port" > COMPORTS.TXT
    sh COM1READ.BAT
}
for count in 3 20; do
    rm -rf ./*
    cp "$root"/bus-scripts/*.BAT "$root"/bus-scripts/*.SH .
    fake=$(printf '28,%.0s' $(seq "$count"))
    start_owserver --fake="${fake%,}"
    echo "owserver (fake adapter), $(wc -l < OWDEVICES.TXT) sensors: one data-line read $(median_read) ms (median of 11)"
    kill "$owserver_pid"; wait "$owserver_pid" 2>/dev/null || true
    owserver_pid=
done

sim=${ONEWIRE_SIM:-$root/build/tests/onewire-sim}
if [ -x "$sim" ]; then
    rm -rf ./*
    cp "$root"/bus-scripts/*.BAT "$root"/bus-scripts/*.SH .
    for i in $(seq 20); do printf '10%02X000000%02X00 %d.5\n' "$i" "$i" "$((i + 10))"; done > sensors.txt
    "$sim" "$work/ttySIM" "$work/sensors.txt" 750 >/dev/null &
    sim_pid=$!
    trap 'kill $owserver_pid $sim_pid 2>/dev/null; rm -rf "$work"' EXIT
    for _ in $(seq 100); do [ -e ttySIM ] && break; sleep 0.05; done
    start_owserver --passive="$work/ttySIM"
    echo "owserver (DS9097 on the simulated bus, 750 ms conversion), $(wc -l < OWDEVICES.TXT) sensors:"
    echo "  the data-line read: $(median_read) ms (median of 11)"
    start=$(date +%s%N)
    while read -r name; do owread -s "127.0.0.1:$port" "/uncached/$name/temperature" >/dev/null; done < OWDEVICES.TXT
    echo "  each sensor converting on its own (/uncached/…/temperature): $(( ($(date +%s%N) - start) / 1000000 )) ms"
    sh DATALINE.BAT
    echo "  readings: $(tr -d '\r' < DATALINE.TXT | cut -f 2-4) … (set: 11.50 12.50 13.50 …)"
fi
