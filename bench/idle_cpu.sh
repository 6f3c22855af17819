#!/usr/bin/env bash
# Processor time of the idle main window: the real Kelvinor under Xvfb, after
# the title prompt, measured from /proc over SECONDS (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bash scripts/build.sh build >/dev/null
. scripts/xvfb-session.sh
work=$(mktemp -d)
trap 'stop_session; rm -rf "$work"' EXIT
start_display
start_kelvinor build "$work"
open_main_window
sleep 1
ticks() { awk '{ print $14 + $15 }' "/proc/$kelvinor_pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$seconds"
after=$(ticks)
awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "idle main window: %.2f s of processor time in %d s = %.3f %% of one core\n", t / hz, s, 100 * t / hz / s }'
