// The clock toggle with the real Horalux process.
#include "logger/features/clock_control/clock_control.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "logger/constants/control_ids.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;
namespace fs = std::filesystem;

bool alive(ProcessHandle pid) {
    return pid > 1 && kill(static_cast<pid_t>(pid), 0) == 0;
}

struct ClockRun {
    TemporaryWorkFolder folder;
    Scenario scenario{ScenarioOptions{.soundAvailable = true}};
    ClockRun() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        fs::copy_file(HORALUX_PATH, "Horalux");
        scenario.desktop.answerPrompt("");
    }
};

TEST(ClockControl, ClickClickStartsAndTerminatesTheRealClock) {
    ClockRun r;
    ProcessHandle running = 0;
    bool checkedWhileRunning = false;
    r.scenario.desktop.clickAt(0, clockToggle);
    r.scenario.desktop.doAt(1500, [&] {
        running = r.scenario.state.clockProcess;
        checkedWhileRunning = r.scenario.desktop.at(clockToggle).checked && alive(running);
    });
    r.scenario.desktop.clickAt(3000, clockToggle);
    r.scenario.desktop.closeAt(6000);
    EXPECT_EQ(r.scenario.runStartUp(1), 0);
    EXPECT_GT(running, 1);
    EXPECT_TRUE(checkedWhileRunning);
    EXPECT_FALSE(alive(running));  // killed and reaped
    EXPECT_FALSE(r.scenario.desktop.at(clockToggle).checked);
    EXPECT_EQ(r.scenario.state.clockRunning, 0);
    // Notice, title, two toggles, close: each with its click.
    EXPECT_EQ(r.scenario.sound.cues(), std::vector<int>(5, 0));
}

TEST(ClockControl, ClosingTheMainWindowOrEndingARecordingTerminatesTheClock) {
    for (bool recording : {false, true}) {
        ClockRun r;
        ProcessHandle running = 0;
        r.scenario.desktop.clickAt(0, clockToggle);
        r.scenario.desktop.doAt(1000, [&] {
            running = r.scenario.state.clockProcess;
            EXPECT_TRUE(alive(running));
        });
        if (recording) {
            r.scenario.desktop.clickAt(2000, startButton);
            r.scenario.desktop.answerPrompt("S5");
            r.scenario.desktop.answerPrompt("log.KLV");
            r.scenario.desktop.answerMessage(kAnswerNo);
            r.scenario.desktop.clickAt(6000, stopButton);
        } else {
            r.scenario.desktop.closeAt(2000);
        }
        EXPECT_EQ(r.scenario.runStartUp(1), 0);
        EXPECT_GT(running, 1);
        EXPECT_TRUE(alive(running) == false) << recording;
    }
}

// The processes below `pid` that have not ended (zombies count as ended).
std::vector<pid_t> livingDescendants(pid_t pid) {
    std::vector<pid_t> found;
    FILE* children = popen(("pgrep -P " + std::to_string(pid)).c_str(), "r");
    for (int child = 0; children != nullptr && std::fscanf(children, "%d", &child) == 1;) {
        const std::string stat = readFile("/proc/" + std::to_string(child) + "/stat");
        if (!stat.empty() && stat[stat.rfind(')') + 2] != 'Z') found.push_back(child);
        for (const pid_t below : livingDescendants(child)) found.push_back(below);
    }
    if (children != nullptr) pclose(children);
    return found;
}

TEST(ClockControl, TheClockEndsWithAProgramThatIsKilled) {
    for (const int signal : {SIGTERM, SIGKILL}) {
        ClockRun r;
        const pid_t program = fork();
        if (program == 0) {
            startClock(r.scenario.state, r.scenario.host);
            for (;;) pause();
        }
        std::vector<pid_t> clock;
        EXPECT_TRUE(eventually([&] {
            clock = livingDescendants(program);
            return std::any_of(clock.begin(), clock.end(), [](pid_t pid) {
                return readFile("/proc/" + std::to_string(pid) + "/comm") == "Horalux\n";
            });
        })) << "signal "
            << signal;
        kill(program, signal);
        waitpid(program, nullptr, 0);
        EXPECT_TRUE(eventually([&] {
            return std::none_of(clock.begin(), clock.end(), [](pid_t pid) {
                const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
                return !stat.empty() && stat[stat.rfind(')') + 2] != 'Z';
            });
        })) << "the clock outlived a program ended by signal "
            << signal;
        for (const pid_t pid : clock) kill(pid, SIGKILL);  // none, unless the check failed
    }
}

TEST(ClockControl, WithoutTheProgramEveryClickShowsTheMessage) {
    for (bool folder : {false, true}) {
        TemporaryWorkFolder work;
        if (folder) fs::create_directory("Horalux");
        Scenario scenario(ScenarioOptions{.soundAvailable = true});
        scenario.desktop.answerPrompt("");
        scenario.desktop.clickAt(0, clockToggle);
        scenario.desktop.clickAt(100, clockToggle);
        scenario.desktop.closeAt(200);
        scenario.runStartUp(1);
        ASSERT_EQ(scenario.desktop.messages.size(), 3u);
        EXPECT_EQ(scenario.desktop.messages[2].text, "Die Datei 'Horalux' ist nicht installiert!");
        EXPECT_FALSE(scenario.desktop.at(clockToggle).checked);
        EXPECT_EQ(scenario.sound.cues(), std::vector<int>(3, 0));  // notice, title, close
    }
}

TEST(ClockControl, AStartThatFailsShowsPressedThenStopsWithoutAHandle) {
    TemporaryWorkFolder work;
    writeFile("Horalux", "not a program");                 // present, but cannot run
    EnvironmentChange path("PATH", work.path().string());  // and no desktop opener either
    Scenario scenario;
    scenario.desktop.answerPrompt("");
    std::vector<std::pair<int, bool>> states;  // clockRunning, toggle pressed after each click
    for (int i = 0; i < 3; ++i) {
        scenario.desktop.clickAt(100 * i, clockToggle);
        scenario.desktop.doAt(100 * i + 50, [&] {
            states.push_back(
                {scenario.state.clockRunning, scenario.desktop.at(clockToggle).checked});
        });
    }
    scenario.desktop.closeAt(1000);
    scenario.runStartUp(1);
    EXPECT_EQ(states, (std::vector<std::pair<int, bool>>{{1, true}, {0, false}, {1, true}}));
    EXPECT_EQ(scenario.state.clockProcess, 0);
}

}  // namespace
}  // namespace kelvinor
