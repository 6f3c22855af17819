// The unattended recorder's settings file: what it gives and what it refuses.
#include "logger/application/unattended_settings.h"

#include <gtest/gtest.h>

#include "logger/text/cp1252.h"

namespace kelvinor {
namespace {

TEST(UnattendedSettings, GivesTheAnswersOfTheFile) {
    const std::string utf8 =
        "# Kühlraum im Keller\r\n"
        "TITLE Kühlraum Nord #2  \r\n"
        "\n"
        "   # eingerückter Kommentar\n"
        "INTERVAL M1,5\n"
        "LOGFILE /var/lib/kelvinor/kühlraum.KLV\n"
        "ALIAS 1 Vorlauf\n"
        "WARM 1 8,0\n"
        "COLD 1 -2.5\n"
        "COLD 3 2\n"
        "ALIAS 3 Rücklauf mit Blanks";
    // The same file with a byte order mark, or in CP1252, gives the same settings.
    for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8, utf8ToCp1252(utf8)}) {
        const auto result = parseUnattendedSettings(bytes);
        ASSERT_TRUE(std::holds_alternative<UnattendedSettings>(result))
            << std::get<SettingsError>(result).message;
        const auto& s = std::get<UnattendedSettings>(result);
        EXPECT_EQ(s.title, "Kühlraum Nord #2"_cp);
        EXPECT_EQ(s.interval, "M1,5");
        EXPECT_EQ(s.logFile, "/var/lib/kelvinor/kühlraum.KLV"_cp);
        ASSERT_EQ(s.sensors.size(), 2u);
        const SensorSettings& one = s.sensors.at(1);
        EXPECT_EQ(one.alias, "Vorlauf");
        EXPECT_EQ(one.warmAbove, 8.0);
        EXPECT_EQ(one.coldBelow, -2.5);
        EXPECT_EQ(one.line, 7);
        const SensorSettings& three = s.sensors.at(3);
        EXPECT_EQ(three.alias, "Rücklauf mit Blanks"_cp);
        EXPECT_EQ(three.warmAbove, std::nullopt);
        EXPECT_EQ(three.coldBelow, 2.0);
        EXPECT_EQ(three.line, 10);
        EXPECT_EQ(checkSensorNumbers(s, 3), std::nullopt);
        const std::optional<SettingsError> beyond = checkSensorNumbers(s, 2);
        ASSERT_TRUE(beyond);
        EXPECT_EQ(beyond->line, 10);
        EXPECT_EQ(beyond->message, "Zeile 10: Sensor Nr. 3 gibt es nicht (2 Sensoren gefunden)");
    }
    const auto minimal = parseUnattendedSettings("INTERVAL S10\n");
    ASSERT_TRUE(std::holds_alternative<UnattendedSettings>(minimal));
    EXPECT_EQ(std::get<UnattendedSettings>(minimal).logFile, std::nullopt);
    EXPECT_EQ(std::get<UnattendedSettings>(minimal).title, "");
}

TEST(UnattendedSettings, RefusesWhatNobodyWouldNoticeNamingTheLine) {
    struct Case {
        std::string file;
        int line;
        std::string message;  // UTF-8
    };
    const Case cases[] = {
        {"INTERVAL M1\nFOO bar\n", 2, "Zeile 2: unbekannter Schlüssel 'FOO'"},
        {"interval M1\n", 1, "Zeile 1: unbekannter Schlüssel 'interval'"},
        {"TITLE x\nINTERVAL 5\n", 2, "Zeile 2: ungültiges Intervall '5' (z. B. S30, M1, H1, T1)"},
        {"INTERVAL\n", 1, "Zeile 1: ungültiges Intervall '' (z. B. S30, M1, H1, T1)"},
        {"INTERVAL M1\nALIAS 0 x\n", 2, "Zeile 2: ungültige Sensornummer '0' (1 bis 61)"},
        {"INTERVAL M1\nWARM 62 8\n", 2, "Zeile 2: ungültige Sensornummer '62' (1 bis 61)"},
        {"INTERVAL M1\nCOLD x 8\n", 2, "Zeile 2: ungültige Sensornummer 'x' (1 bis 61)"},
        {"INTERVAL M1\nWARM 1 warm\n", 2, "Zeile 2: ungültiger Schwellenwert 'warm' (z. B. 8,0)"},
        {"INTERVAL M1\nCOLD 1\n", 2, "Zeile 2: ungültiger Schwellenwert '' (z. B. 8,0)"},
        {"INTERVAL M1\nLOGFILE   \n", 2, "Zeile 2: LOGFILE ohne Dateinamen"},
        {"TITLE Nur ein Titel\n", 0, "Es fehlt die Zeile INTERVAL (z. B. INTERVAL M1)"},
        {"", 0, "Es fehlt die Zeile INTERVAL (z. B. INTERVAL M1)"},
    };
    for (const Case& c : cases) {
        const auto result = parseUnattendedSettings(c.file);
        ASSERT_TRUE(std::holds_alternative<SettingsError>(result)) << c.file;
        EXPECT_EQ(std::get<SettingsError>(result).line, c.line) << c.file;
        EXPECT_EQ(std::get<SettingsError>(result).message, utf8ToCp1252(c.message)) << c.file;
    }
}

}  // namespace
}  // namespace kelvinor
