// The unattended recorder's desktop driving the whole program: settings in,
// a log and the logbook on standard output out, a stop from outside.
#include <gtest/gtest.h>

#include <sstream>

#include "logger/application/program_course.h"
#include "logger/application/unattended_answers.h"
#include "logger/constants/control_ids.h"
#include "logger/desktop/unattended/unattended_desktop.h"
#include "logger/text/cp1252.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;

struct UnattendedRun {
    TemporaryWorkFolder folder;
    Scenario scenario;
    std::ostringstream out;
    std::int64_t stopAtMs = 0;  // when the stop from outside comes (fake time)

    int run(const std::string& settingsFile, int demoMode) {
        const auto parsed = parseUnattendedSettings(settingsFile);
        EXPECT_TRUE(std::holds_alternative<UnattendedSettings>(parsed));
        const UnattendedSettings settings = std::get<UnattendedSettings>(parsed);
        FakeClock& clock = scenario.clock;
        UnattendedDesktop desktop(
            [&](const std::string& title, const std::string& message, const std::string& preset) {
                return answerFromSettings(settings, title, message, preset);
            },
            clicksFromSettings(settings),
            [&](std::int64_t ms) {
                clock.advance(
                    std::max<std::int64_t>(0, std::min(ms, stopAtMs - clock.elapsedMs())));
                return clock.elapsedMs() >= stopAtMs;
            },
            out);
        Host host{desktop, clock, scenario.sound, scenario.starter, [] { return true; }};
        return runProgram(scenario.state, host, demoMode);
    }
};

// The same inputs through the desktop edition's prompts and clicks, the stop
// clicked at the same moment: the log it writes.
std::string desktopEditionLog(std::int64_t stopAtMs) {
    TemporaryWorkFolder folder;
    Scenario scenario;
    ScriptedDesktop& d = scenario.desktop;
    d.answerPrompt(utf8ToCp1252("Kühlraum Nord"));
    d.clickAt(0, renameButton);
    for (const char* alias : {"Vorlauf", "S2", "S3"}) d.answerPrompt(alias);
    d.clickAt(0, thresholdsButton);
    for (const char* threshold : {"6,75", "-56,00", "126,00", "-56,00", "126,00", "-2,25"})
        d.answerPrompt(threshold);
    d.clickAt(0, startButton);
    d.answerPrompt("S10");
    d.answerPrompt(utf8ToCp1252("kühl.KLV"));
    d.clickAt(stopAtMs, stopButton);
    d.answerMessage(kAnswerNo);
    d.closeAt(stopAtMs);
    EXPECT_EQ(scenario.runStartUp(1), 0);
    return readFile("kühl.KLV");
}

TEST(UnattendedRecorder, RecordsFromTheSettingsUntilTheStopFromOutside) {
    UnattendedRun r;
    r.stopAtMs = 65'000;
    EXPECT_EQ(r.run("TITLE Kühlraum Nord\n"
                    "INTERVAL S10\n"
                    "LOGFILE kühl.KLV\n"
                    "ALIAS 1 Vorlauf\n"
                    "WARM 1 6,75\n"
                    "COLD 3 -2,25\n",
                    1),
              0);
    // The program's CP1252 file names are UTF-8 paths on this system.
    const std::string log = readFile("kühl.KLV");
    EXPECT_EQ(log, desktopEditionLog(r.stopAtMs));
    for (const char* part : {
             "MESSVORGANG:\r\nKühlraum Nord\r\n",
             "Sensor Nr. 1 alias 'Vorlauf' mit der ID DemoSensor 1\r\n",
             "Alarm-Schwellenwerte von Sensor Nr. 1 alias 'Vorlauf' sind: Alarm-'+' = WÄRMER als "
             "6,75°C und Alarm-'-' = KÄLTER als -56,00°C\r\n",
             "Alarm-Schwellenwerte von Sensor Nr. 3 alias 'S3' sind: Alarm-'+' = WÄRMER als "
             "126,00°C und Alarm-'-' = KÄLTER als -2,25°C\r\n",
             "Log-Intervall:\tS10 (S=Sekunden",
             "Log-Datum\tLog-Uhrzeit\tVorlauf\tS2\tS3\r\n",
         })
        EXPECT_NE(log.find(utf8ToCp1252(part)), std::string::npos) << part;
    EXPECT_TRUE(log.ends_with("*** Ende der Datenaufzeichnung ***\r\n"));
    // A row every 10 s until the stop: sensor 1 climbs by 0.5 from 5.00 and
    // sensor 3 falls by 0.1 from -2.00.
    const std::vector<std::string> rows = logRows(log);
    ASSERT_GE(rows.size(), 5u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool warm = 5.0 + 0.5 * i > 6.75, cold = -2.0 - 0.1 * i < -2.25;
        EXPECT_EQ(rows[i].find("'+' an Sensor Nr. 1/'Vorlauf'") != std::string::npos, warm) << i;
        EXPECT_EQ(rows[i].find("'-' an Sensor Nr. 3/'S3'") != std::string::npos, cold) << i;
    }
    // Standard output: the message boxes on one line after their titles, and
    // every logbook line, the rows included.
    const std::string out = r.out.str();
    for (const char* line : {
             "Kelvinor: DEMO-Info: An der DEMO-Schnittstelle 'COM1' wurden 1-Wire-DEMO-Sensoren "
             "gefunden!\n",
             "Kelvinor: Log-Datei sofort öffnen?: Möchten Sie die Datei kühl.KLV mit verknüpfter "
             "Anwendung öffnen?\n",
             "*** Ende der Datenaufzeichnung ***\n",
         })
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    for (const std::string& row : rows)
        EXPECT_NE(out.find(cp1252ToUtf8(row.substr(row.find('\t', 11)))), std::string::npos) << row;
}

}  // namespace
}  // namespace kelvinor
