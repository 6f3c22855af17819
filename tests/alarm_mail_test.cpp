// The alarm e-mail of every alarm cycle of a recording, received by SMTP
// peers on port 25 of a loopback address (the transport's fixed port).
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>

#include "logger/constants/control_ids.h"
#include "logger/features/mail/mail_encoding.h"
#include "logger/features/mail/mail_message.h"
#include "logger/system/files.h"
#include "logger/text/cp1252.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_server.h"
#include "tests/support/smtp_sink.h"

namespace kelvinor {
namespace {

using namespace testing;

// One loopback address per test process, so parallel tests do not share port 25.
std::string loopbackAddress() {
    return "127.0.25." + std::to_string(getpid() % 250 + 1);
}

struct AlarmRecording {
    TemporaryWorkFolder folder;
    Scenario scenario;
    std::vector<std::string> copies;  // LastLogFile.dat after each alarm cycle's row

    // Three demonstration cycles, sensor 1 warmer than 4: an alarm in every one.
    // The stop click comes a second after the last cycle, or at `stopAt`.
    int run(const std::string& settings, int cycles = 3, std::int64_t stopAt = -1) {
        if (!settings.empty()) writeFile("KelvEmail.ini", settings);
        ScriptedDesktop& d = scenario.desktop;
        d.answerPrompt("Keller");
        d.clickAt(0, thresholdsButton);
        for (const char* answer : {"4", "-56", "126", "-56", "126", "-56"}) d.answerPrompt(answer);
        d.clickAt(0, startButton);
        d.answerPrompt("S5");
        d.answerPrompt("log.KLV");
        for (int m = 0; m < cycles; ++m)
            d.doAt(1090 + 2250LL * m + 1,
                   [this] { copies.push_back(readFile("LastLogFile.dat")); });
        d.clickAt(stopAt >= 0 ? stopAt : 1090 + 2250LL * (cycles - 1) + 1000, stopButton);
        d.answerMessage(kAnswerNo);
        return scenario.runStartUp(1);
    }
};

std::string settings(const std::string& attach) {
    return "kelvinor@example.org\nwart@example.org\nunused\nKelvinor-Alarm\n" + loopbackAddress() +
           "\n" + attach + "\n";
}

TEST(AlarmMail, OneMailPerAlarmCycleNumberedWithTheLogAttached) {
    AlarmRecording r;
    RealSmtpServer server(loopbackAddress(), 25, r.folder.path().string());
    EXPECT_EQ(r.run(settings("+Anhang")), 0);
    ASSERT_EQ(r.copies.size(), 3u);
    for (int n = 1; n <= 3; ++n) {
        const std::string message = std::to_string(n) + ".eml";
        ASSERT_GT(fileSize(message), 0) << n;
        writeFile("copy" + std::to_string(n), r.copies[n - 1]);
        const std::string parsed = parseMail(message, "copy" + std::to_string(n));
        const std::string time = n == 1 ? "23:31:06" : n == 2 ? "23:31:08" : "23:31:10";
        EXPECT_NE(parsed.find("to=wart@example.org\n"), std::string::npos);
        EXPECT_NE(parsed.find("attachment=TempLogbuch-Kelvinor.txt|text/plain|" +
                              std::to_string(r.copies[n - 1].size()) + "|True"),
                  std::string::npos)
            << parsed;
        const std::string raw = readFile(message);
        EXPECT_NE(raw.find("Subject: Kelvinor-Alarm (Alarm-Nr. " + std::to_string(n) +
                           "/06.12.2026/" + time + ")\r\n"),
                  std::string::npos);
    }
    // The body of the first e-mail, line by line.
    const std::string values[] = {"5,00", "30,00", "-2,00"};
    std::string body =
        "Meldung(en) zur Kelvinor-Messung: Keller\n\n"
        "Start der Temperaturmessung war am 06.12.2026 um 23:31:06\n\n"
        "Alarm-Nr. 1 wurde ausgelöst bei Temperaturmessung vom 06.12.2026 um 23:31:06\n\n"
        "Alarm-Nr. 1 wurde ausgelöst durch folgende Meldung(en): \n"
        "'+' an Sensor Nr. 1/'S1'\t\n\n\n";
    const std::string warm[] = {"4,00", "126,00", "126,00"};
    for (int k = 1; k <= 3; ++k)
        body += "Sensor Nr. " + std::to_string(k) + "/ID DemoSensor " + std::to_string(k) +
                " alias 'S" + std::to_string(k) + "': letzte Messung " + values[k - 1] +
                "°C (Alarm wird ausgelöst bei: WÄRMER als " + warm[k - 1] +
                "°C oder KÄLTER als -56,00°C)\n";
    EXPECT_NE(readFile("1.eml").find(quotedPrintable(utf8ToCp1252(body))), std::string::npos);
}

TEST(AlarmMail, NumbersCountFailedSendsToo) {
    AlarmRecording r;
    int connection = 0;
    ScriptedSmtpServer server(
        [&](SmtpConversation& c) {
            ++connection;
            converse(c, [&](SmtpConversation& cc, const std::string& command) {
                if (connection == 1 && command == "<data>") return std::string("554 no\r\n");
                return politeAnswer(cc, command);
            });
            if (!c.data.empty()) writeFile("mail" + std::to_string(connection), c.data[0]);
        },
        loopbackAddress(), 25, 2);
    r.run(settings("+ANHANG"), 2);
    server.finish();
    const std::string second = readFile("mail2");
    EXPECT_NE(second.find("(Alarm-Nr. 2/"), std::string::npos);
    EXPECT_EQ(second.find("TempLogbuch"), std::string::npos);  // +ANHANG: no attachment
    EXPECT_EQ(r.scenario.state.alarmCount, 2);
}

TEST(AlarmMail, NoMailWithoutSettingsOrSocketsAndNoAttachmentForOtherFlags) {
    for (const std::string flag : {"+anhang", "+Anhang ", ""}) {
        AlarmRecording r;
        RealSmtpServer server(loopbackAddress(), 25, r.folder.path().string());
        r.run(settings(flag), 1);
        ASSERT_GT(fileSize("1.eml"), 0) << flag;
        EXPECT_EQ(readFile("1.eml").find("TempLogbuch") != std::string::npos, flag == "+anhang")
            << flag;
    }
    {
        AlarmRecording r;  // no KelvEmail.ini
        RealSmtpServer server(loopbackAddress(), 25, r.folder.path().string());
        r.run("");
        EXPECT_EQ(fileSize("1.eml"), -1);
        EXPECT_EQ(r.scenario.state.alarmCount, 0);
    }
}

TEST(AlarmMail, ARecordingsAlarmsGoOverStartTlsWithALogin) {
    AlarmRecording r;
    std::filesystem::create_directory(r.folder.path() / "certificates");
    const std::string certificates =
        makeTestCertificates((r.folder.path() / "certificates").string()) + "/";
    EnvironmentChange trust("SSL_CERT_FILE", certificates + "ca.pem");
    const int port = freeLoopbackPort();
    RealSmtpServer server("127.0.0.1", port, r.folder.path().string(),
                          {"--starttls", certificates + "localhost.pem",
                           certificates + "localhost.key", "--login", "wart", "geheim"});
    // Lines 7 to 9 after the six of before, and the port on line 5.
    const std::string nineLines =
        "kelvinor@example.org\nwart@example.org\nunused\nKelvinor-Alarm\n"
        "localhost:" +
        std::to_string(port) + "\n+Anhang\nSTARTTLS\nwart\ngeheim\n";
    EXPECT_EQ(r.run(nineLines), 0);
    EXPECT_EQ(readFile("auth.log"), "PLAIN wart ok\nPLAIN wart ok\nPLAIN wart ok\n");
    ASSERT_EQ(r.copies.size(), 3u);
    for (int n = 1; n <= 3; ++n) {
        writeFile("copy" + std::to_string(n), r.copies[n - 1]);
        const std::string parsed =
            parseMail(std::to_string(n) + ".eml", "copy" + std::to_string(n));
        EXPECT_NE(parsed.find("attachment=TempLogbuch-Kelvinor.txt|text/plain|" +
                              std::to_string(r.copies[n - 1].size()) + "|True"),
                  std::string::npos)
            << parsed;
    }
}

TEST(AlarmMail, AStopClickDuringTheEmailGivesItUpAtOnce) {
    // A server that takes the connection and never greets, and deadlines far
    // beyond the test's time: only the stop click can end the e-mail.
    std::vector<std::string> heard;
    using Steady = std::chrono::steady_clock;
    std::atomic<Steady::time_point> accepted = Steady::time_point::max();
    ScriptedSmtpServer server(
        [&](SmtpConversation& c) {
            accepted = Steady::now();
            heard.push_back(c.readCommand());
        },
        loopbackAddress(), 25);
    AlarmRecording r;
    r.scenario.host.mailTimeouts = {60'000, 60'000, 60'000, 300'000, 60'000};
    // The stop click comes while the server keeps silent, 0.3 s after it took the connection.
    r.scenario.desktop.clickWhen(
        [&] { return Steady::now() - accepted.load() > std::chrono::milliseconds(300); },
        stopButton);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(r.run(settings("+Anhang"), 1, 60'000), 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    server.finish();
    EXPECT_EQ(r.scenario.state.alarmCount, 1);
    EXPECT_EQ(logRows(readFile("log.KLV")).size(), 1u);
    EXPECT_TRUE(readFile("log.KLV").ends_with("*** Ende der Datenaufzeichnung ***\r\n"));
    EXPECT_EQ(heard, std::vector<std::string>{"QUIT"});  // the server listened: told so
    EXPECT_LT(seconds, 10.0) << "the stop waited for the server";
}

TEST(AlarmMail, AnUnreachableServerNeverStopsTheRecording) {
    AlarmRecording r;
    EXPECT_EQ(r.run(settings("+Anhang")), 0);  // nobody listens on port 25
    EXPECT_EQ(r.scenario.state.alarmCount, 3);
    EXPECT_TRUE(readFile("log.KLV").ends_with("*** Ende der Datenaufzeichnung ***\r\n"));
}

}  // namespace
}  // namespace kelvinor
