#!/usr/bin/env bash
# installed_windows_test.sh BUILD: the Windows packages as a user meets them.
# cpack makes the zip and the NSIS installer; the zip must hold the programs,
# the batch files and the read-me. The installer runs silently under Wine
# into a folder of its own, with a start-menu entry and an uninstaller. The
# installed programs are then driven through the window system (xdotool on
# Xvfb with openbox, as a user's keyboard and mouse): Kelvinor-Demo.exe with
# DEMO notice, title, start, interval, file name, cycles, stop, No, and the
# log must hold the demonstration readings in order; Kelvinor.exe, the
# edition for real sensors, with the DigiTemp for Windows it ships, on a
# simulated bus as COM3, and the log must hold its readings and equal the
# Linux edition's on the same bus; its alarm e-mail goes out with STARTTLS
# and a login. LastLogFile.dat must equal each log byte for byte.
# Last, the uninstaller removes what the installer put there.
set -euo pipefail
build=$(cd "$1" && pwd)
tests=$(cd "$(dirname "$0")/.." && pwd)
. "$(dirname "$0")/wine_windows.sh"
work=$(mktemp -d)
# A Wine prefix of its own: the test waits for its Wine server to end
# (`wineserver -w`) after the installer and the programs, which the suite's
# shared server, kept running for the other tests, never does.
export WINEDEBUG=-all WINEPREFIX=$work/prefix
program=
cleanup() {
    [ -z "$program" ] || kill "$program" 2>/dev/null || true
    kill $(jobs -p) 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
wineboot -i >/dev/null 2>&1 || true
wineserver -w
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cd "$build"
cpack -G ZIP >/dev/null
cpack -G NSIS >/dev/null
zip=$(ls Kelvinor-*-win64.zip)
setup=$(ls Kelvinor-*-setup.exe)
contents=$(unzip -Z1 "$zip")
for file in Kelvinor.exe Kelvinor-Demo.exe Horalux.exe Kelvinor-Kurven.exe LIESMICH.txt KELVBUS.BAT DATALINE.BAT \
    COM1READ.BAT COM5READ.BAT COM9READ.BAT libmosquitto-LIZENZ.txt libmosquitto-epl-v20.txt \
    libmosquitto-edl-v10.txt digitemp_DS9097.exe digitemp_DS9097U.exe DigiTemp-LIZENZ.txt \
    DigiTemp-Quelltext.tar.gz; do
    grep -qx "${zip%.zip}/$file" <<<"$contents" || fail "$zip lacks $file"
done
echo "zip: $(wc -l <<<"$contents") files"

# The programs need no DLL beyond Windows' own. The shipped files carry no
# debugging sections, and Windows finds in each the icon, the version and a
# manifest asking for the common controls 6, no elevation and GDI scaling.
unzip -q -o "$zip" -d "$work/zip"
declare -A descriptions=(
    [Kelvinor.exe]='Kelvinor: Datenlogger für 1-Wire-Temperatursensoren'
    [Kelvinor-Demo.exe]='Kelvinor: Datenlogger für 1-Wire-Temperatursensoren (Demonstration)'
    [Horalux.exe]='Horalux: Wochentag, Datum und Uhrzeit'
    [Kelvinor-Kurven.exe]='Kelvinor-Kurven: Temperaturkurven einer Logdatei')
# needs_only_windows FILE: fails when FILE imports a DLL that is not Windows' own.
needs_only_windows() {
    local dlls
    dlls=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\tDLL Name: //p')
    ! grep -viE '^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|ws2_32|winmm|msvcrt|uuid|shlwapi|secur32|crypt32|gdiplus)\.dll$' <<<"$dlls" ||
        fail "$(basename "$1") needs a DLL that Windows does not have"
}
for program_file in digitemp_DS9097.exe digitemp_DS9097U.exe; do
    needs_only_windows "$work/zip/${zip%.zip}/$program_file"
done
for program_file in Kelvinor.exe Kelvinor-Demo.exe Horalux.exe Kelvinor-Kurven.exe; do
    shipped=$work/zip/${zip%.zip}/$program_file
    needs_only_windows "$shipped"
    ! x86_64-w64-mingw32-objdump -h "$shipped" | grep -q '\.debug_' ||
        fail "$program_file is shipped with its debugging sections"
    resources=$(wine tests/windows/resource_check.exe "$(winepath -w "$shipped")" | tr -d '\r')
    for expected in 'icons: 1' "FileVersion: $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' CMakeCache.txt)" \
        'ProductName: Kelvinor' "FileDescription: ${descriptions[$program_file]}"; do
        grep -qx "$expected" <<<"$resources" || fail "$program_file: no '$expected' in
$resources"
    done
    for expected in 'name="Microsoft.Windows.Common-Controls"' 'version="6.0.0.0"' \
        'level="asInvoker"' '>true</gdiScaling>'; do
        grep -q "^manifest: .*$expected" <<<"$resources" || fail "$program_file: no $expected in its manifest"
    done
done
echo "the shipped programs: stripped, with icon, version and manifest"

# The installer asks for no elevation: it installs for the user who runs it.
grep -aq 'requestedExecutionLevel level="asInvoker"' "$setup" ||
    fail "$setup asks for administrator rights"
installed=$WINEPREFIX/drive_c/KelvinorTest
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvinor'
rm -rf "$installed"
# A first installation: no earlier one for the installer to offer to remove.
wine reg delete "HKLM\\$uninstall_key" /f >/dev/null 2>&1 || true
wine reg delete "HKCU\\$uninstall_key" /f >/dev/null 2>&1 || true
wine "$setup" /S '/D=C:\KelvinorTest'
wineserver -w
for file in Kelvinor.exe Kelvinor-Demo.exe Horalux.exe KELVBUS.BAT COM1READ.BAT DATALINE.BAT LIESMICH.txt \
    digitemp_DS9097.exe digitemp_DS9097U.exe DigiTemp-LIZENZ.txt \
    Uninstall.exe; do
    [ -f "$installed/$file" ] || fail "the installer did not install $file"
done
# Under Wine the user is an administrator: the installation stays the user's
# all the same (the user's start menu, the uninstall entry under HKCU).
wine reg query "HKCU\\$uninstall_key" /v UninstallString >/dev/null 2>&1 ||
    fail "no uninstall entry under HKCU"
! wine reg query "HKLM\\$uninstall_key" >/dev/null 2>&1 || fail "an uninstall entry under HKLM"
wine reg query 'HKCU\Software\Classes\.KLV' /ve 2>/dev/null | grep -q Kelvinor.Logdatei ||
    fail ".KLV is not registered for the user"
# Wine's HKEY_CLASSES_ROOT shows the machine's classes only, not the user's
# that Windows merges over them (where ShellExecute finds what the installer
# registered): the test copies the user's file type there.
mirror_class() {
    local value
    value=$(wine reg query "HKCU\\Software\\Classes\\$1" /ve | sed -n 's/.*REG_SZ *//p' | tr -d '\r')
    wine reg add "HKLM\\Software\\Classes\\$1" /ve /d "$value" /f >/dev/null
}
mirror_class .KLV
mirror_class 'Kelvinor.Logdatei\shell\open\command'
shortcut=$(find "$WINEPREFIX/drive_c/users" -path '*Start Menu*' -name 'Kelvinor.lnk' | head -n 1)
[ -n "$shortcut" ] || fail "no start-menu entry in the user's start menu"
demo_shortcut=$(find "$WINEPREFIX/drive_c/users" -path '*Start Menu*' -name 'Kelvinor-Demo.lnk' | head -n 1)
[ -n "$demo_shortcut" ] || fail "no start-menu entry for the demonstration edition"
echo "installed into C:\\KelvinorTest for the user, with a start-menu entry"


# The installed program, driven as a user would, on the suite's display
# (scripts/build-windows.sh runs the suite on Xvfb with openbox).
[ -n "${DISPLAY:-}" ] || fail "no display: run the suite through scripts/build-windows.sh"
documents=$(wine cmd /c 'echo %USERPROFILE%' | tr -d '\r')
documents_unix=$(winepath -u "$documents\\Documents")
rm -f "$documents_unix"/KELVINOR-*.KLV
# record EDITION FOLDER COMMAND...: starts the program in FOLDER and records
# as a user would: the DEMO notice (demo) or the port scan (live), title,
# start, the offered interval, the default file name, three rows, stop, No;
# returns once the program has ended.
record() {
    local edition=$1 folder=$2 question= logs=${LOGS:-$documents_unix}
    shift 2
    rm -f "$logs"/KELVINOR-*.KLV
    (cd "$folder" && exec "$@") >"$work/kelvinor.out" 2>&1 &
    program=$!
    program_output=$work/kelvinor.out
    if [ "$edition" = demo ]; then
        key "$(await 'Kelvinor: DEMO-Info')" Return
    else
        await "Kelvinor: Prüfung 'COM1' - 'COM9' auf 1-Wire-Sensoren" >/dev/null
    fi
    prompt=$(await 'Kelvinor: Eingabe einer Überschrift' 60)
    type_into "$prompt" 'Probe unter Wine'
    key "$prompt" Return
    main=$(await 'Kelvinor für 1-Wire-Sensoren')
    sleep 1
    # The start button at (482, 595), 150 x 20 in the client area.
    xdotool mousemove --window "$main" 557 605 click 1
    # The shortest interval the sensors allow, as offered.
    key "$(await 'Kelvinor: Zeitintervall für Datenerfassung')" Return
    key "$(await 'Kelvinor: Logfile-Dateiname')" Return # the default name
    local rows=0
    for _ in $(seq 300); do
        rows=$(cat "$logs"/KELVINOR-*.KLV 2>/dev/null | grep -cE '^[0-9]{2}\.[0-9]{2}\.[0-9]{4}'$'\t' || true)
        [ "$rows" -ge 3 ] && break
        sleep 0.2
    done
    [ "$rows" -ge 3 ] || fail "$* wrote $rows rows in 60 s"
    # The stop button at (639, 595).
    xdotool mousemove --window "$main" 714 605 click 1
    for _ in $(seq 100); do
        question=$(xdotool search --onlyvisible --name '^Kelvinor: ' 2>/dev/null | grep -vx "$main" | tail -n 1 || true)
        [ -n "$question" ] && break
        sleep 0.1
    done
    [ -n "$question" ] || fail "no question after the stop"
    # No: the log is not opened; ANSWER=Return answers Yes, which opens it.
    key "$question" "${ANSWER:-n}"
    for _ in $(seq 100); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$program" 2>/dev/null && fail "$* did not end after No"
    program=
}

# "Ja" at the end: the log opens in Kelvinor-Kurven.exe, which the installer
# registered for .KLV files.
ANSWER=Return record demo "$installed" wine Kelvinor-Demo.exe

log=$(ls "$documents_unix"/KELVINOR-*.KLV 2>/dev/null | head -n 1)
[ -n "$log" ] || fail "no log in the Documents folder"
curves=$(await "Kelvinor-Kurven – $(basename "$log")")
[ -n "$curves" ] || fail "\"Ja\" did not open the log in Kelvinor-Kurven.exe"
wine taskkill /F /IM Kelvinor-Kurven.exe >/dev/null 2>&1 || true
echo "\"Ja\" opened the log in the installed Kelvinor-Kurven.exe"
cmp "$log" "$installed/LastLogFile.dat" || fail "LastLogFile.dat differs from the log"
tr -d '\r' <"$log" | grep -qx 'Probe unter Wine' || fail "the title is not in the log"
grep -q $'\r\n\\*\\*\\* Ende der Datenaufzeichnung \\*\\*\\*' "$log" || fail "no end block"
[ "$(grep -c $'\r$' "$log")" -eq "$(wc -l <"$log")" ] || fail "a line without CR LF"
# The rows hold the demonstration readings in order (m = 0, 1, ...).
rows=$(tr -d '\r' <"$log" | grep -E '^[0-9]{2}\.[0-9]{2}\.[0-9]{4}'$'\t''[0-9]{2}:[0-9]{2}:[0-9]{2}'$'\t' | cut -f 3-5)
count=$(printf '%s\n' "$rows" | grep -c .)
[ "$count" -ge 3 ] || fail "only $count rows"
expected=$(awk -v n="$count" 'function h(v) { s = v < 0 ? "-" : ""; v = v < 0 ? -v : v;
    return sprintf("%s%d,%02d", s, int(v / 100), v % 100) }
    BEGIN { for (m = 0; m < n; m++) printf "%s\t%s\t%s\n", h(500 + 50 * (m % 151)),
        h(3000 + 30 * (m % 168)), h(-200 - 10 * (m % 331)) }')
[ "$rows" = "$expected" ] || fail "rows differ from the demonstration readings:
$rows
expected:
$expected"
echo "recorded $count rows under Wine; LastLogFile.dat equals the log"

# normalised LOG ROWS: the log without dates, times and name, keeping only
# its first ROWS rows.
normalised() {
    sed -E 's/[0-9]{2}\.[0-9]{2}\.[0-9]{4}/DD.MM.YYYY/g; s/[0-9]{2}:[0-9]{2}:[0-9]{2}/hh:mm:ss/g;
            s/^(Log-Datei:\t).*\r$/\1LOG\r/' "$1" |
        awk -v keep="$2" '/^DD\.MM\.YYYY\thh:mm:ss\t/ { if (++row > keep) next } { print }'
}
# same_logs WINDOWS_LOG LINUX_LOG: equal as far as both have rows.
same_logs() {
    local windows_count linux_count both
    windows_count=$(grep -cE $'^[0-9]{2}\\.[0-9]{2}\\.[0-9]{4}\t[0-9]{2}:' "$1")
    linux_count=$(grep -cE $'^[0-9]{2}\\.[0-9]{2}\\.[0-9]{4}\t[0-9]{2}:' "$2")
    both=$((windows_count < linux_count ? windows_count : linux_count))
    [ "$both" -ge 3 ] || fail "the logs have only $both rows in common"
    if ! diff <(normalised "$1" "$both") <(normalised "$2" "$both") >"$work/log.diff"; then
        cat "$work/log.diff" >&2
        fail "the Windows and the Linux edition wrote different logs"
    fi
    echo "the log equals the Linux edition's for the same inputs ($both rows, dates and times aside)"
}

# The same recording with the Linux edition (when scripts/build-windows.sh
# names its demonstration build): the two logs must be equal byte for byte
# but for the dates, times and the log's name, as far as both have rows.
if [ -n "${KELVINOR_LINUX_PROGRAM:-}" ]; then
    linux=$work/linux
    mkdir -p "$linux"
    LOGS=$linux HOME=$linux QT_QPA_PLATFORM=xcb record demo "$linux" "$KELVINOR_LINUX_PROGRAM"
    linux_log=$(ls "$linux"/KELVINOR-*.KLV 2>/dev/null | head -n 1)
    [ -n "$linux_log" ] || fail "the Linux edition left no log"
    grep -q $'^DD.MM.YYYY\thh:mm:ss\t5,00\t30,00\t-2,00' <(normalised "$linux_log" 1) ||
        fail "the Linux edition's log has not its first row: $(head -c 300 "$linux_log")"
    same_logs "$log" "$linux_log"
else
    echo "no Linux edition named (KELVINOR_LINUX_PROGRAM): the comparison is left out"
fi
rm -f "$log"

# The edition for real sensors with the DigiTemp for Windows it ships, on a
# simulated 1-Wire bus with three DS18S20 that Wine serves as COM3 (the Linux
# tests' simulator on a pseudo-terminal, the prefix's dosdevices/com3 linked
# to it). A read time of 250 ms gives a row every two seconds or so. The third never converts and reads 85.00, the DS1820's fault, so
# every row sends an alarm e-mail: with STARTTLS and a login to aiosmtpd on
# 127.0.0.1, which demands both, with a certificate of the tests' authority
# in the prefix's root store.
printf '10A8B16B010800 21.5\n104C4D55000800 -3.25\n10B7C34F000800 0 noconvert\n' >"$work/sensors.txt"
tests/windows/onewire-sim "$work/ttySIM" "$work/sensors.txt" >"$work/sim.out" 2>&1 &
for _ in $(seq 100); do
    [ -L "$work/ttySIM" ] && break
    sleep 0.1
done
ln -sfn "$(readlink "$work/ttySIM")" "$WINEPREFIX/dosdevices/com3"
printf 'READ_TIME 250\r\n' >"$installed/kelvinor.ini"
mkdir -p "$work/certificates" "$work/mail"
bash "$tests/make_test_certificates.sh" "$work/certificates"
wine tests/windows/trust_test_ca.exe "$(winepath -w "$work/certificates/ca.pem")"
mail_port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
sleep infinity | /usr/bin/python3 "$tests/smtp_sink.py" 127.0.0.1 "$mail_port" "$work/mail" \
    --starttls "$work/certificates/localhost.pem" "$work/certificates/localhost.key" \
    --login wart geheim >"$work/mail.out" 2>&1 &
for _ in $(seq 100); do
    grep -q ready "$work/mail.out" && break
    sleep 0.1
done
printf '%s\r\n' kelvinor@example.org wart@example.org '' 'Kelvinor-Alarm' "localhost:$mail_port" \
    +Anhang STARTTLS wart geheim >"$installed/KelvEmail.ini"
record live "$installed" wine Kelvinor.exe
rm "$installed/KelvEmail.ini"
mails=$(ls "$work/mail"/*.eml 2>/dev/null | wc -l)
# One e-mail a row; the stop may give up the last one.
[ "$mails" -ge 2 ] || fail "Kelvinor.exe sent $mails alarm e-mails for three rows with a fault"
[ "$(sort -u "$work/mail/auth.log")" = 'PLAIN wart ok' ] ||
    fail "the login was not as expected: $(cat "$work/mail/auth.log")"
/usr/bin/python3 "$tests/parse_mail.py" "$work/mail/1.eml" | grep -q '^attachment=' ||
    fail "the alarm e-mail has no log attached"
echo "Kelvinor.exe sent $mails alarm e-mails with STARTTLS and a login"
log=$(ls "$documents_unix"/KELVINOR-*.KLV 2>/dev/null | head -n 1)
[ -n "$log" ] || fail "Kelvinor.exe left no log in the Documents folder"
cmp "$log" "$installed/LastLogFile.dat" || fail "LastLogFile.dat differs from Kelvinor.exe's log"
grep -q 'mit der ID 10A8B16B0108005D' "$log" || fail "Kelvinor.exe's log does not name the sensor: $(head -c 600 "$log")"
live_rows=$(tr -d '\r' <"$log" | grep -E '^[0-9]{2}\.[0-9]{2}\.[0-9]{4}'$'\t' | cut -f 3-5)
[ "$(sort -u <<<"$live_rows")" = $'21,50\t-3,25\t85,00' ] ||
    fail "Kelvinor.exe's rows are not the simulated sensors' readings: $live_rows"
echo "Kelvinor.exe read the three sensors on COM3 with its DigiTemp in $(wc -l <<<"$live_rows") rows"

# The Linux edition for real sensors on the same bus, through its scripts and
# Debian's DigiTemp: the same log.
if [ -n "${KELVINOR_LINUX_PROGRAM:-}" ]; then
    linux=$work/linux-live
    mkdir -p "$linux"
    find "$tests/../bus-scripts" -maxdepth 1 -type f -exec cp {} "$linux/" \;
    for n in 1 2 3 4 5 6 7 8 9; do
        if [ $n -eq 3 ]; then echo "COM3 $work/ttySIM"; else echo "COM$n /nonexistent/ttyS$n"; fi
    done >"$linux/COMPORTS.TXT"
    cp "$installed/kelvinor.ini" "$linux/"
    LOGS=$linux HOME=$linux QT_QPA_PLATFORM=xcb record live "$linux" "$(dirname "$KELVINOR_LINUX_PROGRAM")/Kelvinor"
    linux_log=$(ls "$linux"/KELVINOR-*.KLV 2>/dev/null | head -n 1)
    [ -n "$linux_log" ] || fail "the Linux edition for real sensors left no log"
    same_logs "$log" "$linux_log"
fi
rm -f "$log"

# The start-menu entries start the installed programs in their folder.
program_output=$work/shortcut.out
wine start /unix "$demo_shortcut" >"$program_output" 2>&1
await 'Kelvinor: DEMO-Info' >/dev/null
wine taskkill /F /IM Kelvinor-Demo.exe >/dev/null 2>&1 || true  # this prefix's only
wineserver -w
wine start /unix "$shortcut" >"$program_output" 2>&1
await "Kelvinor: Prüfung 'COM1' - 'COM9' auf 1-Wire-Sensoren" >/dev/null
wine taskkill /F /IM Kelvinor.exe >/dev/null 2>&1 || true
wineserver -w
echo "the start-menu entries started Kelvinor.exe and Kelvinor-Demo.exe"

# Installing again into another folder removes the first installation.
second=$WINEPREFIX/drive_c/KelvinorZwei
wine "$setup" /S '/D=C:\KelvinorZwei'
wineserver -w
[ -f "$second/Kelvinor.exe" ] || fail "the second installation did not install Kelvinor.exe"
[ ! -f "$installed/Uninstall.exe" ] || fail "the second installation left the first one behind"
echo "a second installation into another folder removed the first"

wine "$second/Uninstall.exe" /S '_?=C:\KelvinorZwei'
wineserver -w
[ ! -f "$second/Kelvinor.exe" ] || fail "the uninstaller left Kelvinor.exe"
! wine reg query "HKCU\\$uninstall_key" >/dev/null 2>&1 || fail "the uninstaller left its entry"
! wine reg query 'HKCU\Software\Classes\Kelvinor.Logdatei' >/dev/null 2>&1 ||
    fail "the uninstaller left the file type of .KLV"
echo "uninstalled"
