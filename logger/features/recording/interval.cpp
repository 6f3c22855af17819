#include "logger/features/recording/interval.h"

#include <cmath>
#include <limits>

#include "logger/constants/control_ids.h"
#include "logger/constants/prompt_titles.h"
#include "logger/features/host_calls/host_calls.h"
#include "logger/features/sound/sound_cues.h"
#include "logger/text/cp1252.h"
#include "logger/text/date_mask.h"
#include "logger/text/number_text.h"

namespace kelvinor {

double minimumIntervalMs(int readTimeMs, int sensorCount) {
    return std::ceil((static_cast<double>(readTimeMs) * sensorCount + 1500.0) / 1000.0) * 1000.0;
}

std::optional<std::int64_t> parseIntervalEntry(const std::string& entry) {
    const std::string work = withDecimalPoint(entry);
    if (work.empty()) return std::nullopt;
    double unitMs = 0;
    switch (work.front()) {
        case 'S':
        case 's':
            unitMs = 1000.0;
            break;
        case 'M':
        case 'm':
            unitMs = 1000.0 * 60;
            break;
        case 'H':
        case 'h':
            unitMs = 1000.0 * 60 * 60;
            break;
        case 'T':
        case 't':
            unitMs = 1000.0 * 60 * 60 * 24;
            break;
        default:
            return std::nullopt;
    }
    const double ms = std::round(readDecimalPrefix(std::string_view(work).substr(1)) * unitMs);
    // 2^63 is the first value a signed 64-bit count cannot hold.
    if (!std::isfinite(ms) || ms >= 9223372036854775808.0 || ms < -9223372036854775808.0)
        return std::nullopt;
    return static_cast<std::int64_t>(ms);
}

std::int64_t nextDueTickAfter(std::int64_t rowTick, std::int64_t intervalMs,
                              std::int64_t readAllowanceMs) {
    const __int128 due = static_cast<__int128>(rowTick) + intervalMs - readAllowanceMs;
    if (due > std::numeric_limits<std::int64_t>::max())
        return std::numeric_limits<std::int64_t>::max();
    if (due < std::numeric_limits<std::int64_t>::min())
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(due);
}

void askRecordingInterval(ProgramState& state, Host& host) {
    state.minIntervalMs = minimumIntervalMs(state.readTime.ms, state.sensorCount());
    state.defaultIntervalText =
        "S" + decimal(static_cast<std::int64_t>(state.minIntervalMs / 1000));
    const std::string entry =
        askText(host, utf8ToCp1252(kIntervalPromptTitle),
                "Format: [Ex,x] (S=Sek., M=Minuten, H=Stunden, T=Tage)", state.defaultIntervalText);
    playSoundCue(state, host, clickCue);
    state.intervalText = upperCaseCp1252(entry);
    state.intervalMs = parseIntervalEntry(entry).value_or(0);
    if (static_cast<double>(state.intervalMs) < state.minIntervalMs) {
        showMessage(host, "Kelvinor: Info",
                    "Ihre gewünschte Log-Intervall-Zeit ist kürzer als die, für die Sensoren "
                    "benötigte Auslesezeit!\r\rDeshalb wird die Datenerfassung als "
                    "kleinstmöglichste Log-Intervall-Zeit '"_cp +
                        state.defaultIntervalText + "' benutzen!");
        playSoundCue(state, host, clickCue);
        state.intervalText = state.defaultIntervalText;
        state.intervalMs = static_cast<std::int64_t>(state.minIntervalMs);
    }
}

void showSchedule(ProgramState& state, Host& host) {
    // Truncated parts of the interval; 64-bit, so long intervals show right.
    const std::int64_t seconds = state.intervalMs / 1000;
    const std::int64_t minutes = seconds / 60;
    const std::int64_t hours = minutes / 60;
    state.intervalSecondsText = decimal(seconds);
    state.intervalMinutesText = decimal(minutes);
    state.intervalHoursText = decimal(hours);
    state.intervalDaysText = decimal(hours / 24);
    host.desktop.setText(intervalLine, intervalLineText(state, true));

    state.lastRecordDate = state.rowDate;
    state.lastRecordTime = state.rowTime;
    Clock& clock = host.clock;
    state.nextRecordDate =
        formatDateMask(kDateMask, clock.toLocal(clock.calendarSeconds() + seconds));
    const std::int64_t nextTimestamp = clock.calendarSeconds() + seconds;
    state.nextRecordTime =
        formatDateMask(kTimeMask, clock.toLocal(clock.calendarSeconds() + seconds));
    state.lastRecordWeekday = germanWeekday(clock.toLocal(state.rowTimestamp).weekday);
    state.nextRecordWeekday = germanWeekday(clock.toLocal(nextTimestamp).weekday);

    host.desktop.setText(lastRecordLine, lastRecordLineText(state));
    host.desktop.setTextColour(lastRecordLine, state.colourBlue);
    host.desktop.setText(nextRecordLine, nextRecordLineText(state));
    host.desktop.setTextColour(nextRecordLine, state.colourRed);
}

std::string intervalLineText(const ProgramState& state, bool recording) {
    return std::string(recording ? ">" : ">>>") +
           " Die Datenaufzeichnung erfolgt in Abständen von ungefähr "_cp +
           state.intervalSecondsText + " Sekunde(n)  =  " + state.intervalMinutesText +
           " Minute(n)  =  " + state.intervalHoursText +
           " Stunde(n)  =  " + state.intervalDaysText + (recording ? " Tag(e) <" : " Tag(e) <<<");
}

std::string lastRecordLineText(const ProgramState& state) {
    return "Die letzte Aufzeichnung war am: " + state.lastRecordWeekday + " den " +
           state.lastRecordDate + " um " + state.lastRecordTime;
}

std::string nextRecordLineText(const ProgramState& state) {
    return "Die nächste Aufzeichnung ist am: "_cp + state.nextRecordWeekday + " den " +
           state.nextRecordDate + " um " + state.nextRecordTime;
}

}  // namespace kelvinor
