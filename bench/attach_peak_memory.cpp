// Peak memory of attaching a file and sending the message, against a local
// SMTP server that discards what it gets: attach_peak_memory FILE
// Prints the peak resident size as a multiple of the file's size.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "logger/features/mail/mail_message.h"
#include "tests/support/fake_clock.h"
#include "tests/support/smtp_server.h"

namespace {

// The server runs in a process of its own, so its memory is not counted.
pid_t startDiscardingServer(int& port) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        kelvinor::testing::ScriptedSmtpServer server([](kelvinor::testing::SmtpConversation& c) {
            c.send("220 ready\r\n");
            for (std::string line = c.readCommand(); !c.closedByClient; line = c.readCommand()) {
                if (line == "DATA") {
                    c.send("354 go\r\n");
                    c.discardData();
                    c.send("250 queued\r\n");
                } else {
                    c.send(line == "QUIT" ? "221 bye\r\n" : "250 OK\r\n");
                    if (line == "QUIT") return;
                }
            }
        });
        const int chosen = server.port();
        if (write(ready[1], &chosen, sizeof chosen) != sizeof chosen) _exit(1);
        for (;;) pause();  // until the bench is done with it
    }
    close(ready[1]);
    if (read(ready[0], &port, sizeof port) != sizeof port) port = 0;
    close(ready[0]);
    return pid;
}

double peakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const double file = static_cast<double>(std::filesystem::file_size(argv[1]));
    int port = 0;
    const pid_t server = startDiscardingServer(port);
    if (server <= 0 || port == 0) return 1;
    const double before = peakMb();
    kelvinor::MailMessage message("a@b", "s", kelvinor::CharacterSet::Latin1);
    message.addRecipient("c@d", kelvinor::kRecipientTo);
    const bool attached = message.attachFile("x", argv[1], "text/plain");
    const double afterAttach = peakMb();
    kelvinor::testing::FakeClock clock(2026, 12, 8, 10, 0, 0);
    const bool sent = message.sendMail("127.0.0.1", port, clock);
    const double afterSend = peakMb();
    kill(server, SIGKILL);
    waitpid(server, nullptr, 0);
    std::printf(
        "file %.0f MB; peak resident before %.0f MB, after attaching %.0f MB (%s), "
        "after sending %.0f MB (%s)\n",
        file / 1e6, before, afterAttach, attached ? "attached" : "not attached", afterSend,
        sent ? "sent" : "not sent");
    std::printf("peak for attaching and sending = %.2f x the file\n", afterSend * 1048576.0 / file);
}
