#include "logger/features/recording/recording_cycle.h"

#include "logger/constants/control_ids.h"
#include "logger/features/alarm/alarm_check.h"
#include "logger/features/alarm/alarm_mail.h"
#include "logger/features/bus/measurement.h"
#include "logger/features/clock_control/clock_control.h"
#include "logger/features/host_calls/host_calls.h"
#include "logger/features/mqtt/mqtt_publishing.h"
#include "logger/features/recording/interval.h"
#include "logger/features/recording/log_file.h"
#include "logger/features/sound/sound_cues.h"
#include "logger/text/cp1252.h"
#include "logger/text/date_mask.h"

namespace kelvinor {
namespace {

void stopRecording(ProgramState& state, Host& host) {
    playSoundCue(state, host, clickCue);
    host.desktop.setBackgroundColour(statusLine, state.colourGrey);
    host.desktop.setTextColour(statusLine, kBlack);
    host.desktop.setText(statusLine, "STATUS: Die Datenaufzeichnung wurde beendet...");
    const std::string endDate = formatDateMask(kDateMask, host.clock.localNow());
    const std::string endTime = formatDateMask(kTimeMask, host.clock.localNow());
    writeLogEnd(state, host, endDate, endTime);
    host.clock.sleepMs(500);
    saveLogFile(state);
    const int answer = showMessage(
        host, "Kelvinor: Log-Datei sofort öffnen?"_cp,
        "Möchten Sie die Datei "_cp + state.logFileName + " mit verknüpfter Anwendung öffnen?"_cp,
        MessageButtons::YesNo);
    playSoundCue(state, host, clickCue);
    if (answer == kAnswerYes) {
        host.clock.sleepMs(500);
        stopClock(state, host);
        const ProcessHandle viewer = startProgram(host, state.logFileName, "", "", kKeepHandle);
        if (viewer > 1) host.starter.release(viewer);
    } else {
        stopClock(state, host);
    }
}

bool isStopRequest(const WindowEvent& event) {
    if (event.window != mainWindow) return false;
    return event.kind == WindowEvent::Kind::CloseRequest ||
           (event.kind == WindowEvent::Kind::Control && event.control == stopButton);
}

// One row; false when a stop came during the read.
bool recordCycle(ProgramState& state, Host& host) {
    // A stop click or close request while the sensors are read ends the read
    // at once; the recording then stops without a row for it.
    const bool read =
        readAllSensors(state, host, [&] { return host.desktop.hasPendingEvent(isStopRequest); });
    if (!read) return false;
    checkReadings(state);
    playSoundCue(state, host, state.alarms.empty() ? clickCue : alarmCue);

    Clock& clock = host.clock;
    state.rowDate = formatDateMask(kDateMask, clock.localNow());
    state.rowTimestamp = clock.calendarSeconds();
    state.rowTime = formatDateMask(kTimeMask, clock.localNow());
    writeLogRow(state, host);
    host.desktop.updateDisplay();
    showSchedule(state, host);

    state.rowTick = clock.monotonicMs();
    state.nextDueTick =
        nextDueTickAfter(state.rowTick, state.intervalMs,
                         static_cast<std::int64_t>(state.readTime.ms) * state.sensorCount());
    state.cycleDue = 0;

    host.desktop.setBackgroundColour(statusLine, state.colourGrey);
    host.desktop.setTextColour(statusLine, state.colourRed);
    host.desktop.setText(statusLine, "STATUS: Die Datenaufzeichnung läuft..."_cp);
    saveLogFile(state);
    // The row to the MQTT broker, when there is one: handed over, not waited for.
    publishRow(state, host);
    // After the save, so that the attached copy holds this cycle's row. A stop
    // click or close request during the e-mail gives it up at once: the
    // recording then stops at the next pass, without waiting for the server.
    if (!state.alarms.empty() && state.mailSettingsSize >= 0)
        sendAlarmMail(state, host, [&] { return host.desktop.hasPendingEvent(isStopRequest); });
    return true;
}

// Sleeps in the event wait until the next cycle is due (true) or a stop
// request comes (false); the stop is taken up at once and wins over a cycle
// that became due in the same pass.
bool waitForNextCycle(ProgramState& state, Host& host) {
    for (;;) {
        const std::int64_t now = host.clock.monotonicMs();
        if (now >= state.nextDueTick) state.cycleDue = 1;
        const std::int64_t timeout = state.cycleDue ? 0 : state.nextDueTick - now;
        const std::optional<WindowEvent> event = host.desktop.waitForEvent(timeout);
        if (event && isStopRequest(*event)) return false;
        if (state.cycleDue) return true;
    }
}

}  // namespace

void startRecording(ProgramState& state, Host& host) {
    askRecordingInterval(state, host);
    announceSensors(state);  // the readings now expire after three intervals
    askLogFileName(state, host);
    state.startDate = formatDateMask(kDateMask, host.clock.localNow());
    state.startTime = formatDateMask(kTimeMask, host.clock.localNow());
    writeLogHeader(state, host);
    while (recordCycle(state, host) && waitForNextCycle(state, host)) {
    }
    stopRecording(state, host);
}

}  // namespace kelvinor
