// The transport against a real SMTP server (Debian's aiosmtpd), the received
// message parsed back with Python's email package.
#include <gtest/gtest.h>

#include "logger/features/mail/mail_message.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_sink.h"

namespace kelvinor {
namespace {

using namespace testing;

std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
    return out;
}

TEST(RealSmtpServer, ReceivesBodyAndAttachmentsIntact) {
    TemporaryWorkFolder folder;
    std::string small;
    for (int i = 0; i < 100; ++i) small += static_cast<char>(i * 7);
    writeFile("small.bin", small);
    std::string big(10 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 2654435761u) >> 13);
    writeFile("big.bin", big);
    RealSmtpServer server("127.0.0.1", freeLoopbackPort(), folder.path().string());

    const std::string body =
        "Meldung(en) zur Kelvinor-Messung: K\xFChlraum\n\n.eine Zeile mit Punkt\n" +
        std::string(150, 'x') +
        "\nmit Blank am Ende \n\t\xB0"
        "C = 5\n";
    MailMessage m("kelvinor@example.org",
                  "Alarm \xB0"
                  "C (Nr. 1)",
                  CharacterSet::Latin1);
    m.setBody(body);
    ASSERT_TRUE(m.attachFile("small.bin", "small.bin", "application/octet-stream"));
    ASSERT_TRUE(m.attachFile("TempLogbuch-Kelvinor.txt", "big.bin", "text/plain"));
    m.addRecipient("eins@example.org", kRecipientTo);
    m.addRecipient("zwei@example.org", kRecipientTo);
    FakeClock clock(2026, 12, 8, 5, 3, 7);
    ASSERT_TRUE(m.sendMail("127.0.0.1", server.port(), clock));
    EXPECT_EQ(m.mailProgress(), kMailFinished);

    // Attachments newest first: the big one, then the small one.
    const std::string parsed = parseMail("1.eml", "big.bin small.bin");
    std::string crlfBody;
    for (char c : body) crlfBody += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string expected =
        "from=kelvinor@example.org\n"
        "to=eins@example.org, zwei@example.org\n"
        "subject=" +
        hex("Alarm \xB0"
            "C (Nr. 1)") +
        "\n"
        "date=Tue, 8 Dec 2026 05:03:07 +0100\n";
    EXPECT_EQ(parsed.substr(0, expected.size()), expected);
    EXPECT_NE(parsed.find("\nbare=False\n"), std::string::npos) << parsed.substr(0, 400);
    EXPECT_NE(parsed.find("\nbody_charset=iso-8859-1\n"), std::string::npos);
    // The text part begins with the empty line after its head and ends before the
    // line break that belongs to the next boundary.
    EXPECT_NE(parsed.find("\nbody=" + hex("\r\n" + crlfBody + "\r\n") + "\n"), std::string::npos)
        << parsed.substr(parsed.find("body="), 300);
    EXPECT_NE(parsed.find("attachment=TempLogbuch-Kelvinor.txt|text/plain|10485760|True\n"),
              std::string::npos);
    EXPECT_NE(parsed.find("attachment=small.bin|application/octet-stream|100|True\n"),
              std::string::npos);
    const auto longest = std::stoi(parsed.substr(parsed.find("longest=") + 8));
    EXPECT_LE(longest, 998);
    EXPECT_EQ(readFile("1.env"), "kelvinor@example.org\nzwei@example.org\neins@example.org\n");
}

}  // namespace
}  // namespace kelvinor
