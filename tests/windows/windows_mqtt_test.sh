#!/usr/bin/env bash
# windows_mqtt_test.sh TEST_EXE: Debian's mosquitto on 127.0.0.1 and a
# subscriber, then the Windows test program under Wine, then what arrived:
# three rows, the readings of the demonstration's first row, online and
# offline; nothing of the TLS case.
set -euo pipefail
test_exe=$1
dir=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$dir"' EXIT
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'user %s\nlistener %s 127.0.0.1\nallow_anonymous true\n' "$(id -un)" "$port" >"$dir/broker.conf"
mosquitto -c "$dir/broker.conf" >/dev/null 2>&1 </dev/null &
for _ in $(seq 100); do
    mosquitto_sub -p "$port" -t probe -C 1 -W 1 -E >/dev/null 2>&1 && break
    sleep 0.1
done
mosquitto_sub -p "$port" -q 1 -v -t 'kelvinor/#' -d >"$dir/received" 2>&1 </dev/null &
for _ in $(seq 100); do
    grep -q SUBACK "$dir/received" && break
    sleep 0.1
done
KELVINOR_TEST_BROKER_PORT=$port wine "$test_exe"
sleep 1  # the subscriber's last deliveries
arrived() { grep -c "^$1\$" "$dir/received" || true; }
rows=$(grep -c '^kelvinor/wine/row {' "$dir/received" || true)
echo "rows: $rows"
[ "$rows" -eq 3 ]
[ "$(arrived 'kelvinor/wine/sensor/DemoSensor_1/temperature 5.00')" -eq 1 ]
[ "$(arrived 'kelvinor/wine/sensor/DemoSensor_3/temperature -2.00')" -eq 1 ]
[ "$(arrived 'kelvinor/wine/status online')" -eq 1 ]
[ "$(arrived 'kelvinor/wine/status offline')" -eq 1 ]
! grep -q '^kelvinor/tls' "$dir/received"
