#!/usr/bin/env bash
# The include check on a copy of the sources: clean as it stands, and each
# planted include against the layers is caught with its file and line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/logger" "$root/clock" "$root/curves" "$work/"
python3 "$root/scripts/check-includes.py" "$work" >/dev/null

failures=0
# FILE | LINE TO PLANT | EXPECTED MESSAGE
while IFS='|' read -r file line expected; do
    cp "$work/$file" "$work/keep"
    printf '%s\n' "$line" >>"$work/$file"
    if output=$(python3 "$root/scripts/check-includes.py" "$work"); then
        echo "not caught: $line in $file"
        failures=$((failures + 1))
    elif ! grep -qF "$expected" <<<"$output"; then
        echo "caught without the expected message '$expected': $output"
        failures=$((failures + 1))
    fi
    mv "$work/keep" "$work/$file"
done <<'CASES'
logger/features/bus/port_scan.cpp|#include "logger/application/startup.h"|logger/features/bus may not include logger/application/startup.h
logger/features/mail/mail_message.cpp|#include "logger/features/recording/log_file.h"|logger/features/mail may not include logger/features/recording/log_file.h
logger/text/cp1252.cpp|#include "logger/seams/host.h"|logger/text may not include logger/seams/host.h
logger/seams/host.h|#include "logger/state/program_state.h"|logger/seams may not include logger/state/program_state.h
logger/data/sensor_table.h|#include "logger/seams/host.h"|logger/data may not include logger/seams/host.h
logger/state/program_state.h|#include "logger/features/mail/mail_message.h"|logger/state may not include
logger/features/recording/log_file.cpp|#include "logger/platform/posix/system_clock.h"|may not include logger/platform/posix/system_clock.h
logger/desktop/qt/qt_text.cpp|#include "logger/platform/posix/process_starter.h"|logger/desktop/qt may not include
logger/platform/posix/durable_files.cpp|#include "logger/platform/win32/system_clock.h"|logger/platform/posix may not include
logger/application/startup.cpp|#include "logger/desktop/qt/qt_desktop.h"|logger/application may not include
logger/seams/desktop.h|#include <QWidget>|<QWidget> belongs in a platform or desktop folder
logger/features/bus/bus_command.cpp|#include <unistd.h>|<unistd.h> belongs in a platform or desktop folder
logger/features/bus/bus_command.cpp|#include "bus_command.h"|is not named from the project's folder
clock/clock_window.cpp|#include "logger/text/cp1252.h"|Horalux may not include
curves/model/log_reader.cpp|#include <QString>|<QString> does not belong in the log model
curves/model/decimation.h|#include "curves/qt/curve_chart.h"|curves/model may not include curves/qt/curve_chart.h
curves/qt/curve_chart.cpp|#include "logger/seams/host.h"|curves/qt may not include logger/seams/host.h
CASES

# A folder that is no layer is refused too.
mkdir "$work/logger/misc" && echo '// stray' >"$work/logger/misc/stray.cpp"
python3 "$root/scripts/check-includes.py" "$work" >/dev/null && { echo "stray folder not caught"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && echo "every planted include was caught"
