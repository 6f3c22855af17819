// The idle life of the program with the scripted desktop: title prompt, main
// window, instant query, aliases, thresholds, close.
#include <gtest/gtest.h>

#include <filesystem>

#include "logger/constants/control_ids.h"
#include "logger/system/files.h"
#include "logger/text/cp1252.h"
#include "tests/support/expected_texts.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;

Lines headerLines(const std::string& title, const Lines& aliases, const Lines& thresholds) {
    HeaderExpectation e;
    e.title = title;
    e.aliases = aliases;
    e.warm = {thresholds[0], thresholds[2], thresholds[4]};
    e.cold = {thresholds[1], thresholds[3], thresholds[5]};
    return headerBlockLines(e);
}

const Lines kDefaultAliases = {"S1", "S2", "S3"};
const Lines kDefaultThresholds = {"126,00", "-56,00", "126,00", "-56,00", "126,00", "-56,00"};

TEST(MainWindow, OpensWithEveryControlInOrderAndTheIdleStates) {
    TemporaryWorkFolder folder;
    Scenario scenario;
    scenario.desktop.answerPrompt("Keller");
    scenario.desktop.closeAt(0);
    EXPECT_EQ(scenario.runStartUp(1), 0);
    ScriptedDesktop& d = scenario.desktop;
    ASSERT_EQ(d.prompts.size(), 1u);
    EXPECT_EQ(d.prompts[0].title, "Kelvinor: Eingabe einer Überschrift"_cp);
    EXPECT_EQ(d.prompts[0].message, "Hier können Sie einen Titel für die Messung eingeben!"_cp);
    EXPECT_EQ(d.prompts[0].preset, "");
    EXPECT_EQ(scenario.state.measurementTitle, "Keller");
    // The scan window's two controls, then the main window's in creation order.
    EXPECT_EQ(d.createdOrder,
              (std::vector<int>{5, 21, 6, 20, 11, 12, 13, 14, 15, 16, 17, 18, 8, 9, 10}));
    EXPECT_EQ(d.journal.back(), "close 1");  // released by endProgram
}

