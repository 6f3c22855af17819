#!/usr/bin/env bash
# kelvinor.service as packaged: the terminal part installed into a DESTDIR,
# the unit checked by systemd-analyze verify (no warning), then its ExecStart
# run by hand as the service manager would (its Environment= and
# WorkingDirectory=, /etc and /var/lib under the DESTDIR): the state folder
# is filled with the bus scripts, the demonstration records from the packaged
# settings until SIGTERM, and the process ends with code 0 and a whole log.
# service_unit_test.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

dest=$work/dest
DESTDIR=$dest cmake --install "$build" --component terminal --prefix /usr >/dev/null
unit=$dest/usr/lib/systemd/system/kelvinor.service
[ -f "$unit" ] || fail "no kelvinor.service in the terminal part"
# Every path the unit names, moved under the DESTDIR.
rooted() { sed -e "s|/usr/|$dest/usr/|g" -e "s|/etc/|$dest/etc/|g" -e "s|/var/lib/|$work/var/lib/|g"; }
rooted <"$unit" >"$work/kelvinor.service"
if command -v systemd-analyze >/dev/null; then
    complaints=$(systemd-analyze verify --man=no "$work/kelvinor.service" 2>&1) ||
        fail "systemd-analyze verify: $complaints"
    [ -z "$complaints" ] || fail "systemd-analyze verify: $complaints"
    echo "systemd-analyze verify: no complaint"
fi

value() { sed -n "s/^$1=//p" "$work/kelvinor.service"; }
grep -qx "StateDirectory=kelvinor" "$unit" || fail "the state folder is not /var/lib/kelvinor"
grep -qx "Restart=on-failure" "$unit" || fail "no restart after a failure"
grep -qx "SupplementaryGroups=dialout" "$unit" || fail "not in the dialout group"
folder=$(value WorkingDirectory)
mkdir -p "$folder"   # what StateDirectory= makes
rooted <"$dest/etc/kelvinor/unattended.ini" >"$work/unattended.ini"
cp "$work/unattended.ini" "$dest/etc/kelvinor/unattended.ini"
command=$(value ExecStart)
(
    cd "$folder"
    export $(value Environment)
    exec $command
) >"$work/out" 2>"$work/err" </dev/null &
pid=$!
log=$folder/kelvinor.KLV
for _ in $(seq 300); do
    grep -q -E '^[0-9]{2}\.[0-9]{2}\.[0-9]{4}'$'\t' "$log" 2>/dev/null && break
    sleep 0.1
done
grep -q -E '^[0-9]{2}\.[0-9]{2}\.[0-9]{4}'$'\t' "$log" || fail "no row in $log: $(cat "$work/err")"
kill -TERM "$pid"
code=0
wait "$pid" || code=$?
[ "$code" -eq 0 ] || fail "ended with $code: $(cat "$work/err")"
tail -c 40 "$log" | grep -q "Ende der Datenaufzeichnung" || fail "the log has no end block"
for script in COM1READ.BAT DATALINE.BAT KELVBUS.SH; do
    [ -x "$folder/$script" ] || fail "$script not in the state folder"
done
grep -q "MESSVORGANG:" "$work/out" || fail "no logbook on standard output"
echo "ExecStart by hand: a row, SIGTERM, code 0, the end block; the logbook on standard output"
