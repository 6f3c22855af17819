#include "logger/features/host_calls/host_calls.h"

namespace kelvinor {

std::string askText(Host& host, const std::string& title, const std::string& message,
                    const std::string& preset) {
    return host.desktop.askText(title, message, preset);
}

int showMessage(Host& host, const std::string& title, const std::string& text,
                MessageButtons buttons) {
    return host.desktop.showMessage(title, text, buttons);
}

std::string composeCommandLine(const std::string& file, const std::string& parameters) {
    std::string line = file.starts_with('"') ? file : '"' + file + '"';
    if (!parameters.empty()) line += ' ' + parameters;
    return line;
}

ProcessHandle startProgram(Host& host, const std::string& file, const std::string& parameters,
                           const std::string& workingFolder, unsigned options,
                           const ProgramStarter::WaitingHook& whileWaiting) {
    return host.starter.start(composeCommandLine(file, parameters), file, parameters, workingFolder,
                              options, whileWaiting);
}

}  // namespace kelvinor
