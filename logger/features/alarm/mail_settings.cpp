#include "logger/features/alarm/mail_settings.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "logger/constants/file_names.h"
#include "logger/system/files.h"

namespace kelvinor {

void checkMailEnabled(ProgramState& state, Host& host) {
    state.mailSettingsSize = fileSize(kMailSettingsFile);
    const bool networkStarted = host.startNetwork && host.startNetwork();
    state.socketLayerStarted = networkStarted;
    if (!networkStarted || state.mailSettingsSize < 0) state.mailSettingsSize = -1;
}

void loadMailSettings(ProgramState& state) {
    if (state.mailSettingsSize < 0) return;
    std::fstream file;
    openOrCreate(file, kMailSettingsFile);
    const std::vector<std::string> lines = readLines(file, 9);
    state.mailSender = lines[0];
    state.mailRecipient = lines[1];
    state.mailSubject = lines[3];
    state.mailServer = lines[4];
    state.mailAttachFlag = lines[5];
    state.mailSecurity = lines[6];
    state.mailUser = lines[7];
    state.mailPassword = lines[8];
}

MailServerAddress mailServerAddress(const std::string& server, MailSecurity security) {
    const int usual = security == MailSecurity::Tls ? 465 : 25;
    const std::size_t colon = server.rfind(':');
    if (colon == std::string::npos) return {server, usual};
    const std::string digits = server.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {server, usual};
    const int port = std::stoi(digits);
    if (port < 1 || port > 65535) return {server, usual};
    return {server.substr(0, colon), port};
}

MailSecurity mailSecurityOf(const std::string& line) {
    std::string word;
    for (char c : line)
        if (c != ' ' && c != '\t')
            word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (word.empty()) return MailSecurity::Plain;
    if (word == "STARTTLS") return MailSecurity::StartTls;
    if (word == "TLS") return MailSecurity::Tls;
    return MailSecurity::Unknown;
}

}  // namespace kelvinor