TEST(MainWindow, ControlsTextsColoursAndTooltips) {
    TemporaryWorkFolder folder;
    writeFile("Kelvinor.txt", "Hilfe");
    Scenario scenario;
    scenario.desktop.answerPrompt(std::nullopt);
    scenario.desktop.clickAt(0, logbook);  // no command: nothing changes
    scenario.desktop.clickAt(0, statusLine);
    scenario.desktop.closeAt(50);
    EXPECT_EQ(scenario.runStartUp(1), 0);
    const ScriptedDesktop& d = scenario.desktop;
    struct Expect {
        int id;
        ControlKind kind;
        int x, y, w, h;
        std::string text;
        std::string tooltip;
        bool enabled;
    };
    const std::string none;
    const Expect expected[] = {
        {6, ControlKind::StaticText, 10, 10, 780, 30,
         "Logbuch-Fenster:\r(Der Text in diesem Fenster kann mit 'STRG-A' markiert, mit 'STRG-C' "
         "kopiert und mit 'STRG-V' in eine andere Anwendung eingefügt werden!)",
         none, true},
        {20, ControlKind::ReadOnlyTextField, 167, 625, 465, 20,
         "STATUS: Das Kelvinor ist bereit...",
         "Status-Fenster: Hier sehen Sie den momentanen Programmstatus!", true},
        {11, ControlKind::Logbook, 10, 40, 780, 510, "",
         "Logbuch-Fenster: Hier sehen Sie alle Ereignisse und getätigte Eingaben!", true},
        {12, ControlKind::PushButton, 167, 595, 150, 20, "Sensoren-Namen ändern",
         "Schalter: Hier können Sie den einzelnen Sensoren aussagekräftigere Namen zuordnen!",
         true},
        {13, ControlKind::DefaultPushButton, 482, 595, 150, 20, "Datenerfassung STARTEN",
         "Schalter: Hier können Sie die Datenerfassung starten!", true},
        {14, ControlKind::DefaultPushButton, 639, 595, 150, 20, "Datenerfassung BEENDEN",
         "Schalter: Hier können Sie die Datenerfassung beenden!", false},
        {15, ControlKind::PushButton, 324, 595, 150, 20, "Sensoren-Alarmwerte ändern",
         "Schalter: Hier können Sie die Schwellenwerte für die Alarmmeldungen der einzelnen "
         "Sensoren setzen!",
         true},
        {16, ControlKind::PushButton, 10, 595, 150, 20, "Sensoren-Sofort-Abfrage",
         "Schalter: Hier können Sie eine sofortige bzw. aktuelle Temperaturmessung der Sensoren "
         "auslösen!",
         true},
        {17, ControlKind::ToggleButton, 10, 625, 150, 20, "Datum && Uhrzeit (EIN/AUS)",
         "Schalter: Hier können Sie das aktuelle Datum und die aktuelle Uhrzeit, in einem "
         "separaten Fenster, permanent ein- oder ausblenden!",
         true},
        {18, ControlKind::PushButton, 639, 625, 150, 20, "Brenwick-Homepage",
         "Schalter: Hier können Sie, bei aktiver Internetverbindung, die Internetseite von "
         "Brenwick öffnen!",
         true},
        {19, ControlKind::PushButton, 760, 10, 30, 20, "Info", none, true},
        {8, ControlKind::StaticText, 10, 555, 780, 20,
         ">>> Die Datenaufzeichnung erfolgt in Abständen von ungefähr - Sekunde(n)  =  - "
         "Minute(n)  =  - Stunde(n)  =  - Tag(e) <<<",
         none, true},
        {9, ControlKind::StaticText, 10, 575, 390, 20,
         "Die letzte Aufzeichnung war am: ------- den --.--.-- um --:--:--", none, true},
        {10, ControlKind::StaticText, 400, 575, 390, 20,
         "Die nächste Aufzeichnung ist am: ------- den --.--.-- um --:--:--", none, true},
    };
    for (const Expect& e : expected) {
        const ControlRecord& c = d.at(e.id);
        EXPECT_EQ(c.layout.kind, e.kind) << e.id;
        EXPECT_EQ(c.layout.window, mainWindow) << e.id;
        EXPECT_EQ(std::vector<int>({c.layout.x, c.layout.y, c.layout.width, c.layout.height}),
                  std::vector<int>({e.x, e.y, e.w, e.h}))
            << e.id;
        EXPECT_EQ(c.text, utf8ToCp1252(e.text)) << e.id;
        EXPECT_EQ(c.tooltip, utf8ToCp1252(e.tooltip)) << e.id;
        EXPECT_EQ(c.enabled, e.enabled) << e.id;
        EXPECT_FALSE(c.checked) << e.id;
    }
    EXPECT_TRUE(d.at(6).layout.centred && d.at(8).layout.centred && d.at(20).layout.centred);
    EXPECT_EQ(d.at(statusLine).backgroundColour, 0xC0C0C0u);
    EXPECT_EQ(d.at(statusLine).textColour, 0xFF0000u);
    EXPECT_EQ(d.at(lastRecordLine).textColour, 0xFF0000u);
    EXPECT_EQ(d.at(nextRecordLine).textColour, 0x0000FFu);
    EXPECT_EQ(d.messages.size(), 1u);  // the demonstration notice only
    EXPECT_EQ(d.prompts.size(), 1u);
}

TEST(MainWindow, NoInfoButtonWithoutARegularInfoFile) {
    for (bool folderOfThatName : {false, true}) {
        TemporaryWorkFolder folder;
        if (folderOfThatName) std::filesystem::create_directory("Kelvinor.txt");
        Scenario scenario;
        scenario.desktop.answerPrompt("");
        scenario.desktop.clickAt(0, instantQueryButton);  // enables a button that does not exist
        scenario.desktop.closeAt(0);
        EXPECT_EQ(scenario.runStartUp(1), 0);
        EXPECT_THROW(scenario.desktop.at(infoButton), std::out_of_range);
        EXPECT_EQ(scenario.desktop.messages.size(), 2u);
    }
}

TEST(MainWindow, LogbookHeaderWithAndWithoutTitle) {
    for (const std::string title : {"", "Keller \xFC"}) {
        TemporaryWorkFolder folder;
        Scenario scenario;
        scenario.desktop.answerPrompt(title);
        scenario.desktop.closeAt(0);
        scenario.runStartUp(1);
        EXPECT_EQ(scenario.desktop.at(logbook).logbook,
                  headerLines(cp1252ToUtf8(title), kDefaultAliases, kDefaultThresholds));
    }
}

