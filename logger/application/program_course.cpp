#include "logger/application/program_course.h"

#include "logger/application/main_window.h"
#include "logger/application/startup.h"
#include "logger/features/recording/recording_cycle.h"
#include "logger/state/program_end.h"

namespace kelvinor {

int runProgram(ProgramState& state, Host& host, int demoMode) {
    Phase phase = startUp(state, host, demoMode);
    while (phase != Phase::Ending) {
        switch (phase) {
            case Phase::Idle:
                phase = serveMainWindow(state, host);
                break;
            case Phase::Recording:
                startRecording(state, host);
                phase = Phase::Ending;  // a stopped recording ends the program
                break;
            case Phase::Ending:
                break;
        }
    }
    endProgram(state, host);
    return 0;
}

}  // namespace kelvinor
