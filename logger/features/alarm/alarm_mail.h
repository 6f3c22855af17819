#pragma once
#include <functional>

#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// The subject and body of alarm e-mail number `alarmCount`.
std::string alarmMailSubject(const ProgramState& state);
std::string alarmMailBody(const ProgramState& state);

// Composes and sends one alarm e-mail, and waits for its end; the user sees
// nothing of it. Once `giveUp` says yes (asked throughout the dialogue), the
// e-mail is given up at once and counts as failed.
void sendAlarmMail(ProgramState& state, Host& host, const std::function<bool()>& giveUp = {});

}  // namespace kelvinor
