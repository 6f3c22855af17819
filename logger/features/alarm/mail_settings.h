#pragma once
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Alarm e-mail is on when "KelvEmail.ini" exists and the socket layer starts.
void checkMailEnabled(ProgramState& state, Host& host);

// Reads the six lines of "KelvEmail.ini" once, when alarm e-mail is on.
void loadMailSettings(ProgramState& state);

}  // namespace kelvinor
