#pragma once
// askText, showMessage and startProgram: the prompt, the message box and the
// program start that every command uses.
#include <string>

#include "logger/seams/host.h"

namespace kelvinor {

std::string askText(Host& host, const std::string& title, const std::string& message,
                    const std::string& preset);
int showMessage(Host& host, const std::string& title, const std::string& text,
                MessageButtons buttons = MessageButtons::Ok);

// The file in double quotes (unless it already begins with one), then one
// blank and the parameters when there are any.
std::string composeCommandLine(const std::string& file, const std::string& parameters);

ProcessHandle startProgram(Host& host, const std::string& file, const std::string& parameters,
                           const std::string& workingFolder, unsigned options,
                           const ProgramStarter::WaitingHook& whileWaiting = {});

}  // namespace kelvinor
