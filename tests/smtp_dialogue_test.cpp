// The SMTP dialogue against scripted servers on 127.0.0.1, hostile ones included.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "logger/features/mail/mail_message.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_server.h"

namespace kelvinor {
namespace {

using namespace testing;
using Commands = std::vector<std::string>;
// Tue, 8 Dec 2026 05:03:07 +0100
FakeClock sendingClock() {
    return FakeClock(2026, 12, 8, 5, 3, 7);
}

struct Sent {
    bool ok;
    MailStatus status;
    std::vector<Commands> seen;
    std::vector<std::string> data;
    double seconds;
};

// Short time-outs, so that no test waits the real ten seconds.
MailTimeouts quick(int replyMs = 400, int dialogueMs = 20'000) {
    return {2'000, replyMs, 400, dialogueMs};
}

Sent sendThrough(const Answer& answer, MailMessage& message, Clock* withClock = nullptr) {
    std::vector<std::string> data;
    ScriptedSmtpServer server([&](SmtpConversation& c) {
        converse(c, answer);
        data = c.data;
    });
    FakeClock clock = sendingClock();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = message.sendMail("127.0.0.1", server.port(), withClock ? *withClock : clock);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto seen = server.finish();
    return {ok, message.mailProgress(), seen, data, seconds};
}

std::unique_ptr<MailMessage> letter() {
    auto m = std::make_unique<MailMessage>("kelvinor@example.org", "Alarm", CharacterSet::Latin1);
    m->setBody("Hallo\n");
    m->addRecipient("a@example.org", kRecipientTo);
    m->addRecipient("b@example.org", kRecipientTo);
    return m;
}

TEST(SmtpDialogue, APoliteServerTakesTheMessage) {
    auto owned = letter();
    MailMessage& m = *owned;
    const Sent s = sendThrough(politeAnswer, m);
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.status, kMailFinished);
    ASSERT_EQ(s.seen.size(), 1u);
    // Recipients newest first; no blank after the colon; QUIT at the end.
    EXPECT_EQ(s.seen[0],
              (Commands{"EHLO dummy", "MAIL FROM:<kelvinor@example.org>", "RCPT TO:<b@example.org>",
                        "RCPT TO:<a@example.org>", "DATA", "QUIT"}));
    ASSERT_EQ(s.data.size(), 1u);
    EXPECT_EQ(
        s.data[0],
        "From: kelvinor@example.org\r\nSubject: Alarm\r\nTo: a@example.org, b@example.org\r\n"
        "Date: Tue, 8 Dec 2026 05:03:07 +0100\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; "
        "charset=ISO-8859-1; format=flowed\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
        "Hallo\r\n\r\n.\r\n");
}

TEST(SmtpDialogue, EveryRefusalEndsTheDialogueAtOnce) {
    struct Case {
        std::string refused;  // the command answered with `reply`
        std::string reply;
        Commands seen;
    };
    const Case cases[] = {
        {"<greeting>", "554 go away\r\n", {}},
        {"EHLO dummy", "500 no\r\n", {"EHLO dummy"}},
        {"MAIL FROM:<kelvinor@example.org>",
         "550 no\r\n",
         {"EHLO dummy", "MAIL FROM:<kelvinor@example.org>"}},
        {"RCPT TO:<b@example.org>",
         "550 no\r\n",
         {"EHLO dummy", "MAIL FROM:<kelvinor@example.org>", "RCPT TO:<b@example.org>"}},
        {"RCPT TO:<b@example.org>",
         "251 will forward\r\n",
         {"EHLO dummy", "MAIL FROM:<kelvinor@example.org>", "RCPT TO:<b@example.org>"}},
        {"DATA",
         "500 no\r\n",
         {"EHLO dummy", "MAIL FROM:<kelvinor@example.org>", "RCPT TO:<b@example.org>",
          "RCPT TO:<a@example.org>", "DATA"}},
        {"<data>",
         "554 rejected\r\n",
         {"EHLO dummy", "MAIL FROM:<kelvinor@example.org>", "RCPT TO:<b@example.org>",
          "RCPT TO:<a@example.org>", "DATA"}},
    };
    for (const Case& c : cases) {
        auto owned = letter();
        MailMessage& m = *owned;
        const Sent s = sendThrough(
            [&](SmtpConversation& conversation, const std::string& command) {
                return command == c.refused ? c.reply : politeAnswer(conversation, command);
            },
            m);
        EXPECT_FALSE(s.ok) << c.refused << " " << c.reply;
        EXPECT_EQ(s.status, kMailFailed);
        EXPECT_EQ(s.seen.at(0), c.seen) << c.refused << " " << c.reply;  // not even QUIT
    }
}

TEST(SmtpDialogue, StatusValuesThroughTheDialogue) {
    auto owned = letter();
    MailMessage& m = *owned;
    std::vector<MailStatus> seenByServer;
    const Sent s = sendThrough(
        [&](SmtpConversation& c, const std::string& command) {
            if (command != "<greeting>") seenByServer.push_back(m.mailProgress());
            return politeAnswer(c, command);
        },
        m);
    ASSERT_TRUE(s.ok);
    ASSERT_EQ(seenByServer.size(), 7u);  // EHLO, MAIL, 2 x RCPT, DATA, the data, QUIT
    EXPECT_EQ(seenByServer[0], kMailConnected);
    EXPECT_EQ(seenByServer[4], kMailConnected);
    EXPECT_EQ(seenByServer[5],
              static_cast<MailStatus>(s.data[0].size()));  // every byte, end mark too
    EXPECT_EQ(s.status, kMailFinished);
}

TEST(SmtpDialogue, AMessageWithoutRecipientsGoesStraightToData) {
    MailMessage m("k@example.org", "S", CharacterSet::Latin1);
    m.addRecipient("", kRecipientTo);  // empty addresses are not added
    m.setBody("x");
    const Sent s = sendThrough(politeAnswer, m);
    EXPECT_EQ(s.seen.at(0), (Commands{"EHLO dummy", "MAIL FROM:<k@example.org>", "DATA", "QUIT"}));
    EXPECT_EQ(s.data.at(0).find("To:"), std::string::npos);
}

TEST(SmtpDialogue, SplitGreetingAndLongMultiLineReplies) {
    auto owned = letter();
    MailMessage& m = *owned;
    std::string longEhlo;
    for (int i = 0; i < 60; ++i) longEhlo += "250-EXTENSION-" + std::string(50, 'X') + "\r\n";
    longEhlo += "250 OK\r\n";
    ASSERT_GT(longEhlo.size(), 2047u);
    const Sent s = sendThrough(
        [&](SmtpConversation& c, const std::string& command) -> std::string {
            if (command == "<greeting>") {
                c.send("22");
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                return "0 split greeting\r\n";
            }
            if (command == "EHLO dummy") return longEhlo;
            if (command.starts_with("MAIL")) return "250-first\r\n250 second\r\n";
            return politeAnswer(c, command);
        },
        m);
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.status, kMailFinished);
}

TEST(SmtpDialogue, AServerThatNeverAnswersFailsAtTheReplyDeadline) {
    auto owned = letter();
    MailMessage& m = *owned;
    m.setTimeouts(quick(400));
    const Sent s = sendThrough(
        [](SmtpConversation& c, const std::string&) -> std::string { return silentUntilClosed(c); },
        m);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.status, kMailFailed);
    EXPECT_GE(s.seconds, 0.35);
    EXPECT_LT(s.seconds, 3.0);
}

