// Alarm e-mail over TLS against a real SMTP server on 127.0.0.1 (Debian's
// aiosmtpd) with certificates of a throw-away authority that the test
// trusts (through SSL_CERT_FILE on Linux, in the root store of Wine's
// Windows), and against scripted peers that misbehave. The Windows edition
// runs the same cases under Wine, through Schannel.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "logger/features/alarm/mail_settings.h"
#include "logger/features/mail/mail_message.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_server.h"
#include "tests/support/smtp_sink.h"

namespace kelvinor {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// The certificates, made once for the whole test program.
const std::string& certificates() {
    static const std::string folder = [] {
        const fs::path made = fs::temp_directory_path() / "kelvinor-test-certificates";
        fs::create_directories(made);
        return makeTestCertificates(made.string());
    }();
    return folder;
}

std::string certificate(const std::string& name) {
    return certificates() + "/" + name;
}

struct Sending {
    bool ok;
    MailStatus status;
    double seconds;
};

// A letter with the log attached, sent with the given login to host:port.
Sending send(const std::string& host, int port, const MailLogin& login,
             MailTimeouts timeouts = {2'000, 2'000, 2'000, 20'000, 2'000}) {
    MailMessage m("kelvinor@example.org", "Alarm", CharacterSet::Latin1);
    m.setBody("Hallo\n");
    m.attachFile("TempLogbuch-Kelvinor.txt", "log.txt", "text/plain");
    m.addRecipient("wart@example.org", kRecipientTo);
    m.setTimeouts(timeouts);
    m.setLogin(login);
    FakeClock clock(2026, 12, 8, 5, 3, 7);
    const auto start = std::chrono::steady_clock::now();
    const bool ok = m.sendMail(host, port, clock);
    return {ok, m.mailProgress(),
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
}

struct TlsCase {
    const char* name;
    std::vector<std::string> serverOptions;  // smtp_sink.py's
    std::string host;                        // the name the client checks
    MailLogin login;
    bool delivered;
    const char* authLog;  // what the server saw of AUTH
};

TEST(SmtpTls, RealServerCases) {
    TemporaryWorkFolder folder;
    TrustedTestAuthority trust(certificate("ca.pem"));
    std::string log;
    for (int i = 0; i < 3000; ++i)
        log += "07.12.2026\t00:00:0" + std::to_string(i % 10) + "\t5,00\t\xB0\r\n";
    writeFile("log.txt", log);
    const std::vector<std::string> localhost = {certificate("localhost.pem"),
                                                certificate("localhost.key")};
    const auto with = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::vector<std::string> login = {"--login", "wart", "geheim"};
    const MailLogin starttls{MailSecurity::StartTls, "wart", "geheim"};
    const TlsCase cases[] = {
        {"STARTTLS with AUTH PLAIN", with(with({"--starttls"}, localhost), login), "localhost",
         starttls, true, "PLAIN wart ok\n"},
        {"STARTTLS with AUTH LOGIN only",
         with(with(with({"--starttls"}, localhost), login), {"--only-login"}), "localhost",
         starttls, true, "LOGIN wart ok\n"},
        {"implicit TLS",
         with(with({"--implicit"}, localhost), login),
         "localhost",
         {MailSecurity::Tls, "wart", "geheim"},
         true,
         "PLAIN wart ok\n"},
        {"STARTTLS without a login",
         with({"--starttls"}, localhost),
         "127.0.0.1",
         {MailSecurity::StartTls, "", ""},
         true,
         ""},
        {"wrong password",
         with(with({"--starttls"}, localhost), login),
         "localhost",
         {MailSecurity::StartTls, "wart", "falsch"},
         false,
         "PLAIN wart wrong\n"},
        {"certificate for another host",
         with(with({"--starttls", certificate("other.pem"), certificate("other.key")}, {}), login),
         "localhost", starttls, false, ""},
        {"a common name beside an address only",
         with({"--starttls", certificate("address-only.pem"), certificate("address-only.key")},
              login),
         "localhost", starttls, false, ""},
        {"untrusted certificate",
         with({"--starttls", certificate("untrusted.pem"), certificate("untrusted.key")}, login),
         "localhost", starttls, false, ""},
        {"expired certificate",
         with({"--starttls", certificate("expired.pem"), certificate("expired.key")}, login),
         "localhost", starttls, false, ""},
        {"no STARTTLS offered", login, "localhost", starttls, false, ""},
        {"plain text on the TLS port",
         login,
         "localhost",
         {MailSecurity::Tls, "wart", "geheim"},
         false,
         ""},
    };
    for (const TlsCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path received = folder.path() / ("received-" + std::to_string(&c - cases));
        fs::create_directory(received);
        const int port = freeLoopbackPort();
        RealSmtpServer server("127.0.0.1", port, received.string(), c.serverOptions);
        const Sending s = send(c.host, port, c.login);
        EXPECT_EQ(s.ok, c.delivered);
        EXPECT_EQ(s.status, c.delivered ? kMailFinished : kMailFailed);
        const std::string authLog =
            fs::exists(received / "auth.log") ? readFile((received / "auth.log").string()) : "";
        EXPECT_EQ(authLog, c.authLog);
        EXPECT_EQ(fs::exists(received / "1.eml"), c.delivered);
        if (!c.delivered) continue;
        const std::string parsed = parseMail((received / "1.eml").string(), "log.txt");
        EXPECT_NE(parsed.find("attachment=TempLogbuch-Kelvinor.txt|text/plain|" +
                              std::to_string(log.size()) + "|True\n"),
                  std::string::npos)
            << parsed.substr(0, 600);
        EXPECT_NE(parsed.find("to=wart@example.org\n"), std::string::npos);
    }
}

TEST(SmtpTls, NoPasswordEverGoesOverAPlainConnection) {
    TemporaryWorkFolder folder;
    writeFile("log.txt", "Zeile\r\n");
    // A login without encryption, and an unknown security word: the send
    // fails before anything is sent, not even a connection is made.
    for (const MailLogin& login : {MailLogin{MailSecurity::Plain, "wart", "geheim"},
                                   MailLogin{MailSecurity::Unknown, "", ""}}) {
        SilentListener listener;
        const Sending s = send("127.0.0.1", listener.port(), login);
        EXPECT_FALSE(s.ok);
        EXPECT_EQ(s.status, kMailFailed);
        EXPECT_FALSE(listener.someoneConnected());
    }
    // The same listener does see a plain send without a login (the check works).
    SilentListener listener;
    send("127.0.0.1", listener.port(), {}, {2'000, 200, 200, 1'000, 200});
    EXPECT_TRUE(listener.someoneConnected());
    // A server that does not offer STARTTLS, or refuses it with 454, never
    // sees the password.
    const auto refusing = [](SmtpConversation& c) {
        converse(c, [](SmtpConversation& conversation, const std::string& command) {
            if (command.rfind("EHLO", 0) == 0) return std::string("250-test\r\n250 STARTTLS\r\n");
            if (command == "STARTTLS") return std::string("454 TLS not available\r\n");
            return politeAnswer(conversation, command);
        });
    };
    for (const auto& conversation : std::vector<std::function<void(SmtpConversation&)>>{
             [](SmtpConversation& c) { converse(c, politeAnswer); }, refusing}) {
        ScriptedSmtpServer server(conversation);
        const Sending s =
            send("127.0.0.1", server.port(), {MailSecurity::StartTls, "wart", "geheim"});
        EXPECT_FALSE(s.ok);
        const auto seen = server.finish();
        ASSERT_EQ(seen.size(), 1u);
        for (const std::string& command : seen[0]) {
            EXPECT_EQ(command.find("AUTH"), std::string::npos) << command;
            EXPECT_EQ(command.find("geheim"), std::string::npos) << command;
        }
    }
}

TEST(SmtpTls, OnlyWellFormedEhloLinesOfferStartTls) {
    // Lines that only look like an offer: the client never asks for STARTTLS
    // and the send fails before any login.
    for (const std::string reply :
         {"250-test\r\n25 $STARTTLS\r\n250 OK\r\n", "250-test\r\n2500STARTTLS\r\n250 OK\r\n",
          "250-test\r\n550 STARTTLS\r\n250 OK\r\n"}) {
        ScriptedSmtpServer server([&](SmtpConversation& c) {
            converse(c, [&](SmtpConversation& conversation, const std::string& command) {
                return command.rfind("EHLO", 0) == 0 ? reply : politeAnswer(conversation, command);
            });
        });
        const Sending s =
            send("127.0.0.1", server.port(), {MailSecurity::StartTls, "wart", "geheim"});
        EXPECT_FALSE(s.ok) << reply;
        const auto seen = server.finish();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0], std::vector<std::string>{"EHLO dummy"}) << reply;
    }
}

TEST(SmtpTls, AHandshakeThatStopsEndsAtItsDeadline) {
    TemporaryWorkFolder folder;
    writeFile("log.txt", "Zeile\r\n");
    ScriptedSmtpServer stalling([](SmtpConversation& c) {
        converse(c, [](SmtpConversation& conversation, const std::string& command) {
            if (command.rfind("EHLO", 0) == 0) return std::string("250-test\r\n250 STARTTLS\r\n");
            if (command == "STARTTLS") {
                conversation.send("220 go ahead\r\n");
                // The client's hello arrives and is never answered.
                std::this_thread::sleep_for(std::chrono::milliseconds(2'500));
                return std::string("<close>");
            }
            return politeAnswer(conversation, command);
        });
    });
    MailTimeouts timeouts{2'000, 2'000, 2'000, 20'000, 500};
    const Sending s =
        send("127.0.0.1", stalling.port(), {MailSecurity::StartTls, "wart", "geheim"}, timeouts);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.status, kMailFailed);
    EXPECT_GE(s.seconds, 0.45);
    EXPECT_LT(s.seconds, 2.0);
    stalling.finish();
}

TEST(MailSettings, ServerLineAndSecurityLine) {
    struct Case {
        std::string server, security;
        MailServerAddress address;
        MailSecurity kind;
    };
    const Case cases[] = {
        {"mail.example.org", "", {"mail.example.org", 25}, MailSecurity::Plain},
        {"mail.example.org:587", "STARTTLS", {"mail.example.org", 587}, MailSecurity::StartTls},
        {"mail.example.org", " starttls ", {"mail.example.org", 25}, MailSecurity::StartTls},
        {"mail.example.org", "TLS", {"mail.example.org", 465}, MailSecurity::Tls},
        {"mail.example.org:2465", "tls", {"mail.example.org", 2465}, MailSecurity::Tls},
        {"127.0.0.1:2525", "", {"127.0.0.1", 2525}, MailSecurity::Plain},
        {"mail.example.org:", "", {"mail.example.org:", 25}, MailSecurity::Plain},
        {"mail.example.org:99999", "", {"mail.example.org:99999", 25}, MailSecurity::Plain},
        {"mail.example.org:25a", "", {"mail.example.org:25a", 25}, MailSecurity::Plain},
        {"mail.example.org:0", "", {"mail.example.org:0", 25}, MailSecurity::Plain},
        {"mail.example.org", "SSL", {"mail.example.org", 25}, MailSecurity::Unknown},
    };
    for (const Case& c : cases) {
        const MailSecurity kind = mailSecurityOf(c.security);
        EXPECT_EQ(kind, c.kind) << c.security;
        EXPECT_EQ(mailServerAddress(c.server, kind), c.address) << c.server;
    }
}

}  // namespace
}  // namespace kelvinor
