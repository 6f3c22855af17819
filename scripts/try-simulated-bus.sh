#!/usr/bin/env bash
# The live edition against a simulated bus of three DS18S20 sensors on COM3,
# read by the real DigiTemp: scripts/try-simulated-bus.sh
# Builds the live edition (build/logger/Kelvinor), starts tests/onewire's simulator and
# Kelvinor in the working folder run-simulated/ on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build >/dev/null
work=$(realpath -m run-simulated)
mkdir -p "$work"
bash scripts/prepare-work-folder.sh build "$work"
cat > "$work/sensors.txt" <<'SENSORS'
# ROM (14 hex digits, the CRC is added)  temperature  [normal|noconvert|badcrc|absent]
104C4D55000800  21.5
10A8B16B010800  -10.25
10B7C34F000800  4.0625
SENSORS
for n in 1 2 3 4 5 6 7 8 9; do
    if [ "$n" -eq 3 ]; then echo "COM3 $work/ttySIM"; else echo "COM$n /nonexistent/ttyS$n"; fi
done > "$work/COMPORTS.TXT"
[ -f "$work/kelvinor.ini" ] || echo "READ_TIME 0100" > "$work/kelvinor.ini"
build/tests/onewire-sim "$work/ttySIM" "$work/sensors.txt" >/dev/null &
simulator=$!
trap 'kill $simulator 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$work/ttySIM" ] && break; sleep 0.1; done
cd "$work"
"$OLDPWD/build/logger/Kelvinor"