TEST(MainWindow, TheHeaderFollowsTheEditsAndIsWrittenOnce) {
    TemporaryWorkFolder folder;
    Scenario scenario;
    scenario.desktop.answerPrompt("");
    scenario.desktop.clickAt(0, renameButton);
    for (const char* alias : {"A", "", "C"}) scenario.desktop.answerPrompt(alias);
    scenario.desktop.clickAt(0, thresholdsButton);
    for (const char* answer : {"25,5", "", "30", "-1", "126", "-56"})
        scenario.desktop.answerPrompt(answer);
    scenario.desktop.closeAt(0);
    scenario.runStartUp(1);
    EXPECT_EQ(
        scenario.desktop.at(logbook).logbook,
        headerLines("", {"A", "", "C"}, {"25,50", "0,00", "30,00", "-1,00", "126,00", "-56,00"}));
    EXPECT_EQ(scenario.desktop.at(statusLine).text,
              "STATUS: Die Sensoren-Alarmwerte wurden gesetzt...");
    EXPECT_EQ(scenario.desktop.at(statusLine).backgroundColour, 0xC0C0C0u);
    EXPECT_EQ(scenario.desktop.at(statusLine).textColour, 0xFF0000u);
}

TEST(MainWindow, AliasCommandSetsItsStatus) {
    TemporaryWorkFolder folder;
    Scenario scenario;
    scenario.desktop.answerPrompt("");
    scenario.desktop.clickAt(0, renameButton);
    for (int k = 0; k < 3; ++k) scenario.desktop.answerPrompt("x");
    scenario.desktop.closeAt(0);
    scenario.runStartUp(1);
    EXPECT_EQ(scenario.desktop.at(statusLine).text,
              "STATUS: Die Sensoren-Aliases wurden gesetzt...");
}

TEST(MainWindow, InstantQueryFromTheButtonLeavesTheIdleStates) {
    TemporaryWorkFolder folder;
    writeFile("Kelvinor.txt", "");
    Scenario scenario;
    scenario.desktop.answerPrompt("");
    scenario.desktop.clickAt(0, instantQueryButton);
    scenario.desktop.clickAt(0, stopButton);  // disabled: not delivered
    scenario.desktop.closeAt(0);
    EXPECT_EQ(scenario.runStartUp(1), 0);
    const Message& query = scenario.desktop.messages.at(1);
    for (int id = renameButton; id <= infoButton; ++id) {
        EXPECT_FALSE(query.enabledWhileShown.at(id)) << id;
        EXPECT_EQ(scenario.desktop.at(id).enabled, id != stopButton) << id;
    }
}

TEST(MainWindow, StartButtonSetsTheRecordingStates) {
    TemporaryWorkFolder folder;
    writeFile("Kelvinor.txt", "");
    writeFile("LastLogFile.dat", "old");
    Scenario scenario;
    scenario.desktop.answerPrompt("");
    scenario.desktop.clickAt(0, startButton);
    scenario.desktop.answerPrompt("S5");
    scenario.desktop.answerPrompt("log.KLV");
    scenario.desktop.answerMessage(kAnswerNo);
    scenario.desktop.clickAt(1000, stopButton);
    std::string copyAtFirstWait, logAtFirstWait;
    scenario.desktop.doAt(0, [&] {
        copyAtFirstWait = readFile("LastLogFile.dat");
        logAtFirstWait = readFile("log.KLV");
    });
    EXPECT_EQ(scenario.runStartUp(1), 0);
    // The old copy was deleted; the new one holds the first row.
    EXPECT_EQ(copyAtFirstWait, logAtFirstWait);
    EXPECT_TRUE(copyAtFirstWait.starts_with("# # #"));
    for (int id = renameButton; id <= infoButton; ++id)
        EXPECT_EQ(scenario.desktop.at(id).enabled, id == stopButton) << id;
}

