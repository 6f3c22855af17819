// Where the windows land on a real X server, with and without a window
// manager (run under tests/with-xvfb.sh, once with --openbox): the outer
// frame of the title prompt is 300 x 130 and centred, the main window's outer
// frame is centred with its client area at 800 x 650. The outer frame is read
// from the X server (the client's place and the window manager's
// _NET_FRAME_EXTENTS), not from Qt.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <string>

#include "logger/desktop/qt/qt_desktop.h"
#include "tests/support/modal_helper.h"

namespace kelvinor {
namespace {

std::string output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
        pclose(pipe);
    }
    return text;
}

int field(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    return at == std::string::npos ? -1 : std::stoi(text.substr(at + label.size()));
}

// The outer frame of a top-level window as the X server and the window manager see it.
QRect outerFrame(const QWidget& window) {
    const std::string id = std::to_string(window.winId());
    const std::string info = output("xwininfo -id " + id);
    QRect client(field(info, "Absolute upper-left X:"), field(info, "Absolute upper-left Y:"),
                 field(info, "Width:"), field(info, "Height:"));
    const std::string extents = output("xprop -id " + id + " _NET_FRAME_EXTENTS");
    int left = 0, right = 0, top = 0, bottom = 0;
    const auto equals = extents.find('=');
    if (equals != std::string::npos)
        std::sscanf(extents.c_str() + equals + 1, " %d, %d, %d, %d", &left, &right, &top, &bottom);
    return client.adjusted(-left, -top, right, bottom);
}

// Lets the window manager frame and place the window.
void settle() {
    for (int i = 0; i < 40; ++i) QTest::qWait(25);
}

bool managed() {
    return output("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") != std::string::npos;
}

QRect centred(QSize outer) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return QRect(
        QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2),
        outer);
}

TEST(Placement, PromptAndMainWindowByTheirOuterFrames) {
    std::printf("window manager: %s\n", managed() ? "yes" : "none");
    QtDesktop desktop;
    desktop.openWindow({1, "Kelvinor für 1-Wire-Sensoren", 800, 650, true});
    settle();
    QWidget* main = desktop.window(1);
    const QRect mainFrame = outerFrame(*main);
    EXPECT_EQ(main->size(), QSize(800, 650));
    EXPECT_EQ(mainFrame, centred(mainFrame.size()));
    if (managed()) {
        EXPECT_GT(mainFrame.height(), 650);  // a real frame was added
    }

    QRect promptFrame;
    testing::whenModalOpens([&](QWidget* prompt) {
        settle();
        promptFrame = outerFrame(*prompt);
        qobject_cast<QDialog*>(prompt)->reject();
    });
    desktop.askText(
        "Kelvinor: Eingabe einer \xDC"
        "berschrift",
        "Titel", "");
    EXPECT_EQ(promptFrame, centred(QSize(300, 130)));
}

}  // namespace
}  // namespace kelvinor
