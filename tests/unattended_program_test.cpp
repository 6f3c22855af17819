// kelvinor-terminal --unattended as a service manager runs it: a real
// process, stopped by SIGTERM.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "tests/support/bus_fixtures.h"
#include "tests/support/mqtt_fixture.h"
#include "tests/support/onewire_fixture.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_server.h"

namespace kelvinor {
namespace {

namespace fs = std::filesystem;
using namespace testing;

struct Ended {
    std::string out, err;
    int code = -1;
};

// Starts the program in the background of a shell that keeps its process
// number and, once it ended, its exit code. Nothing of theirs holds the
// test's output open.
void start(const std::string& program, const std::string& settings) {
    const std::string command = "( '" + program + "' --unattended " + settings +
                                " >out.txt 2>err.txt & echo $! >pid; wait $!; echo $? >code )" +
                                " </dev/null >/dev/null 2>&1 &";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

// Whatever happens in a test, its program does not outlive it.
struct KillAtEnd {
    ~KillAtEnd() {
        if (std::system("[ -s pid ] && kill -KILL $(cat pid) 2>/dev/null") != 0) {
            // already ended, as it should have
        }
    }
};

// The log's rows ("09.12.2026\t15:47:24\t…"), whatever the day.
std::size_t rowCount(const std::string& log) {
    std::istringstream lines(log);
    std::size_t rows = 0;
    for (std::string line; std::getline(lines, line);)
        rows += line.size() > 11 && line[2] == '.' && line[5] == '.' && line[10] == '\t';
    return rows;
}

Ended ended() {
    EXPECT_TRUE(eventually([] { return fs::exists("code") && fs::file_size("code") > 0; }, 20));
    return {readFile("out.txt"), readFile("err.txt"), std::atoi(readFile("code").c_str())};
}

std::string onlyLogFile() {
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.path().extension() == ".KLV") return entry.path().filename().string();
    return "";
}

TEST(UnattendedProgram, RecordsUntilSigtermAndEndsTheLog) {
    TemporaryWorkFolder folder;
    writeFile("s.ini", "TITLE K\xC3\xBChlraum\nINTERVAL S5\nALIAS 1 Vorlauf\nWARM 1 4,9\n");
    KillAtEnd guard;
    start(KELVINOR_TERMINAL_DEMO, "s.ini");
    // The usual name, in the working folder; the first row, then the stop.
    ASSERT_TRUE(eventually([] { return rowCount(readFile(onlyLogFile())) >= 1; }, 20));
    ASSERT_EQ(std::system("kill -TERM $(cat pid)"), 0);
    const Ended run = ended();
    EXPECT_EQ(run.code, 0) << run.err;
    const std::string log = readFile(onlyLogFile());
    EXPECT_TRUE(onlyLogFile().starts_with("KELVINOR-")) << onlyLogFile();
    EXPECT_TRUE(log.ends_with("*** Ende der Datenaufzeichnung ***\r\n"));
    EXPECT_NE(log.find("\t5,00\t30,00\t-2,00\t'+' an Sensor Nr. 1/'Vorlauf'\t\r\n"),
              std::string::npos);
    // The logbook on standard output, in UTF-8: the title and the rows.
    EXPECT_NE(run.out.find("K\xC3\xBChlraum\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("5,00\t30,00\t-2,00\t'+' an Sensor Nr. 1/'Vorlauf'\t\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("*** Ende der Datenaufzeichnung ***\n"), std::string::npos);
}

TEST(UnattendedProgram, BadSettingsOrNoSensorsEndWithCodeTwo) {
    struct Case {
        std::string program, settings, err, out;
    };
    const Case cases[] = {
        {KELVINOR_TERMINAL_DEMO, "INTERVAL M1\nCOLD 1 kalt\n",
         "s.ini: Zeile 2: ung\xC3\xBCltiger Schwellenwert 'kalt' (z. B. 8,0)\n", ""},
        // Known once the scan has found three sensors; nothing is recorded.
        {KELVINOR_TERMINAL_DEMO, "INTERVAL M1\nCOLD 1 2\nALIAS 4 x\n",
         "s.ini: Zeile 3: Sensor Nr. 4 gibt es nicht (3 Sensoren gefunden)\n",
         "Kelvinor: DEMO-Info"},
        // No batches in the folder: no port carries sensors.
        {KELVINOR_TERMINAL, "INTERVAL M1\n", "",
         "Kelvinor: Problem: An den Schnittstellen 'COM1' bis 'COM9' wurden keine "
         "1-Wire-Temperatursensoren gefunden!"},
    };
    for (const Case& c : cases) {
        TemporaryWorkFolder folder;
        writeFile("s.ini", c.settings);
        KillAtEnd guard;
        start(c.program, "s.ini");
        const Ended run = ended();
        EXPECT_EQ(run.code, 2) << c.settings;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        EXPECT_EQ(onlyLogFile(), "");
    }
}

TEST(UnattendedProgram, SigtermWhileTheBusOrAnAlarmMailHangsStillEndsTheLogAndLeavesNothing) {
    // A tarpit: every reply after 9.5 s of silence, so that the alarm e-mail
    // of a row would take about a minute, far beyond the wait for the end.
    std::atomic<bool> testOver = false;
    const auto tarpit = [&](SmtpConversation& c, const std::string& command) {
        for (int i = 0; i < 95 && !testOver; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return politeAnswer(c, command);
    };
    const std::string mailServer = "127.0.26." + std::to_string(getpid() % 250 + 1);
    struct Case {
        std::string name, program, startedFile;
        std::size_t rows;  // before the stop
    };
    const Case cases[] = {
        {"the data-line batch hangs", KELVINOR_TERMINAL, "dataline.started", 0},
        {"the alarm e-mail's server is a tarpit", KELVINOR_TERMINAL_DEMO, "mail.started", 1},
    };
    for (const Case& c : cases) {
        testOver = false;
        TemporaryWorkFolder folder;
        writeScanBatches({{2, answerFileWith({"10A8B16B0108005D : DS1820"})}});
        writeFile("DATALINE.BAT", "echo started >dataline.started\nexec sleep 1011\n");
        writeFile("KelvEmail.ini", "k@example.org\nw@example.org\n\nAlarm\n" + mailServer + "\n\n");
        writeFile("s.ini", "INTERVAL S5\nLOGFILE hang.KLV\nWARM 1 4\n");
        ScriptedSmtpServer server(
            [&](SmtpConversation& conversation) {
                writeFile("mail.started", "");
                converse(conversation, tarpit);
            },
            mailServer, 25);
        KillAtEnd guard;
        start(c.program, "s.ini");
        ASSERT_TRUE(eventually([&] { return fs::exists(c.startedFile); }, 20)) << c.name;
        ASSERT_EQ(std::system("kill -TERM $(cat pid)"), 0);
        const Ended run = ended();
        testOver = true;
        EXPECT_EQ(run.code, 0) << c.name << ": " << run.err;
        // What was being read or sent was given up: the end block follows.
        const std::string log = readFile("hang.KLV");
        EXPECT_EQ(rowCount(log), c.rows) << c.name;
        EXPECT_TRUE(log.ends_with("*** Ende der Datenaufzeichnung ***\r\n")) << c.name;
    }
    EXPECT_TRUE(
        eventually([] { return std::system("pgrep -f 'slee[p] 1011' >/dev/null") != 0; }, 20));
}

TEST(UnattendedProgram, AStartAfterAKillContinuesTheLog) {
    TemporaryWorkFolder folder;
    writeFile("s.ini", "INTERVAL S5\nLOGFILE weiter.KLV\n");
    {
        KillAtEnd guard;
        start(KELVINOR_TERMINAL_DEMO, "s.ini");
        ASSERT_TRUE(eventually([] { return rowCount(readFile("weiter.KLV")) >= 1; }, 20));
        ASSERT_EQ(std::system("kill -KILL $(cat pid)"), 0);
        ended();
    }
    const std::string killed = readFile("weiter.KLV");
    fs::remove("code");
    KillAtEnd guard;
    start(KELVINOR_TERMINAL_DEMO, "s.ini");
    ASSERT_TRUE(eventually([] { return rowCount(readFile("weiter.KLV")) >= 2; }, 20));
    ASSERT_EQ(std::system("kill -TERM $(cat pid)"), 0);
    EXPECT_EQ(ended().code, 0);
    // What the killed run wrote stays; the second run adds its header block
    // and rows after it, and ends the log.
    const std::string log = readFile("weiter.KLV");
    EXPECT_TRUE(log.starts_with(killed));
    EXPECT_NE(log.find("# # #  TEMPERATURERFASSUNG PER KELVINOR", killed.size()),
              std::string::npos);
    EXPECT_TRUE(log.ends_with("*** Ende der Datenaufzeichnung ***\r\n"));
}

// Home Assistant shows the logger unavailable when it ends: "offline" from a
// clean end, and the broker's last will for a program that was killed.
TEST(UnattendedProgram, ItsBrokerKnowsWhenItEnds) {
    for (const char* signal : {"TERM", "KILL"}) {
        TemporaryWorkFolder folder;
        fs::create_directory("broker");
        TestMqttBroker broker(fs::absolute("broker").string());
        MqttSubscriber live(broker.port());
        writeFile("KelvMqtt.ini",
                  "BROKER 127.0.0.1:" + std::to_string(broker.port()) + "\nTOPIC kelvinor/test\n");
        writeFile("s.ini", "INTERVAL S5\nLOGFILE mqtt.KLV\n");
        KillAtEnd guard;
        start(KELVINOR_TERMINAL_DEMO, "s.ini");
        ASSERT_TRUE(live.waitFor([&](const auto&) {
            return !live.on("kelvinor/test/row").empty();
        })) << signal;
        ASSERT_EQ(std::system(("kill -" + std::string(signal) + " $(cat pid)").c_str()), 0);
        ended();
        EXPECT_TRUE(live.waitFor([&](const auto&) {
            const std::vector<Received> status = live.on("kelvinor/test/status");
            return status.size() == 2 && status.back().payload == "offline";
        })) << signal;
    }
}

// The live edition on a folder laid out like /sys/bus/w1/devices, read by the
// shipped bus scripts: the readings as the kernel gives them, the warm alarm
// from the settings, a changed reading in the next row.
TEST(UnattendedProgram, RecordsTheKernelsW1Sensors) {
    TemporaryWorkFolder folder;
    installBusScripts("w1 " + (fs::current_path() / "w1").string(), 5);
    fs::create_directories("w1/w1_bus_master1");
    const auto sensor = [](const std::string& milli) {
        fs::create_directories("w1/28-000005e2fdc3");
        writeFile("w1/28-000005e2fdc3/w1_slave",
                  "50 05 4b 46 7f ff 0c 10 1c : crc=1c YES\n50 05 4b 46 7f ff 0c 10 1c t=" + milli +
                      "\n");
    };
    sensor("23125");
    writeFile("kelvinor.ini", "READ_TIME 100\n");
    writeFile("s.ini", "TITLE Keller\nINTERVAL S3\nLOGFILE w1.KLV\nALIAS 1 Rohr\nWARM 1 20,0\n");
    KillAtEnd guard;
    start(KELVINOR_TERMINAL, "s.ini");
    ASSERT_TRUE(eventually([] { return rowCount(readFile("w1.KLV")) >= 1; }, 20))
        << readFile("err.txt");
    sensor("-10250");
    ASSERT_TRUE(
        eventually([] { return readFile("w1.KLV").find("\t-10,25\t") != std::string::npos; }, 20));
    ASSERT_EQ(std::system("kill -TERM $(cat pid)"), 0);
    const Ended run = ended();
    EXPECT_EQ(run.code, 0) << run.err;
    const std::string log = readFile("w1.KLV");
    EXPECT_NE(log.find("Sensor Nr. 1 alias 'Rohr' mit der ID 28C3FDE2050000E9"), std::string::npos)
        << log;
    EXPECT_NE(log.find("\t23,12\t'+' an Sensor Nr. 1/'Rohr'\t\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\t-10,25\t\r\n"), std::string::npos) << log;
    EXPECT_TRUE(log.ends_with("*** Ende der Datenaufzeichnung ***\r\n"));
}

}  // namespace
}  // namespace kelvinor