TEST(SmtpDialogue, RepliesThatNeverEndAreCutOffAtTheirDeadline) {
    struct Case {
        std::string at;    // the command whose reply never ends
        std::string line;  // sent again and again
    };
    const Case cases[] = {
        {"<greeting>", "2"},  // a greeting without a line end
        {"<greeting>", "220-still greeting\r\n"},
        {"EHLO dummy", "250-x\r\n"},
        {"<data>", "250-queued\r\n"},
    };
    for (const Case& k : cases) {
        auto owned = letter();
        MailMessage& m = *owned;
        m.setTimeouts(quick(600));
        const Sent s = sendThrough(
            [&](SmtpConversation& c, const std::string& command) -> std::string {
                if (command == k.at) {
                    trickle(c, k.line);
                    return "<close>";
                }
                return politeAnswer(c, command);
            },
            m);
        EXPECT_FALSE(s.ok) << k.at << " " << k.line;
        EXPECT_EQ(s.status, kMailFailed) << k.at;
        EXPECT_GE(s.seconds, 0.55) << k.at;
        EXPECT_LT(s.seconds, 3.0) << k.at;
    }
}

TEST(SmtpDialogue, TheWholeDialogueHasADeadline) {
    // Every reply comes in its own time, but the dialogue as a whole takes too long.
    auto owned = letter();
    MailMessage& m = *owned;
    m.setTimeouts(quick(1'000, 1'200));
    const Sent s = sendThrough(
        [](SmtpConversation& c, const std::string& command) -> std::string {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            return politeAnswer(c, command);
        },
        m);
    EXPECT_FALSE(s.ok);
    EXPECT_GE(s.seconds, 1.15);
    EXPECT_LT(s.seconds, 2.5);
    // Greeting, EHLO and MAIL fit in 1.2 s; the dialogue ends during the recipients.
    EXPECT_LT(s.seen.at(0).size(), 5u);
}

