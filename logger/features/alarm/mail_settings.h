#pragma once
#include <string>

#include "logger/features/mail/mail_message.h"
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Alarm e-mail is on when "KelvEmail.ini" exists and the socket layer starts.
void checkMailEnabled(ProgramState& state, Host& host);

// Reads "KelvEmail.ini" once, when alarm e-mail is on: its six lines, and the
// optional lines 7 (security: "STARTTLS", "TLS" or empty), 8 (user) and 9
// (password) for mail servers that want a login.
void loadMailSettings(ProgramState& state);

// Line 5 as "host" or "host:port"; without a port 25, or 465 for TLS.
struct MailServerAddress {
    std::string host;
    int port;
    bool operator==(const MailServerAddress&) const = default;
};
MailServerAddress mailServerAddress(const std::string& server, MailSecurity security);

// Line 7: empty for a plain connection, "STARTTLS" or "TLS" (blanks and case
// aside); anything else is Unknown.
MailSecurity mailSecurityOf(const std::string& line);

}  // namespace kelvinor
