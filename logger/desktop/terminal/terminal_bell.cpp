#include "logger/desktop/terminal/terminal_bell.h"

#include <curses.h>

#include "logger/constants/sound_cue_ids.h"

namespace kelvinor {

void TerminalBell::play(int cue) {
    if (cue != clickCue) beep();
}

}  // namespace kelvinor
