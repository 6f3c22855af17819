#include "logger/features/alarm/mail_settings.h"

#include <fstream>

#include "logger/seams/file_names.h"
#include "logger/seams/files.h"

namespace kelvinor {

void checkMailEnabled(ProgramState& state, Host& host) {
    state.mailSettingsSize = fileSize(kMailSettingsFile);
    const bool networkStarted = host.startNetwork && host.startNetwork();
    if (!networkStarted || state.mailSettingsSize < 0) state.mailSettingsSize = -1;
}

void loadMailSettings(ProgramState& state) {
    if (state.mailSettingsSize < 0) return;
    std::fstream file;
    openOrCreate(file, kMailSettingsFile);
    const std::vector<std::string> lines = readLines(file, 6);
    state.mailSender = lines[0];
    state.mailRecipient = lines[1];
    state.mailSubject = lines[3];
    state.mailServer = lines[4];
    state.mailAttachFlag = lines[5];
}

}  // namespace kelvinor
