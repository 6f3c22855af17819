#include "logger/application/main_window.h"

#include "logger/constants/control_ids.h"
#include "logger/constants/file_names.h"
#include "logger/constants/prompt_titles.h"
#include "logger/features/bus/measurement.h"
#include "logger/features/clock_control/clock_control.h"
#include "logger/features/editors/sensor_settings.h"
#include "logger/features/host_calls/host_calls.h"
#include "logger/features/recording/interval.h"
#include "logger/features/recording/log_layout.h"
#include "logger/features/sound/sound_cues.h"
#include "logger/system/files.h"
#include "logger/text/cp1252.h"

namespace kelvinor {
namespace {

void addButton(Host& host, int id, int x, int y, const std::string& text,
               const std::string& tooltip, ControlKind kind = ControlKind::PushButton) {
    host.desktop.createControl({id, mainWindow, kind, x, y, 150, 20, text});
    host.desktop.setTooltip(id, tooltip);
}

// The start button: the recording's buttons; the recording follows.
void startRecordingCommand(ProgramState& state, Host& host) {
    deleteFile(state.lastLogFileName);
    playSoundCue(state, host, clickCue);
    for (int id : kCommandButtons) host.desktop.setEnabled(id, false);
    host.desktop.setEnabled(stopButton, true);
}

void dispatch(ProgramState& state, Host& host, int control) {
    switch (control) {
        case instantQueryButton:
            instantQuery(state, host);
            break;
        case clockToggle:
            toggleClock(state, host);
            break;
        case homepageButton:
            openHomepage(state, host);
            break;
        case infoButton:
            openInfoFile(state, host);
            break;
        case renameButton:
            editAliases(state, host);
            break;
        case thresholdsButton:
            editThresholds(state, host);
            break;
        default:
            break;  // the logbook, the status line and the static texts have no command
    }
}

}  // namespace

void createMainWindowControls(ProgramState& state, Host& host) {
    Desktop& d = host.desktop;
    d.openWindow({mainWindow, "Kelvinor für 1-Wire-Sensoren"_cp, 800, 650, true});
    d.createControl(
        {logbookHeading, mainWindow, ControlKind::StaticText, 10, 10, 780, 30,
         "Logbuch-Fenster:\r(Der Text in diesem Fenster kann mit 'STRG-A' markiert, mit "
         "'STRG-C' kopiert und mit 'STRG-V' in eine andere Anwendung eingefügt werden!)"_cp,
         true});
    d.createControl({statusLine, mainWindow, ControlKind::ReadOnlyTextField, 167, 625, 465, 20,
                     "STATUS: Das Kelvinor ist bereit...", true, true});
    d.setTooltip(statusLine, "Status-Fenster: Hier sehen Sie den momentanen Programmstatus!");
    d.setBackgroundColour(statusLine, state.colourGrey);
    d.setTextColour(statusLine, state.colourBlue);
    d.createControl({logbook, mainWindow, ControlKind::Logbook, 10, 40, 780, 510, ""});
    d.setTooltip(logbook,
                 "Logbuch-Fenster: Hier sehen Sie alle Ereignisse und getätigte Eingaben!"_cp);
    addButton(
        host, renameButton, 167, 595, "Sensoren-Namen ändern"_cp,
        "Schalter: Hier können Sie den einzelnen Sensoren aussagekräftigere Namen zuordnen!"_cp);
    addButton(host, startButton, 482, 595, "Datenerfassung STARTEN",
              "Schalter: Hier können Sie die Datenerfassung starten!"_cp,
              ControlKind::DefaultPushButton);
    addButton(host, stopButton, 639, 595, "Datenerfassung BEENDEN",
              "Schalter: Hier können Sie die Datenerfassung beenden!"_cp,
              ControlKind::DefaultPushButton);
    d.setEnabled(stopButton, false);
    addButton(host, thresholdsButton, 324, 595, "Sensoren-Alarmwerte ändern"_cp,
              "Schalter: Hier können Sie die Schwellenwerte für die Alarmmeldungen der einzelnen "
              "Sensoren setzen!"_cp);
    addButton(host, instantQueryButton, 10, 595, "Sensoren-Sofort-Abfrage",
              "Schalter: Hier können Sie eine sofortige bzw. aktuelle Temperaturmessung der "
              "Sensoren auslösen!"_cp);
    addButton(host, clockToggle, 10, 625, "Datum && Uhrzeit (EIN/AUS)",
              "Schalter: Hier können Sie das aktuelle Datum und die aktuelle Uhrzeit, in einem "
              "separaten Fenster, permanent ein- oder ausblenden!"_cp,
              ControlKind::ToggleButton);
    addButton(host, homepageButton, 639, 625, "Brenwick-Homepage",
              "Schalter: Hier können Sie, bei aktiver Internetverbindung, die Internetseite von "
              "Brenwick öffnen!"_cp);
    if (fileSize(kInfoFile) >= 0)
        d.createControl({infoButton, mainWindow, ControlKind::PushButton, 760, 10, 30, 20, "Info"});
    d.createControl({intervalLine, mainWindow, ControlKind::StaticText, 10, 555, 780, 20,
                     intervalLineText(state, false), true});
    d.createControl({lastRecordLine, mainWindow, ControlKind::StaticText, 10, 575, 390, 20,
                     lastRecordLineText(state), true});
    d.setTextColour(lastRecordLine, state.colourBlue);
    d.createControl({nextRecordLine, mainWindow, ControlKind::StaticText, 400, 575, 390, 20,
                     nextRecordLineText(state), true});
    d.setTextColour(nextRecordLine, state.colourRed);
}

void openMainWindow(ProgramState& state, Host& host) {
    state.measurementTitle =
        askText(host, utf8ToCp1252(kTitlePromptTitle),
                "Hier können Sie einen Titel für die Messung eingeben!"_cp, state.measurementTitle);
    playSoundCue(state, host, clickCue);
    createMainWindowControls(state, host);
    showLogbookHeader(state, host);
}

Phase serveMainWindow(ProgramState& state, Host& host) {
    for (;;) {
        const std::optional<WindowEvent> event = host.desktop.waitForEvent(100);
        if (!event || event->window != mainWindow) continue;
        if (event->kind == WindowEvent::Kind::CloseRequest) {
            stopClock(state, host);
            playSoundCue(state, host, clickCue);
            return Phase::Ending;
        }
        if (event->kind != WindowEvent::Kind::Control) continue;
        if (event->control == startButton) {
            startRecordingCommand(state, host);
            return Phase::Recording;
        }
        dispatch(state, host, event->control);
    }
}

void openHomepage(ProgramState& state, Host& host) {
    playSoundCue(state, host, clickCue);
    const ProcessHandle browser =
        startProgram(host, std::string(kHomepageAddress), "", "", kKeepHandle);
    if (browser > 1) host.starter.release(browser);
}

void openInfoFile(ProgramState& state, Host& host) {
    playSoundCue(state, host, clickCue);
    startProgram(host, std::string(kInfoFile), "", "", kWait | kKeepHandle);
}

}  // namespace kelvinor
