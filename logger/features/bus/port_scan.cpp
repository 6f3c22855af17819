#include "logger/features/bus/port_scan.h"

#include "logger/constants/control_ids.h"
#include "logger/constants/file_names.h"
#include "logger/features/bus/answer_files.h"
#include "logger/features/bus/bus_command.h"
#include "logger/features/host_calls/host_calls.h"
#include "logger/features/sound/sound_cues.h"
#include "logger/system/bus_log.h"
#include "logger/system/files.h"
#include "logger/text/cp1252.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

void openCentredTextWindow(Host& host, int window, const std::string& title, int height,
                           int textControl, const std::string& text) {
    host.desktop.openWindow({window, title, 375, height, false});
    host.desktop.createControl(
        {textControl, window, ControlKind::StaticText, 10, 10, 355, 20, text, true});
}

std::string noSensorsText() {
    return "An den Schnittstellen 'COM1' bis 'COM9' wurden\r"
           "keine 1-Wire-Temperatursensoren gefunden!\r"
           "\r"
           "- Die COM-Schnittstelle (1-9) korrekt eingerichtet?\r"
           "- Die COM-Verbindungsleitung angeschlossen?\r"
           "- Alle Steckverbinder richtig eingerastet?\r"
           "- Die Stromversorgung angeschlossen?";
}

void announceDemoPort(ProgramState& state, Host& host, int port) {
    state.sensorPort = port;
    showMessage(host, "Kelvinor: DEMO-Info",
                "An der DEMO-Schnittstelle 'COM" + decimal(port) +
                    "' wurden 1-Wire-DEMO-Sensoren gefunden!");
    playSoundCue(state, host, clickCue);
}

void announceFoundPorts(ProgramState& state, Host& host, const std::vector<int>& ports) {
    // Each port with sensors is shown for two seconds; the last one is used.
    state.sensorPort = 0;
    for (int n : ports) {
        state.sensorPort = n;
        openCentredTextWindow(
            host, foundWindow, "Kelvinor: Gültige COM-Schnittstelle wurde gefunden"_cp, 33,
            foundText,
            "An der Schnittstelle 'COM" + decimal(n) + "' wurden 1-Wire-Sensoren gefunden!");
        host.desktop.updateDisplay();
        host.clock.sleepMs(2000);
        host.desktop.closeWindow(foundWindow);
    }
}

}  // namespace

bool scanPorts(ProgramState& state, Host& host) {
    openCentredTextWindow(host, scanWindow,
                          "Kelvinor: Prüfung 'COM1' - 'COM9' auf 1-Wire-Sensoren"_cp, 60, scanText,
                          "Die Überprüfung der COM-Schnittstellen wird initialisiert..."_cp);
    host.desktop.createControl(
        {scanProgress, scanWindow, ControlKind::ProgressBar, 10, 30, 355, 20, "", false, false, 9});
    host.desktop.updateDisplay();
    host.clock.sleepMs(1000);

    deleteFile(kToolSettingsFile);
    const std::int64_t limitMs = searchLimitMs(state.bus->readTime().ms);
    for (int n = 1; n <= 9; ++n) {
        host.desktop.setText(scanText, "'COM" + decimal(n) + "' wird überprüft..."_cp);
        host.desktop.updateDisplay();
        deleteFile(answerFileName(n));
        // A search that runs out of time finds no sensors.
        if (runBoundedBusCommand(state.commandInterpreter, host, state.portCommand[n], limitMs) ==
            BusRun::OutOfTime) {
            deleteFile(answerFileName(n));
            appendBusLog("COM" + decimal(n) + ":",
                         "the search did not end within " + limitText(limitMs) + ": no sensors");
        }
        host.desktop.setProgress(scanProgress, n);
        host.desktop.updateDisplay();
        host.clock.sleepMs(10);
    }
    host.desktop.closeWindow(scanWindow);

    const PortsFound found = state.bus->findSensorPorts();
    if (found.simulated)
        announceDemoPort(state, host, found.ports.back());
    else
        announceFoundPorts(state, host, found.ports);
    if (state.sensorPort == 0) {
        playSoundCue(state, host, problemCue);
        showMessage(host, "Kelvinor: Problem", noSensorsText());
        playSoundCue(state, host, clickCue);
        return false;
    }
    return true;
}

}  // namespace kelvinor
