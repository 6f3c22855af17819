#pragma once
// A window that waits for an answer (a prompt, a message box, the scan's
// progress) has a caption and nothing else: no system menu, no minimise,
// maximise or close box.
#include <QWidget>

namespace kelvinor {

// Asks the window manager, through the Motif hints most of them read, for a
// caption without any window buttons. Qt's own hints leave the decorations
// or the functions open; these are set on the native window before it is
// shown. Nothing happens off X11.
void askForCaptionOnly(QWidget& window);

// Shows the window again at once when the window manager minimises it all
// the same (openbox keeps the minimise and close boxes whatever the hints
// say): a minimised modal box would leave the program waiting for an answer
// nobody can give.
void keepOnScreen(QWidget& window);

}  // namespace kelvinor
