#!/usr/bin/env bash
# Processor time of a recording between its cycles: the real Kelvinor under
# Xvfb records with the interval S60, measured from /proc over SECONDS
# (default 60) after the first row. Also prints the idle main window's share.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/build.sh build >/dev/null
. scripts/xvfb-session.sh
work=$(mktemp -d)
trap 'stop_session; rm -rf "$work"' EXIT
export HOME=$work
start_display
start_kelvinor build "$work"
open_main_window
sleep 1
ticks() { awk '{ print $14 + $15 }' "/proc/$kelvinor_pid/stat"; }
share() { awk -v t="$1" -v hz="$(getconf CLK_TCK)" -v s="$2" 'BEGIN { printf "%.3f %% of one core (%.2f s in %d s)", 100 * t / hz / s, t / hz, s }'; }
before=$(ticks); sleep 10; echo "idle main window: $(share $(($(ticks) - before)) 10)"
window=$(xdotool search --onlyvisible --name "Kelvinor für 1-Wire-Sensoren" | tail -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 557)) $((Y + 605)) click 1
press "Kelvinor: Zeitintervall" sh -c 'xdotool key ctrl+a && xdotool type S60 && xdotool key Return'
press "Kelvinor: Logfile-Dateiname" xdotool key Return
sleep 2
before=$(ticks)
sleep "$seconds"
echo "recording with S60 between cycles: $(share $(($(ticks) - before)) "$seconds")"
ls "$work"/KELVINOR-*.KLV >/dev/null && echo "rows written: $(grep -c $'^[0-9][0-9]\.[0-9][0-9]\.20' "$work"/KELVINOR-*.KLV)"

# Latency from a click on the stop button to the end block in the log file.
log=$(ls "$work"/KELVINOR-*.KLV)
eval "$(xdotool getwindowgeometry --shell "$window")"
start=$(date +%s%N)
xdotool mousemove $((X + 714)) $((Y + 605)) click 1
until grep -q 'Ende der Datenaufzeichnung' "$log"; do sleep 0.002; done
echo "stop click to end block in the log file: $((($(date +%s%N) - start) / 1000000)) ms"
