#!/usr/bin/env bash
# Kelvinor as installed: `cmake --install` into a DESTDIR, checked with the
# desktop's own tools (desktop-file-validate, update-mime-database,
# update-desktop-database, xdg-mime); then the installed Kelvinor records a
# demonstration under Xvfb, the end question is answered "Ja", and xdg-open
# must bring up the installed Kelvinor-Kurven with that log; last, cpack
# makes the Debian packages (the desktop part, and the terminal part without
# Qt) and dpkg-deb lists them.
# installed_package_test.sh BUILD_FOLDER
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
. "$root/scripts/xvfb-display.sh"
work=$(mktemp -d)
xvfb_pid=
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
fail() {
    echo "FAILED: $*" >&2
    if [ -n "${DISPLAY:-}" ]; then
        xdotool search --onlyvisible --name . getwindowname %@ >&2 2>/dev/null || true
    fi
    exit 1
}

dest=$work/dest
DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null
share=$dest/usr/share
for entry in kelvinor kelvinor-kurven; do
    desktop-file-validate "$share/applications/$entry.desktop" || fail "$entry.desktop"
done
update-mime-database "$share/mime" >/dev/null
update-desktop-database "$share/applications" 2>/dev/null

export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config
export XDG_DATA_DIRS=$share:/usr/share PATH=$dest/usr/bin:$PATH
mkdir -p "$HOME"
printf '# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #\r\n' >"$work/ohne-endung"
printf 'x\r\n' >"$work/anders.klv"
cp "$work/ohne-endung" "$work/messung.KLV"
for file in messung.KLV anders.klv ohne-endung; do
    type=$(xdg-mime query filetype "$work/$file")
    [ "$type" = application/x-kelvinor-log ] || fail "$file is $type"
done
default=$(xdg-mime query default application/x-kelvinor-log)
[ "$default" = kelvinor-kurven.desktop ] || fail "the type opens with '$default'"
echo "installed: entries valid, *.KLV, *.klv and the heading recognised, opened by $default"

# The installed program, as a user starts it from the menu.
start_xvfb 1280x1024x24
export DISPLAY=$xvfb_display QT_QPA_PLATFORM=xcb
kelvinor >"$work/kelvinor.out" 2>&1 &
press() {
    local window
    window=$(timeout 30 xdotool search --sync --onlyvisible --name "$1" | tail -1) ||
        fail "no window '$1'"
    sleep 0.3
    xdotool windowfocus --sync "$window"
    shift
    "$@"
}
press "Kelvinor: DEMO-Info" xdotool key Return
press "Kelvinor: Eingabe einer" sh -c "xdotool type 'Paket' && xdotool key Return"
main=$(timeout 30 xdotool search --sync --onlyvisible --name "Kelvinor für 1-Wire-Sensoren" | head -1)
folder=$XDG_DATA_HOME/kelvinor
for script in COM1READ.BAT DATALINE.BAT KELVBUS.SH; do
    [ -x "$folder/$script" ] || fail "$script not in the working folder"
done
# Thresholds that the second row crosses: sensor 1 warmer than 5,20, sensor 3
# colder than -2,05 (the demonstration starts at 5,00 and -2,00).
xdotool mousemove --window "$main" 380 605 click 1
handled=
for answer in ${KELVINOR_TEST_THRESHOLDS:-5.2 -56 126 -56 126 -2.05}; do
    for _ in $(seq 300); do
        prompt=$(xdotool search --onlyvisible --name "Kelvinor: Alarm-" 2>/dev/null | tail -1 || true)
        [ -n "$prompt" ] && [ "$prompt" != "$handled" ] && break
        sleep 0.1
    done
    [ -n "$prompt" ] && [ "$prompt" != "$handled" ] || fail "no threshold prompt for $answer"
    handled=$prompt
    sleep 0.3
    xdotool windowfocus --sync "$prompt" key ctrl+a
    # xdotool would take a leading minus for an option of its own.
    [ "${answer#-}" = "$answer" ] || xdotool key minus
    xdotool type "${answer#-}"
    xdotool key Return
done
xdotool mousemove --window "$main" 540 605 click 1
press "Kelvinor: Zeitintervall" sh -c "xdotool key ctrl+a && xdotool type S5 && xdotool key Return"
log=$HOME/messung.KLV
press "Kelvinor: Logfile-Dateiname" sh -c "xdotool key ctrl+a && xdotool type '$log' && xdotool key Return"
rows=${KELVINOR_TEST_ROWS:-2}
for _ in $(seq $((rows * 100 + 200))); do
    [ "$(grep -c -E '^[0-9]{2}\.[0-9]{2}\.[0-9]{4}'$'\t' "$log" 2>/dev/null || true)" -ge "$rows" ] && break
    sleep 0.1
