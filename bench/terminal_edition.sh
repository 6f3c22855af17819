#!/usr/bin/env bash
# The terminal edition beside the desktop edition, in one run: the time from
# the start to the first dialog (the DEMO notice), the resident memory with
# the main window idle, and the processor time of kelvinor-terminal-demo
# while a recording with S60 waits between its cycles (SECONDS, default 30).
# The desktop edition under Xvfb, the terminal edition in tmux.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bash scripts/build.sh build >/dev/null
. scripts/xvfb-session.sh
work=$(mktemp -d)
socket=kelvinor-bench-$$
trap 'tmux -L $socket kill-server 2>/dev/null; stop_session; rm -rf "$work"' EXIT
export HOME=$work
ms() { echo $((($(date +%s%N) - $1) / 1000000)); }
rss() { awk '/^VmRSS/ { printf "%.1f MB", $2 / 1024 }' "/proc/$1/status"; }
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# The desktop edition.
start_display
mkdir -p "$work/desktop" "$work/terminal"
bash scripts/prepare-work-folder.sh build "$work/desktop"
start=$(date +%s%N)
(cd "$work/desktop" && exec "$OLDPWD/build/logger/Kelvinor-Demo") >/dev/null 2>&1 &
kelvinor_pid=$!
xdotool search --sync --onlyvisible --name "Kelvinor: DEMO-Info" >/dev/null
desktop_start=$(ms "$start")
open_main_window
sleep 2
desktop_rss=$(rss "$kelvinor_pid")

# The terminal edition.
screen() { tmux -L $socket capture-pane -p; }
wait_for() { until screen | grep -q "$1"; do sleep 0.005; done; }
start=$(date +%s%N)
tmux -L $socket -f /dev/null new-session -d -x 100 -y 30 -c "$work/terminal" \
    "env LANG=C.UTF-8 $PWD/build/logger/kelvinor-terminal-demo"
wait_for "Kelvinor: DEMO-Info"
terminal_start=$(ms "$start")
pid=$(tmux -L $socket display -p '#{pane_pid}')
tmux -L $socket send-keys Enter
wait_for "Eingabe einer"
tmux -L $socket send-keys -l Keller
tmux -L $socket send-keys Enter
wait_for "STATUS: Das Kelvinor ist bereit"
sleep 2
terminal_rss=$(rss "$pid")

echo "start to the first dialog: desktop $desktop_start ms, terminal $terminal_start ms"
echo "resident memory, main window idle: desktop $desktop_rss, terminal $terminal_rss"

tmux -L $socket send-keys F4
wait_for "Zeitintervall"
tmux -L $socket send-keys C-u S60 Enter
wait_for "Logfile-Dateiname"
tmux -L $socket send-keys Enter
wait_for "Die Datenaufzeichnung läuft"
sleep 2
before=$(ticks "$pid")
sleep "$seconds"
used=$(($(ticks "$pid") - before))
awk -v t="$used" -v hz="$(getconf CLK_TCK)" -v s="$seconds" 'BEGIN {
    printf "terminal edition recording with S60, between cycles: %.3f %% of one core (%.2f s in %d s)\n",
        100 * t / hz / s, t / hz, s }'
echo "terminal edition while recording: $(rss "$pid")"
