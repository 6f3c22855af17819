#pragma once
// The main window: its construction, the event loop and the small commands.
#include <string_view>

#include "logger/application/phase.h"
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

inline constexpr std::string_view kHomepageAddress = "https://www.brenwick.example/kelvinor/";

// The title prompt, the click, the window with its controls and the logbook header.
void openMainWindow(ProgramState& state, Host& host);
// Creates the main window and its controls in their order.
void createMainWindowControls(ProgramState& state, Host& host);
// Serves the window's commands until the start button (Recording next) or a
// close request (Ending next).
Phase serveMainWindow(ProgramState& state, Host& host);

void openHomepage(ProgramState& state, Host& host);
void openInfoFile(ProgramState& state, Host& host);

}  // namespace kelvinor
