#include "logger/features/recording/interval.h"

#include <gtest/gtest.h>

#include <limits>

#include "logger/constants/control_ids.h"
#include "logger/text/cp1252.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;

TEST(Interval, MinimumFromReadTimeAndSensors) {
    EXPECT_EQ(minimumIntervalMs(1000, 1), 3000);
    EXPECT_EQ(minimumIntervalMs(1000, 2), 4000);
    EXPECT_EQ(minimumIntervalMs(1000, 3), 5000);
    EXPECT_EQ(minimumIntervalMs(750, 2), 3000);  // exactly 3: no rounding up
    EXPECT_EQ(minimumIntervalMs(0, 3), 2000);
    EXPECT_EQ(minimumIntervalMs(9999, 61), 612000);
    EXPECT_EQ(minimumIntervalMs(-999, 3), -1000);  // no range check on the read time
}

TEST(Interval, EntriesAndTheirMilliseconds) {
    struct Case {
        std::string entry;
        std::optional<std::int64_t> ms;
    };
    const Case cases[] = {
        {"M5", 300000},
        {"m1,5", 90000},
        {"H1.5", 5400000},
        {"T1", 86400000},
        {"S 10", 10000},
        {"s5", 5000},
        {"S+7", 7000},
        {"S-5", -5000},
        {"S1e1", 10000},
        {"S0.0004", 0},
        {"S0.0005", 1},
        {"Sabc", 0},
        {"S", 0},
        {"5", std::nullopt},
        {"", std::nullopt},
        {" S5", std::nullopt},
        {"X5", std::nullopt},
        {"S1e400", std::nullopt},
        {"T1e20", std::nullopt},
        {"T106751991", 9223372022400000},
        {"Snan", 0},
        {"h 2,25 Stunden", 8100000},
    };
    for (const Case& c : cases) EXPECT_EQ(parseIntervalEntry(c.entry), c.ms) << c.entry;
}

TEST(Interval, TheDueTickSaturatesInsteadOfOverflowing) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    struct Case {
        std::int64_t rowTick, intervalMs, allowanceMs, due;
    };
    const Case cases[] = {
        {5'000'000'000, 5'000, 3'000, 5'000'002'000},
        {5'000'000'000, 9'223'372'036'854'770'000, 3'000, kMax},  // S9223372036854770
        {5'000'000'000, kMax, -61'000, kMax},                     // a negative read time
        {-5'000'000'000, kMin + 1, 3'000, kMin},
        {kMax - 10, 10, 0, kMax},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nextDueTickAfter(c.rowTick, c.intervalMs, c.allowanceMs), c.due) << c.intervalMs;
}

struct IntervalRun {
    TemporaryWorkFolder folder;
    Scenario scenario{ScenarioOptions{.soundAvailable = true}};
    void ask(const std::optional<std::string>& entry, int readTimeMs = 1000, int sensors = 3) {
        scenario.state.readTime.ms = readTimeMs;
        scenario.state.sensors.assign(static_cast<std::size_t>(sensors), Sensor{});
        scenario.state.soundEnabled = scenario.state.soundReady = 1;
        scenario.desktop.answerPrompt(entry);
        askRecordingInterval(scenario.state, scenario.host);
    }
};

TEST(Interval, AcceptedEntriesKeepTheirTextInUpperCase) {
    struct Case {
        std::string entry, text;
        std::int64_t ms;
    };
    const Case cases[] = {{"M5", "M5", 300000},
                          {"m1,5", "M1,5", 90000},
                          {"s5", "S5", 5000},
                          {"t1 \xE4\xDF", "T1 \xC4\xDF", 86400000}};
    for (const Case& c : cases) {
        IntervalRun r;
        r.ask(c.entry);
        EXPECT_EQ(r.scenario.state.intervalText, c.text);
        EXPECT_EQ(r.scenario.state.intervalMs, c.ms);
        EXPECT_TRUE(r.scenario.desktop.messages.empty());
        EXPECT_EQ(r.scenario.sound.cues(), std::vector<int>{0});
    }
}