TEST(SmtpDialogue, GivingUpEndsEveryHostileDialogueAtOnce) {
    // Deadlines far beyond the test's time: only giving up can end these
    // dialogues. It is asked for 0.5 s after the send began.
    struct Case {
        std::string name;
        Answer answer;
        bool attachment = false;  // 40 MB, for a server that stops reading
    };
    const auto tarpit = [](SmtpConversation& c, const std::string& command) -> std::string {
        std::this_thread::sleep_for(std::chrono::milliseconds(command == "<greeting>" ? 0 : 2000));
        return politeAnswer(c, command);
    };
    const Case cases[] = {
        {"a silent greeting",
         [](SmtpConversation& c, const std::string&) -> std::string {
             return silentUntilClosed(c);
         }},
        {"silence after EHLO",
         [](SmtpConversation& c, const std::string& command) -> std::string {
             return command == "<greeting>" ? politeAnswer(c, command) : silentUntilClosed(c);
         }},
        {"a tarpit", tarpit},
        {"a reply that never ends",
         [](SmtpConversation& c, const std::string& command) -> std::string {
             if (command != "EHLO dummy") return politeAnswer(c, command);
             trickle(c, "250-x\r\n");
             return "<close>";
         }},
        {"a server that stops reading",
         [](SmtpConversation& c, const std::string& command) -> std::string {
             if (command != "DATA") return politeAnswer(c, command);
             c.send("354 go\r\n");
             std::this_thread::sleep_for(std::chrono::seconds(2));
             return "<close>";
         },
         true},
    };
    TemporaryWorkFolder folder;
    writeFile("big.txt", std::string(40'000'000, 'L'));
    for (const Case& c : cases) {
        auto owned = letter();
        MailMessage& m = *owned;
        m.setTimeouts({60'000, 60'000, 60'000, 300'000, 60'000});
        if (c.attachment) {
            ASSERT_TRUE(m.attachFile("big.txt", "big.txt", "text/plain"));
        }
        const auto start = std::chrono::steady_clock::now();
        m.setGiveUp([&] {
            return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(500);
        });
        const Sent s = sendThrough(c.answer, m);
        EXPECT_FALSE(s.ok) << c.name;
        EXPECT_EQ(s.status, kMailFailed) << c.name;
        EXPECT_LT(s.seconds, 1.5) << c.name << ": the send went on after it was given up";
        std::printf("%s: ended %.2f s after the send began (given up at 0.50 s)\n", c.name.c_str(),
                    s.seconds);
    }
}

TEST(SmtpDialogue, TheDateIsTheTimeTheMessageDataIsMade) {
    // The clock moves on 40 s while the server thinks about its answer to DATA.
    struct ServerTimedClock final : Clock {
        FakeClock base = sendingClock();
        std::atomic<std::int64_t> later{0};
        std::int64_t calendarSeconds() override { return base.calendarSeconds() + later; }
        LocalTime toLocal(std::int64_t seconds) override { return base.toLocal(seconds); }
        std::int64_t monotonicMs() override { return base.monotonicMs(); }
        void sleepMs(std::int64_t) override {}
    } clock;
    auto owned = letter();
    MailMessage& m = *owned;
    const Sent s = sendThrough(
        [&](SmtpConversation& c, const std::string& command) -> std::string {
            if (command == "DATA") clock.later = 40;
            return politeAnswer(c, command);
        },
        m, &clock);
    ASSERT_TRUE(s.ok);
    ASSERT_EQ(s.data.size(), 1u);
    EXPECT_NE(s.data[0].find("\r\nDate: Tue, 8 Dec 2026 05:03:47 +0100\r\n"), std::string::npos)
        << s.data[0];
}

TEST(SmtpDialogue, TheFirstTwoMessagesOfARunAreExactToTheByte) {
    // The boundaries' numbers are the C library's first eight, drawn in order.
    TemporaryWorkFolder folder;
    writeFile("log.txt", "Zeile 1\r\n");
    const std::string expected[] = {"Message-Boundary4118467633426500",
                                    "Message-Boundary19169157241147829358"};
    WindowsRandom run;
    for (const std::string& boundary : expected) {
        auto owned = letter();
        MailMessage& m = *owned;
        m.drawBoundaryNumbersFrom(run);
        ASSERT_TRUE(m.attachFile("TempLogbuch-Kelvinor.txt", "log.txt", "text/plain"));
        const Sent s = sendThrough(politeAnswer, m);
        ASSERT_TRUE(s.ok);
        ASSERT_EQ(s.data.size(), 1u);
        EXPECT_EQ(s.data[0],
                  "From: kelvinor@example.org\r\nSubject: Alarm\r\n"
                  "To: a@example.org, b@example.org\r\n"
                  "Date: Tue, 8 Dec 2026 05:03:07 +0100\r\n"
                  "MIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n boundary=\"" +
                      boundary + "\"\r\n\r\n\r\n--" + boundary +
                      "\r\nContent-Type: text/plain; charset=ISO-8859-1; format=flowed\r\n"
                      "Content-Transfer-Encoding: quoted-printable\r\n\r\n\r\n"
                      "Hallo\r\n"
                      "\r\n\r\n--" +
                      boundary +
                      "\r\nContent-Type: text/plain;\r\n name=\"TempLogbuch-Kelvinor.txt\"\r\n"
                      "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment\r\n"
                      "\r\nWmVpbGUgMQ0K\r\n--" +
                      boundary + "--\r\n.\r\n");
    }
}

TEST(SmtpDialogue, ServersThatCloseOrResetNeverKillTheProgram) {
    for (const std::string when : {"EHLO dummy", "<data-reset>", "DATA-close"}) {
        TemporaryWorkFolder folder;
        writeFile("big.txt", std::string(3'000'000, 'L'));
        auto owned = letter();
        MailMessage& m = *owned;
        ASSERT_TRUE(m.attachFile("big.txt", "big.txt", "text/plain"));
        const Sent s = sendThrough(
            [&](SmtpConversation& c, const std::string& command) -> std::string {
                if (when == "EHLO dummy" && command == "<greeting>") {
                    c.send("220 hello\r\n");
                    return "<close>";  // closes after the greeting
                }
                if (when == "<data-reset>" && command == "DATA") {
                    c.send("354 go\r\n");
                    c.readCommand();  // a little of the data
                    return "<reset>";
                }
                if (when == "DATA-close" && command == "DATA") {
                    c.send("354 go\r\n");
                    return "<close>";
                }
                return politeAnswer(c, command);
            },
            m);
        EXPECT_FALSE(s.ok) << when;
        EXPECT_EQ(s.status, kMailFailed) << when;
    }
}

TEST(SmtpDialogue, AServerThatStopsReadingFailsTheSend) {
    TemporaryWorkFolder folder;
    writeFile("big.txt", std::string(40'000'000, 'L'));
    auto owned = letter();
    MailMessage& m = *owned;
    m.setTimeouts(quick());
    ASSERT_TRUE(m.attachFile("big.txt", "big.txt", "text/plain"));
    const Sent s = sendThrough(
        [](SmtpConversation& c, const std::string& command) -> std::string {
            if (command == "DATA") {
                c.send("354 go\r\n");
                std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // reads nothing more
                return "<close>";
            }
            return politeAnswer(c, command);
        },
        m);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.status, kMailFailed);
    EXPECT_GE(s.seconds, 0.35);  // the send's time-out, not forever
    EXPECT_LT(s.seconds, 2.5);
}

TEST(SmtpDialogue, OverlongCommandsAndHeadersAreRefused) {
    MailMessage longSender(std::string(1100, 's') + "@example.org", "S", CharacterSet::Latin1);
    longSender.addRecipient("a@example.org", kRecipientTo);
    Sent s = sendThrough(politeAnswer, longSender);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.seen.at(0), Commands{"EHLO dummy"});
    MailMessage longSubject("k@example.org", std::string(9000, 'S'), CharacterSet::Latin1);
    FakeClock clock = sendingClock();
    EXPECT_FALSE(longSubject.sendMail("127.0.0.1", 1, clock));
    EXPECT_EQ(longSubject.mailProgress(), kMailFailed);
}

TEST(SmtpDialogue, NoServerOrNoSuchHost) {
    auto owned = letter();
    MailMessage& m = *owned;
    FakeClock clock = sendingClock();
    EXPECT_FALSE(m.sendMail("127.0.0.1", 1, clock));  // nobody listens
    EXPECT_EQ(m.mailProgress(), kMailFailed);
    EXPECT_FALSE(letter()->sendMail("no-such-host.invalid", 25, clock));
    EXPECT_FALSE(letter()->sendMail("", 25, clock));
}

}  // namespace
}  // namespace kelvinor
