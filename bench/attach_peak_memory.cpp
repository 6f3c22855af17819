// Peak memory of attaching the largest allowed file: attach_peak_memory FILE
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>

#include "logger/mail/mail_message.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    kelvinor::MailMessage message("a@b", "s", kelvinor::CharacterSet::Latin1);
    const bool ok = message.attachFile("x", argv[1], "text/plain");
    getrusage(RUSAGE_SELF, &after);
    const double file = static_cast<double>(std::filesystem::file_size(argv[1]));
    std::printf("attached %s: peak resident %.0f MB for a %.0f MB file = %.2f x the file\n",
                ok ? "yes" : "no", after.ru_maxrss / 1024.0, file / 1e6,
                after.ru_maxrss * 1024.0 / file);
}
