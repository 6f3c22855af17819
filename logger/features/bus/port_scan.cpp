#include "logger/features/bus/port_scan.h"

#include <fstream>

#include "logger/features/bus/bus_command.h"
#include "logger/features/bus/config_files.h"
#include "logger/features/sound/sound_cues.h"
#include "logger/seams/control_ids.h"
#include "logger/seams/file_names.h"
#include "logger/seams/files.h"
#include "logger/seams/program_start.h"
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
    for (int n = 1; n <= 9; ++n) {
        host.desktop.setText(scanText, "'COM" + decimal(n) + "' wird überprüft..."_cp);
        host.desktop.updateDisplay();
        deleteFile(answerFileName(n));
        runBusCommand(state, host, state.portCommand[n]);
        host.desktop.setProgress(scanProgress, n);
        host.desktop.updateDisplay();
        host.clock.sleepMs(10);
    }
    host.desktop.closeWindow(scanWindow);

    state.bus->findSensorPort(state, host);
    if (state.sensorPort == 0) {
        playSoundCue(state, host, problemCue);
        showMessage(host, "Kelvinor: Problem", noSensorsText());
        playSoundCue(state, host, clickCue);
        return false;
    }
    return true;
}

void announceDemoPort(ProgramState& state, Host& host) {
    state.sensorPort = 1;
    showMessage(host, "Kelvinor: DEMO-Info",
                "An der DEMO-Schnittstelle 'COM" + decimal(state.sensorPort) +
                    "' wurden 1-Wire-DEMO-Sensoren gefunden!");
    playSoundCue(state, host, clickCue);
}

void findPortInAnswerFiles(ProgramState& state, Host& host) {
    for (int n = 1; n <= 9; ++n) {
        std::fstream file;
        if (!openForReading(file, answerFileName(n))) continue;
        const std::vector<std::string> lines = readLines(file, 7);
        file.close();
        for (int i = 1; i <= 7; ++i) state.sensors.sensorLine[i] = lines[i - 1];
        if (lines[6].empty()) continue;
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

}  // namespace kelvinor
