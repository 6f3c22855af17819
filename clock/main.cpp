// Horalux: weekday, date and time in a small window, started and terminated by Kelvinor.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "clock/clock_window.h"

int main(int argc, char** argv) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((platform == nullptr || *platform == '\0') && (x11 == nullptr || *x11 == '\0') &&
        (wayland == nullptr || *wayland == '\0')) {
        std::fputs("Horalux: Kein Bildschirm gefunden (DISPLAY ist nicht gesetzt).\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    horalux::ClockWindow window;
    window.show();
    window.place();
    return application.exec();
}
