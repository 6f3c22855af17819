#pragma once
// Program starts in a terminal edition: with a display (an X or Wayland
// session around the terminal) as usual; without one, a document or web
// address to be shown (the info file, the homepage, the log at the end) is
// not opened but named in a message, so that the user knows where it is.
// Hidden starts (the bus batches) run in either case.
#include <cstdlib>
#include <filesystem>

#include "logger/seams/desktop.h"
#include "logger/seams/program_starter.h"
#include "logger/system/platform.h"
#include "logger/text/cp1252.h"

namespace kelvinor {

inline bool displayPresent() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

class NoDisplayStarter final : public ProgramStarter {
  public:
    NoDisplayStarter(ProgramStarter& starter, Desktop& desktop)
        : starter_(starter), desktop_(desktop) {}

    ProcessHandle start(const std::string& commandLine, const std::string& file,
                        const std::string& parameters, const std::string& workingFolder,
                        unsigned options, const WaitingHook& whileWaiting) override {
        if ((options & kHidden) != 0 || displayPresent())
            return starter_.start(commandLine, file, parameters, workingFolder, options,
                                  whileWaiting);
        const bool address = file.starts_with("http://") || file.starts_with("https://");
        std::error_code error;
        const std::filesystem::path path = std::filesystem::absolute(toPath(file), error);
        desktop_.showMessage(
            "Kelvinor: Ohne Bildschirm",
            address ? "Ohne Bildschirm wird nichts geöffnet. Die Internetseite ist:\r"_cp + file
                    : "Ohne Bildschirm wird nichts geöffnet. Die Datei liegt hier:\r"_cp +
                          (error ? file : utf8ToCp1252(path.string())),
            MessageButtons::Ok);
        return 0;
    }
    void terminate(ProcessHandle handle) override { starter_.terminate(handle); }
    void release(ProcessHandle handle) override { starter_.release(handle); }

  private:
    ProgramStarter& starter_;
    Desktop& desktop_;
};

}  // namespace kelvinor