TEST(MainWindow, AliasesAndThresholdsWalkThroughEverySensor) {
    struct {
        TemporaryWorkFolder folder;
        Scenario scenario{ScenarioOptions{.soundAvailable = true}};
        ProgramState& state = scenario.state;
        ScriptedDesktop& desktop = scenario.desktop;
    } r;
    r.desktop.answerPrompt("Keller");
    r.desktop.clickAt(0, renameButton);
    r.desktop.answerPrompt("Vorlauf");
    r.desktop.answerPrompt(std::nullopt);  // Escape empties the alias
    r.desktop.answerPrompt(
        "R\xFC"
        "cklauf\tB");
    r.desktop.clickAt(0, thresholdsButton);
    for (const char* answer : {"25,5", "-10", "1.234,5", "abc", "126,00", "-56,004"})
        r.desktop.answerPrompt(answer);
    // The instant query shows the edited aliases.
    r.desktop.clickAt(0, instantQueryButton);
    r.desktop.closeAt(0);
    EXPECT_EQ(r.scenario.runStartUp(1), 0);

    const auto& p = r.desktop.prompts;
    ASSERT_EQ(p.size(), 10u);
    const std::string aliasTitle = "Kelvinor: Alternativer Name für Sensor"_cp;
    EXPECT_EQ(p[1].title, aliasTitle);
    EXPECT_EQ(p[1].message, "Sensor Nr. 1/ID DemoSensor 1='S1':");
    EXPECT_EQ(p[1].preset, "S1");
    EXPECT_EQ(p[3].message, "Sensor Nr. 3/ID DemoSensor 3='S3':");
    const std::string warm = "Kelvinor: Alarm-'+' = 'WARM' (T < 126°C)"_cp;
    const std::string cold = "Kelvinor: Alarm-'-' = 'KALT' (T > -56°C)"_cp;
    const std::vector<std::pair<std::string, std::string>> thresholdPrompts = {
        {warm, "126,00"}, {cold, "-56,00"}, {warm, "126,00"},
        {cold, "-56,00"}, {warm, "126,00"}, {cold, "-56,00"}};
    for (std::size_t i = 0; i < thresholdPrompts.size(); ++i) {
        EXPECT_EQ(p[4 + i].title, thresholdPrompts[i].first) << i;
        EXPECT_EQ(p[4 + i].preset, thresholdPrompts[i].second) << i;
    }
    // The thresholds' message names the alias as it now stands.
    EXPECT_EQ(p[4].message, "Sensor Nr. 1/ID DemoSensor 1='Vorlauf':");
    EXPECT_EQ(p[6].message, "Sensor Nr. 2/ID DemoSensor 2='':");
    const SensorTable& t = r.state.sensors;
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].alias, "Vorlauf");
    EXPECT_EQ(t[1].alias, "");
    EXPECT_EQ(t[2].alias,
              "R\xFC"
              "cklauf\tB");
    EXPECT_EQ(t[0].warmAbove, 25.5);
    EXPECT_EQ(t[0].coldBelow, -10.0);
    EXPECT_EQ(t[1].warmAbove, 1.234);
    EXPECT_EQ(t[1].coldBelow, 0.0);
    EXPECT_EQ(t[2].warmAbove, 126.0);
    EXPECT_DOUBLE_EQ(t[2].coldBelow, -56.004);

    // Clicks: title, then aliases (1 + 3), thresholds (1 + 6), query (2), close (1); plus the
    // notice.
    EXPECT_EQ(r.scenario.sound.cues(), std::vector<int>(1 + 1 + 4 + 7 + 2 + 1, 0));
    const std::string query = r.desktop.messages.back().text;
    EXPECT_NE(query.find("= Sensor Nr. 2/ID DemoSensor 2 = ''\r"), std::string::npos);
}

TEST(MainWindow, ThresholdConversions) {
    struct Case {
        std::string answer;
        double value;
        std::string shown;
    };
    const Case cases[] = {
        {"25,5", 25.5, "25,50"},     {"25.5", 25.5, "25,50"},     {"-10", -10.0, "-10,00"},
        {"1.234,5", 1.234, "1,23"},  {"", 0.0, "0,00"},           {"abc", 0.0, "0,00"},
        {"126,00", 126.0, "126,00"}, {"12,345", 12.345, "12,35"}, {" 7", 7.0, "7,00"},
        {"1e2", 100.0, "100,00"},
    };
    for (const Case& c : cases) {
        TemporaryWorkFolder folder;
        Scenario scenario;
        scenario.desktop.answerPrompt("");
        scenario.desktop.clickAt(0, thresholdsButton);
        for (int i = 0; i < 6; ++i) scenario.desktop.answerPrompt(i == 0 ? c.answer : "0");
        scenario.desktop.clickAt(0, thresholdsButton);  // the next round shows the stored value
        for (int i = 0; i < 6; ++i) scenario.desktop.answerPrompt("0");
        scenario.desktop.closeAt(0);
        scenario.runStartUp(1);
        EXPECT_EQ(scenario.desktop.prompts.at(7).preset, c.shown) << c.answer;
        EXPECT_EQ(scenario.state.sensors.at(0).warmAbove, 0.0);
    }
}

}  // namespace
}  // namespace kelvinor
