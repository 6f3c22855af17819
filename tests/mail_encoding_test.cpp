#include "logger/features/mail/mail_encoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "logger/features/mail/mail_message.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;
using namespace std::string_literals;

TEST(QuotedPrintable, Table) {
    struct Case {
        std::string body, encoded;
    };
    const Case cases[] = {
        {"", ""},
        {"abc", "abc"},
        {"a\nb", "a\r\nb"},
        {"a\r\nb", "a\r\nb"},
        {"a\rb", "a\rb"},
        {"end \nnext", "end=20\r\nnext"},
        {"tab\t\n", "tab=09\r\n"},
        {"a b\tc", "a b\tc"},
        {"x=1", "x=3D1"},
        {"\xB0\xF6\xC4\x7F\x80\xFF", "=B0=F6=C4=7F=80=FF"},
        {"\x01\0"s, "=01=00"},
        {std::string(100, 'a'), std::string(72, 'a') + "=\r\n" + std::string(28, 'a')},
        {std::string(72, 'a'), std::string(72, 'a') + "=\r\n"},
        {std::string(71, 'a') + "\xFC", std::string(71, 'a') + "=FC=\r\n"},
        {std::string(70, 'a') + "\n" + std::string(3, 'b'), std::string(70, 'a') + "\r\nbbb"},
        {"trailing ", "trailing "},
    };
    for (const Case& c : cases) EXPECT_EQ(quotedPrintable(c.body), c.encoded) << c.body;
}

TEST(QuotedPrintable, DotStuffing) {
    EXPECT_EQ(dotStuffed(".a\r\n.b\r\nc.d\r\n."), "..a\r\n..b\r\nc.d\r\n..");
    EXPECT_EQ(dotStuffed("a\r\n"), "a\r\n");
}

TEST(Base64, Table) {
    struct Case {
        std::string bytes, text;
    };
    const Case cases[] = {{"", ""},
                          {"f", "Zg=="},
                          {"fo", "Zm8="},
                          {"foo", "Zm9v"},
                          {"foob", "Zm9vYg=="},
                          {"fooba", "Zm9vYmE="},
                          {"foobar", "Zm9vYmFy"},
                          {"\xFF\xFE\xFD", "//79"},
                          {"\0\0\0"s, "AAAA"}};
    for (const Case& c : cases) EXPECT_EQ(base64(c.bytes), c.text);
}

// Python's own decoders take the texts back.
#ifndef _WIN32  // runs Python through popen, which the Windows tests do not have
TEST(Encoders, PythonDecodesThemBack) {
    TemporaryWorkFolder folder;
    std::string all;
    for (int size = 0; size <= 300; ++size) {
        std::string bytes;
        for (int i = 0; i < size; ++i) bytes += static_cast<char>((i * 131 + size * 7) & 0xFF);
        writeFile("raw" + std::to_string(size), bytes);
        writeFile("b64_" + std::to_string(size), base64(bytes));
    }
    std::string body =
        "Meldung\xF6 \xB0"
        "C\n" +
        std::string(150, 'x') + " \n=\r\n.dot\rlone\ttab\n";
    for (int c = 1; c < 256; ++c) body += static_cast<char>(c);
    writeFile("body", body);
    writeFile("body.qp", quotedPrintable(body));
    writeFile(
        "check.py",
        "import base64, quopri, sys\n"
        "bad = []\n"
        "for n in range(301):\n"
        "    raw = open('raw%d' % n, 'rb').read(); text = open('b64_%d' % n, 'rb').read()\n"
        "    if base64.b64decode(text, validate=True) != raw or base64.b64encode(raw) != text: "
        "bad.append(n)\n"
        "body = open('body', 'rb').read().replace(b'\\r\\n', b'\\n').replace(b'\\n', b'\\r\\n')\n"
        "qp = open('body.qp', 'rb').read()\n"
        "ok = quopri.decodestring(qp) == body and max(len(l) for l in qp.splitlines()) <= 76\n"
        "print('bad', bad, 'qp', ok)\n");
    FILE* pipe = popen("/usr/bin/python3 check.py", "r");
    ASSERT_NE(pipe, nullptr);
    char line[512] = {};
    ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
    pclose(pipe);
    EXPECT_STREQ(line, "bad [] qp True\n");
}
#endif

TEST(MailDate, EnglishNamesAndTheZone) {
    EXPECT_EQ(mailDate({2026, 12, 8, 5, 3, 7, 2, 3600}), "Tue, 8 Dec 2026 05:03:07 +0100");
    EXPECT_EQ(mailDate({2026, 7, 18, 23, 0, 0, 6, 7200}), "Sat, 18 Jul 2026 23:00:00 +0200");
    EXPECT_EQ(mailDate({2026, 1, 4, 0, 0, 0, 0, 0}), "Sun, 4 Jan 2026 00:00:00 -0000");
    EXPECT_EQ(mailDate({2026, 3, 30, 12, 0, 0, 1, -18000}), "Mon, 30 Mar 2026 12:00:00 -0500");
    EXPECT_EQ(mailDate({2026, 3, 30, 12, 0, 0, 1, 19800}), "Mon, 30 Mar 2026 12:00:00 +0530");
}

TEST(Boundaries, TheWindowsGeneratorSeededWithOne) {
    // rand() of the Windows C library after srand(1): 41, 18467, 6334, 26500, ...
    // Every run (every new generator) starts over.
    for (int run = 0; run < 2; ++run) {
        WindowsRandom numbers;
        EXPECT_EQ(numbers.next(), 41);
        EXPECT_EQ(numbers.next(), 18467);
        EXPECT_EQ(numbers.next(), 6334);
        EXPECT_EQ(numbers.next(), 26500);
    }
}

}  // namespace
}  // namespace kelvinor
