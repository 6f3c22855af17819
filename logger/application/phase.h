#pragma once
// The phases of the program's course (see program_course.h).

namespace kelvinor {

enum class Phase {
    Idle,       // the main window waits for a command
    Recording,  // rows at the interval until the stop
    Ending,     // everything is released and the program returns its exit code
};

}  // namespace kelvinor