TEST(Interval, BelowTheMinimumTakesTheMinimumWithItsNotice) {
    for (const std::optional<std::string>& entry :
         {std::optional<std::string>("5"), std::optional<std::string>(),
          std::optional<std::string>("S4"), std::optional<std::string>("S0"),
          std::optional<std::string>("T1e20"), std::optional<std::string>("S-100")}) {
        IntervalRun r;
        r.ask(entry);
        const auto& d = r.scenario.desktop;
        EXPECT_EQ(d.prompts.at(0).preset, "S5");
        ASSERT_EQ(d.messages.size(), 1u) << entry.value_or("<Escape>");
        EXPECT_EQ(d.messages[0].title, "Kelvinor: Info");
        EXPECT_EQ(
            d.messages[0].text,
            "Ihre gewünschte Log-Intervall-Zeit ist kürzer als die, für die Sensoren benötigte "
            "Auslesezeit!\r\rDeshalb wird die Datenerfassung als kleinstmöglichste "
            "Log-Intervall-Zeit 'S5' benutzen!"_cp);
        EXPECT_EQ(r.scenario.state.intervalText, "S5");
        EXPECT_EQ(r.scenario.state.intervalMs, 5000);
        EXPECT_EQ(r.scenario.sound.cues(), (std::vector<int>{0, 0}));
    }
    IntervalRun exact;
    exact.ask("S3", 750, 2);  // equal to the minimum: taken as entered
    EXPECT_TRUE(exact.scenario.desktop.messages.empty());
    EXPECT_EQ(exact.scenario.state.intervalMs, 3000);
}

TEST(Interval, ScheduleLinesTruncateAndNameTheWeekdays) {
    struct Case {
        std::int64_t ms;
        int year, month, day, hour, minute, second;
        std::string parts;  // seconds, minutes, hours, days
        std::string last, next;
    };
    const Case cases[] = {
        {300000, 2026, 12, 6, 14, 0, 0,
         "300 Sekunde(n)  =  5 Minute(n)  =  0 Stunde(n)  =  0 Tag(e)",
         "Sonntag den 06.12.2026 um 14:00:00", "Sonntag den 06.12.2026 um 14:05:00"},
        {5400000, 2026, 12, 6, 14, 0, 0,
         "5400 Sekunde(n)  =  90 Minute(n)  =  1 Stunde(n)  =  0 Tag(e)",
         "Sonntag den 06.12.2026 um 14:00:00", "Sonntag den 06.12.2026 um 15:30:00"},
        {86400000, 2026, 12, 6, 14, 0, 0,
         "86400 Sekunde(n)  =  1440 Minute(n)  =  24 Stunde(n)  =  1 Tag(e)",
         "Sonntag den 06.12.2026 um 14:00:00", "Montag den 07.12.2026 um 14:00:00"},
        {59999, 2026, 12, 6, 14, 0, 0, "59 Sekunde(n)  =  0 Minute(n)  =  0 Stunde(n)  =  0 Tag(e)",
         "Sonntag den 06.12.2026 um 14:00:00", "Sonntag den 06.12.2026 um 14:00:59"},
        {60000, 2026, 12, 5, 23, 59, 30,
         "60 Sekunde(n)  =  1 Minute(n)  =  0 Stunde(n)  =  0 Tag(e)",
         "Samstag den 05.12.2026 um 23:59:30", "Sonntag den 06.12.2026 um 00:00:30"},
        // 30 days: beyond a 32-bit count of milliseconds, still shown right.
        {2592000000, 2026, 12, 6, 14, 0, 0,
         "2592000 Sekunde(n)  =  43200 Minute(n)  =  720 Stunde(n)  =  30 Tag(e)",
         "Sonntag den 06.12.2026 um 14:00:00", "Dienstag den 05.01.2027 um 14:00:00"},
    };
    for (const Case& c : cases) {
        TemporaryWorkFolder folder;
        Scenario scenario;
        scenario.clock = FakeClock(c.year, c.month, c.day, c.hour, c.minute, c.second);
        ProgramState& s = scenario.state;
        s.intervalMs = c.ms;
        s.rowTimestamp = scenario.clock.calendarSeconds();
        s.rowDate = formatDateMask(kDateMask, scenario.clock.localNow());
        s.rowTime = formatDateMask(kTimeMask, scenario.clock.localNow());
        scenario.desktop.openWindow({mainWindow, "", 800, 650, true});
        for (int id : {intervalLine, lastRecordLine, nextRecordLine})
            scenario.desktop.createControl(
                {id, mainWindow, ControlKind::StaticText, 0, 0, 1, 1, ""});
        showSchedule(s, scenario.host);
        const auto& d = scenario.desktop;
        EXPECT_EQ(d.at(intervalLine).text,
                  "> Die Datenaufzeichnung erfolgt in Abständen von ungefähr "_cp + c.parts + " <");
        EXPECT_EQ(d.at(lastRecordLine).text, "Die letzte Aufzeichnung war am: " + c.last);
        EXPECT_EQ(d.at(nextRecordLine).text, "Die nächste Aufzeichnung ist am: "_cp + c.next);
    }
}

}  // namespace
}  // namespace kelvinor
