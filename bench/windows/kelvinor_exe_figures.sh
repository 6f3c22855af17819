#!/usr/bin/env bash
# kelvinor_exe_figures.sh BUILD-WINDOWS: Kelvinor-Demo.exe's start-up time,
# resident memory and idle CPU under Wine, on an Xvfb display of its own.
# The demonstration edition starts in an empty folder (the scan's nine
# batches find nothing); times are from the start of wine to the first
# window of each step. Then a recording with a 1-minute interval runs, and
# the CPU time of the process is read over 30 s of waiting between cycles.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/xvfb-display.sh"
. "$here/../../tests/windows/wine_windows.sh"
export WINEDEBUG=-all WINEPREFIX=$build/wineprefix
work=$(mktemp -d)
xvfb_pid= wm_pid=
trap 'wineserver -k 2>/dev/null || true; kill $wm_pid $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT
start_xvfb 1280x1024x24
start_openbox "$xvfb_display"
export DISPLAY=$xvfb_display
cp "$build/logger/Kelvinor-Demo.exe" "$build/logger/Horalux.exe" "$work/"
wineboot >/dev/null 2>&1 || true # the prefix's own processes run already
now() { date +%s.%N; }
since() { awk -v a="$began" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }
began=$(now)
(cd "$work" && exec wine Kelvinor-Demo.exe) >/dev/null 2>&1 &
notice=$(await 'Kelvinor: DEMO-Info')
echo "DEMO notice after the scan: $(since) s (the scan's own pauses: 1.09 s)"
pid=$(pgrep -f 'Kelvinor-Demo.exe' | head -n 1)
rss() { awk '/^VmRSS/ { printf "%.1f MB", $2 / 1024 }' "/proc/$pid/status"; }
echo "resident at the notice: $(rss)"
key "$notice" Return
prompt=$(await 'Kelvinor: Eingabe einer Überschrift')
key "$prompt" Return
main=$(await 'Kelvinor für 1-Wire-Sensoren')
echo "main window after: $(since) s; resident: $(rss)"
sleep 1
xdotool mousemove --window "$main" 557 605 click 1
interval=$(await 'Kelvinor: Zeitintervall für Datenerfassung')
key "$interval" ctrl+a
type_into "$interval" M1
key "$interval" Return
name=$(await 'Kelvinor: Logfile-Dateiname')
key "$name" Return
sleep 5 # the first cycle
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
before=$(ticks)
sleep 30
after=$(ticks)
hz=$(getconf CLK_TCK)
echo "CPU while waiting between cycles: $(awk -v t=$((after - before)) -v hz="$hz" 'BEGIN { printf "%.2f", t * 100 / hz / 30 }') % of one core over 30 s; resident: $(rss)"