done
grep -q "'+' an Sensor Nr. 1/'S1'" "$log" || fail "no warm alarm in the log"
xdotool mousemove --window "$main" 700 605 click 1
press "Kelvinor: Log-Datei sofort" xdotool key alt+j
curves=$(timeout 30 xdotool search --sync --onlyvisible --name "^messung.KLV – Kelvinor-Kurven$" | head -1) ||
    fail "Kelvinor-Kurven did not open the log"
pid=$(xdotool getwindowpid "$curves")
[ "$(readlink -f "/proc/$pid/exe")" = "$dest/usr/bin/Kelvinor-Kurven" ] ||
    fail "the curves window belongs to $(readlink -f "/proc/$pid/exe")"
echo "installed Kelvinor recorded $log; \"Ja\" opened it in the installed Kelvinor-Kurven"
sleep 1
import -window "$curves" "$build/kelvinor-kurven-after-ja.png"

# A second start keeps what the user changed in the working folder.
echo "COM1 /dev/ttyUSB0" >"$folder/COMPORTS.TXT"
echo "# geändert" >>"$folder/KELVBUS.SH"
cp "$folder/KELVBUS.SH" "$work/changed"
KELVINOR_FOLDER=$folder timeout 2 kelvinor >/dev/null 2>&1 || true
cmp -s "$folder/KELVBUS.SH" "$work/changed" || fail "a second start replaced a changed script"
grep -q ttyUSB0 "$folder/COMPORTS.TXT" || fail "a second start replaced COMPORTS.TXT"

# The Debian package.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null) || fail "cpack"
# Two packages: the terminal part needs no Qt, the desktop part needs it.
deb=$(ls "$work"/*.deb | grep -v -- -terminal_)
terminal_deb=$(ls "$work"/*-terminal_*.deb)
contents=$(dpkg-deb --contents "$deb")
for file in ./usr/bin/kelvinor ./usr/bin/Kelvinor-Kurven ./usr/libexec/kelvinor/Kelvinor-Demo \
    ./usr/libexec/kelvinor/Horalux ./usr/share/applications/kelvinor-kurven.desktop \
    ./usr/share/mime/packages/kelvinor-log.xml ./usr/share/icons/hicolor/scalable/apps/kelvinor.svg; do
    grep -q " $file\$" <<<"$contents" || fail "$file not in $(basename "$deb")"
done
terminal_contents=$(dpkg-deb --contents "$terminal_deb")
for file in ./usr/bin/kelvinor-terminal ./usr/libexec/kelvinor/kelvinor-terminal-demo \
    ./usr/share/kelvinor/bus-scripts/KELVBUS.SH ./usr/lib/systemd/system/kelvinor.service \
    ./etc/kelvinor/unattended.ini ./usr/share/man/man1/kelvinor-terminal.1.gz; do
    grep -q " $file\$" <<<"$terminal_contents" || fail "$file not in $(basename "$terminal_deb")"
done
for package in "$deb" "$terminal_deb"; do
    # lintian finds nothing to complain of: no error and no warning.
    complaints=$(lintian --allow-root "$package" 2>&1 | grep -E '^[EW]: ' || true)
    [ -z "$complaints" ] || fail "lintian: $complaints"
    grep -q '^ *;' <<<"$(dpkg-deb --field "$package" Description)" &&
        fail "the description of $(basename "$package") has ';' lines"
done
depends=$(dpkg-deb --field "$deb" Depends)
grep -q libqt6charts6 <<<"$depends" || fail "Depends lacks Qt Charts: $depends"
grep -q "kelvinor-demo-terminal (= " <<<"$depends" || fail "Depends lacks the terminal part: $depends"
terminal_depends=$(dpkg-deb --field "$terminal_deb" Depends)
grep -q -i -E 'qt|libx|libgl' <<<"$terminal_depends" && fail "the terminal part needs graphics: $terminal_depends"
echo "$(basename "$deb"): $(grep -c . <<<"$contents") entries; Depends: $depends"
echo "$(basename "$terminal_deb"): $(grep -c . <<<"$terminal_contents") entries; Depends: $terminal_depends"
