// One alarm e-mail (body and a 64 KB log attached) to a local aiosmtpd on
// 127.0.0.1, plain as before beside STARTTLS with AUTH PLAIN, alternating in
// one run; the medians of COUNT sends each (default 20).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "logger/features/mail/mail_message.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_sink.h"

using namespace kelvinor;
using namespace kelvinor::testing;

namespace {

double sendOnce(int port, const MailLogin& login) {
    MailMessage m("kelvinor@example.org", "Alarm", CharacterSet::Latin1);
    m.setBody("Meldung\n");
    m.attachFile("TempLogbuch-Kelvinor.txt", "log.txt", "text/plain");
    m.addRecipient("wart@example.org", kRecipientTo);
    m.setLogin(login);
    FakeClock clock(2026, 12, 8, 5, 3, 7);
    const auto start = std::chrono::steady_clock::now();
    if (!m.sendMail("localhost", port, clock)) std::fprintf(stderr, "a send failed\n");
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 20;
    TemporaryWorkFolder folder;
    std::filesystem::create_directory("certificates");
    const std::string certificates =
        makeTestCertificates((folder.path() / "certificates").string());
    EnvironmentChange trust("SSL_CERT_FILE", certificates + "/ca.pem");
    std::string log;
    while (log.size() < 64 * 1024) log += "07.12.2026\t00:00:00\t5,00\t30,00\t-2,00\t\r\n";
    writeFile("log.txt", log);
    std::filesystem::create_directory("plain");
    std::filesystem::create_directory("tls");
    const int plainPort = freeLoopbackPort();
    RealSmtpServer plain("127.0.0.1", plainPort, (folder.path() / "plain").string());
    const int tlsPort = freeLoopbackPort();
    RealSmtpServer tls("127.0.0.1", tlsPort, (folder.path() / "tls").string(),
                       {"--starttls", certificates + "/localhost.pem",
                        certificates + "/localhost.key", "--login", "wart", "geheim"});
    std::vector<double> plainMs, tlsMs;
    for (int i = 0; i < count; ++i) {
        plainMs.push_back(sendOnce(plainPort, {}));
        tlsMs.push_back(sendOnce(tlsPort, {MailSecurity::StartTls, "wart", "geheim"}));
    }
    std::printf(
        "one alarm e-mail on loopback, median of %d: plain %.1f ms, STARTTLS + AUTH %.1f ms"
        " (ratio %.2f)\n",
        count, median(plainMs), median(tlsMs), median(tlsMs) / median(plainMs));
}
