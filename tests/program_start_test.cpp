#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "logger/features/bus/bus_command.h"
#include "logger/features/host_calls/host_calls.h"
#include "logger/platform/posix/process_starter.h"
#include "logger/system/files.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

namespace fs = std::filesystem;
using testing::eventually;
using testing::readFile;
using testing::Scenario;
using testing::TemporaryWorkFolder;
using testing::writeFile;

void writeScript(const std::string& name, const std::string& body) {
    writeFile(name, "#!/bin/sh\n" + body);
    fs::permissions(name, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

bool processAlive(ProcessHandle pid) {
    return kill(static_cast<pid_t>(pid), 0) == 0;
}

// True when `pid` is a child of ours that has ended but was not reaped.
bool isZombieChild(pid_t pid) {
    const std::string status = readFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = status.rfind(')');
    return close != std::string::npos && status.size() > close + 2 && status[close + 2] == 'Z';
}

TEST(ProgramStart, CommandLineQuotesTheFileOnce) {
    struct Case {
        std::string file, parameters, line;
    };
    const Case cases[] = {
        {"command", "/cCOM1READ.BAT", "\"command\" /cCOM1READ.BAT"},
        {"Horalux", "", "\"Horalux\""},
        {"\"already quoted\"", "x", "\"already quoted\" x"},
        {"\"half", "", "\"half"},
        {"my prog", "a b", "\"my prog\" a b"},
        {"", "", "\"\""},
    };
    for (const Case& c : cases) EXPECT_EQ(composeCommandLine(c.file, c.parameters), c.line);
}

TEST(ProgramStart, SplitsTheCommandLineIntoArguments) {
    using V = std::vector<std::string>;
    EXPECT_EQ(splitCommandLine("\"my prog\" a  b"), (V{"my prog", "a", "b"}));
    EXPECT_EQ(splitCommandLine("\"/bin/sh\" ./X.BAT"), (V{"/bin/sh", "./X.BAT"}));
    EXPECT_EQ(splitCommandLine("\"open"), (V{"open"}));
    EXPECT_EQ(splitCommandLine("  "), V{});
    EXPECT_EQ(splitCommandLine("\"M\xFCll\""), (V{"Müll"}));
}

TEST(ProgramStart, WaitsForTheProgramOnlyWhenAsked) {
    TemporaryWorkFolder folder;
    writeScript("slow.sh", "sleep 0.3; echo done > finished.txt\n");
    Scenario scenario;
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(startProgram(scenario.host, "./slow.sh", "", "", kWait), 1);
    EXPECT_EQ(readFile("finished.txt"), "done\n");
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(250));

    fs::remove("finished.txt");
    EXPECT_EQ(startProgram(scenario.host, "./slow.sh", "", "", 0), 1);
    EXPECT_FALSE(fs::exists("finished.txt"));  // returned at once
    EXPECT_TRUE(eventually([] { return fs::exists("finished.txt"); }));
}

TEST(ProgramStart, KeepsAHandleThatTerminatesAndReapsTheProgram) {
    TemporaryWorkFolder folder;
    writeScript("forever.sh", "exec sleep 600\n");
    Scenario scenario;
    const ProcessHandle handle = startProgram(scenario.host, "./forever.sh", "", "", kKeepHandle);
    ASSERT_GT(handle, 1);
    EXPECT_TRUE(processAlive(handle));
    scenario.starter.terminate(handle);
    EXPECT_FALSE(processAlive(handle));  // killed and reaped: not even a zombie
    EXPECT_EQ(waitpid(static_cast<pid_t>(handle), nullptr, WNOHANG), -1);
    scenario.starter.terminate(handle);  // once more: no error, kills nothing
}

TEST(ProgramStart, ChildrenThatNobodyWaitsForAreReaped) {
    TemporaryWorkFolder folder;
    writeScript("quick.sh", "echo $$ > pid.txt\n");
    Scenario scenario;
    ASSERT_EQ(startProgram(scenario.host, "./quick.sh", "", "", 0), 1);
    ASSERT_TRUE(eventually([] { return fileSize("pid.txt") > 0; }));
    const pid_t pid = std::atoi(readFile("pid.txt").c_str());
    EXPECT_TRUE(eventually([pid] { return !fs::exists("/proc/" + std::to_string(pid)); }));

    const ProcessHandle kept = startProgram(scenario.host, "./quick.sh", "", "", kKeepHandle);
    ASSERT_GT(kept, 1);
    scenario.starter.release(kept);
    EXPECT_TRUE(eventually(
        [kept] { return !isZombieChild(static_cast<pid_t>(kept)) && !processAlive(kept); }));
}

TEST(ProgramStart, HiddenProgramsRunWithoutTerminalAndInheritNoFiles) {
    TemporaryWorkFolder folder;
    const int leaked = open("secret.txt", O_CREAT | O_RDWR, 0600);  // no close-on-exec
    ASSERT_GE(leaked, 3);
    writeScript("probe.sh", "if [ -e /proc/$$/fd/" + std::to_string(leaked) +
                                " ]; then echo leaked; else echo clean; fi > fds.txt\n"
                                "if [ -t 0 ]; then echo tty; else echo notty; fi > stdin.txt\n"
                                "pwd > folder.txt\n");
    fs::create_directory("work");
    Scenario scenario;
    EXPECT_EQ(startProgram(scenario.host, (folder.path() / "probe.sh").string(), "",
                           (folder.path() / "work").string(), kWait | kHidden),
              1);
    close(leaked);
    EXPECT_EQ(readFile("work/fds.txt"), "clean\n");
    EXPECT_EQ(readFile("work/stdin.txt"), "notty\n");
    EXPECT_EQ(readFile("work/folder.txt"), (fs::canonical(folder.path()) / "work").string() + "\n");
}

TEST(ProgramStart, AMissingProgramGivesZero) {
    TemporaryWorkFolder folder;
    Scenario scenario;
    testing::EnvironmentChange path("PATH", folder.path().string());  // no xdg-open to fall back on
    EXPECT_EQ(startProgram(scenario.host, "no-such-program-here", "", "", kWait), 0);
    EXPECT_EQ(startProgram(scenario.host, "no-such-program-here", "", "", kKeepHandle), 0);
}

TEST(ProgramStart, DocumentsAndAddressesGoToXdgOpen) {
    TemporaryWorkFolder folder;
    fs::create_directory("bin");
    writeScript("bin/xdg-open",
                "echo \"$1|$(pwd)\" >> \"" + (folder.path() / "opened.txt").string() + "\"\n");
    writeFile("Kelvinor.txt", "info");  // not executable: a document
    fs::create_directory("docs");
    writeFile("docs/log.KLV", "log");
    auto path = std::make_unique<testing::EnvironmentChange>(
        "PATH", (folder.path() / "bin").string() + ":" + std::getenv("PATH"));
    Scenario scenario;
    EXPECT_EQ(startProgram(scenario.host, "Kelvinor.txt", "", "", kWait | kKeepHandle), 1);
    EXPECT_EQ(startProgram(scenario.host, "https://example.invalid/", "", "", kWait), 1);
    const std::string docs = (folder.path() / "docs").string();
    EXPECT_EQ(startProgram(scenario.host, docs + "/log.KLV", "", "", kWait), 1);
    // A log file in the working folder named like a program in PATH is that
    // file, and is opened, not run.
    writeFile("date", "a log named date");
    EXPECT_EQ(startProgram(scenario.host, "date", "", "", kWait), 1);
    path.reset();
    const std::string here = fs::canonical(folder.path()).string();
    EXPECT_EQ(readFile("opened.txt"),
              "Kelvinor.txt|" + here + "\n" + "https://example.invalid/|" + here + "\n" + docs +
                  "/log.KLV|" + fs::canonical(docs).string() + "\n" + "date|" + here + "\n");
}

TEST(ProgramStart, BusCommandRunsTheBatchWithTheShellInTheCurrentFolder) {
    TemporaryWorkFolder folder;
    writeFile("COM1READ.BAT",
              "echo \"$0\" > ran.txt\nsleep 0.2\necho end >> ran.txt\n");  // no x bit
    Scenario scenario;
    scenario.state.commandInterpreter = "command";
    runBusCommand("command", scenario.host, "/cCOM1READ.BAT");
    EXPECT_EQ(readFile("ran.txt"), "./COM1READ.BAT\nend\n");   // waited for its end
    runBusCommand("command", scenario.host, "/cMISSING.BAT");  // ignored
}

// A batch that starts a process in the background and one in the
// foreground, each writing its process id, and never ends by itself.
void writeEndlessBatch(const std::string& tag) {
    writeFile("ENDLESS.BAT", "sleep " + tag +
                                 "1 &\necho $! > background.pid\n"
                                 "sh -c 'echo $$ > foreground.pid; exec sleep " +
                                 tag + "2'\n");
}

bool running(const std::string& pidFile) {
    const std::string text = readFile(pidFile);
    if (text.empty()) return false;
    const pid_t pid = std::stoi(text);
    // A zombie of another parent counts as ended.
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    return !stat.empty() && stat[stat.rfind(')') + 2] != 'Z';
}

TEST(ProgramStart, ABatchGivenUpEndsWithEverythingItStarted) {
    TemporaryWorkFolder folder;
    writeEndlessBatch("1011");
    Scenario scenario;
    scenario.state.commandInterpreter = "command";
    int asked = 0;
    bool bothRan = false;
    const auto start = std::chrono::steady_clock::now();
    const bool ended = runBusCommand("command", scenario.host, "/cENDLESS.BAT", [&] {
        ++asked;
        bothRan = running("background.pid") && running("foreground.pid");
        return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(300);
    });
    EXPECT_FALSE(ended);
    EXPECT_TRUE(bothRan);
    EXPECT_GT(asked, 5);  // asked again and again while the batch ran
    EXPECT_TRUE(
        eventually([] { return !running("background.pid") && !running("foreground.pid"); }));
}

TEST(ProgramStart, WhatABatchLeftBehindEndsWithIt) {
    TemporaryWorkFolder folder;
    writeFile("LEAVING.BAT", "sleep 1031 &\necho $! > background.pid\n");
    Scenario scenario;
    scenario.state.commandInterpreter = "command";
    EXPECT_TRUE(runBusCommand("command", scenario.host, "/cLEAVING.BAT", [] { return false; }));
    EXPECT_TRUE(eventually([] { return !running("background.pid"); }));
}

TEST(ProgramStart, ABatchNeverOutlivesTheProgram) {
    for (const int signal : {SIGKILL, SIGTERM}) {
        TemporaryWorkFolder folder;
        writeEndlessBatch("102" + std::to_string(signal % 10));
        const pid_t program = fork();
        if (program == 0) {
            execl(BUS_BATCH_RUNNER, BUS_BATCH_RUNNER, "ENDLESS.BAT", nullptr);
            _exit(127);
        }
        ASSERT_TRUE(
            eventually([] { return running("background.pid") && running("foreground.pid"); }));
        kill(program, signal);
        waitpid(program, nullptr, 0);
        EXPECT_TRUE(eventually([] {
            return !running("background.pid") && !running("foreground.pid");
        })) << "signal "
            << signal;
    }
}

}  // namespace
}  // namespace kelvinor
