// How long a stop waits for an alarm e-mail to a hostile server: the stop
// comes 3 s into the dialogue, with the program's own deadlines. Each server
// is met twice, side by side: once with the stop asked throughout the
// dialogue (as the recording does), once without (as before: the e-mail ran
// until its server answered or a deadline ran out).
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "logger/features/mail/mail_message.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_server.h"

using namespace kelvinor;
using namespace kelvinor::testing;
using Steady = std::chrono::steady_clock;

namespace {

constexpr double kStopAtSeconds = 3.0;

// The polite answer after `ms` of silence, for the commands `slow` says.
Answer stalling(int ms, std::function<bool(const std::string&)> slow) {
    return [ms, slow](SmtpConversation& c, const std::string& command) {
        if (slow(command)) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return politeAnswer(c, command);
    };
}

// Seconds from the start of the send to its end.
double sendSeconds(const Answer& answer, bool attachment, bool askForStop) {
    MailMessage message("kelvinor@example.org", "Alarm", CharacterSet::Latin1);
    message.setBody("Hallo\n");
    message.addRecipient("a@example.org", kRecipientTo);
    message.addRecipient("b@example.org", kRecipientTo);
    message.setTimeouts(MailTimeouts{});
    if (attachment) message.attachFile("big.txt", "big.txt", "text/plain");
    const Steady::time_point start = Steady::now();
    if (askForStop)
        message.setGiveUp([start] {
            return Steady::now() - start > std::chrono::duration<double>(kStopAtSeconds);
        });
    ScriptedSmtpServer server([&](SmtpConversation& c) { converse(c, answer); });
    FakeClock clock(2026, 12, 8, 5, 3, 7);
    message.sendMail("127.0.0.1", server.port(), clock);
    const double seconds = std::chrono::duration<double>(Steady::now() - start).count();
    server.finish();
    return seconds;
}

}  // namespace

int main() {
    struct Mode {
        const char* name;
        Answer answer;
        bool attachment = false;
    };
    const Mode modes[] = {
        {"a 9.5 s silence before the greeting",
         stalling(9'500, [](const std::string& c) { return c == "<greeting>"; })},
        {"9.5 s silences before the greeting and after EHLO",
         stalling(9'500,
                  [](const std::string& c) { return c == "<greeting>" || c.starts_with("EHLO"); })},
        {"a tarpit: 9.5 s before every reply",
         stalling(9'500, [](const std::string& c) { return c != "QUIT"; })},
        {"a server that never answers",
         [](SmtpConversation& c, const std::string&) { return silentUntilClosed(c); }},
        {"an EHLO reply that never ends",
         [](SmtpConversation& c, const std::string& command) -> std::string {
             if (!command.starts_with("EHLO")) return politeAnswer(c, command);
             trickle(c, "250-x\r\n");
             return "<close>";
         }},
        {"a server that stops reading the 40 MB message",
         [](SmtpConversation& c, const std::string& command) -> std::string {
             if (command != "DATA") return politeAnswer(c, command);
             c.send("354 go\r\n");
             std::this_thread::sleep_for(std::chrono::seconds(12));
             return "<close>";
         },
         true},
    };
    TemporaryWorkFolder folder;
    writeFile("big.txt", std::string(40'000'000, 'L'));
    std::printf("Stop %.0f s into an alarm e-mail: seconds until the e-mail has ended\n",
                kStopAtSeconds);
    std::printf("%-52s %14s %14s\n", "server", "stop not asked", "stop asked");
    for (const Mode& mode : modes) {
        const double before = sendSeconds(mode.answer, mode.attachment, false) - kStopAtSeconds;
        const double after = sendSeconds(mode.answer, mode.attachment, true) - kStopAtSeconds;
        std::printf("%-52s %13.2fs %13.2fs\n", mode.name, before, after);
    }
}
