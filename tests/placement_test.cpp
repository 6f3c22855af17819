// Where the windows land on a real X server, with and without a window
// manager (run under tests/with-xvfb.sh, once with --openbox): the outer
// frame of the title prompt is 300 x 130 and centred, the main window's outer
// frame is centred with its client area at 800 x 650. The outer frame is read
// from the X server (the client's place and the window manager's
// _NET_FRAME_EXTENTS), not from Qt. The window manager is asked, through the
// hints it reads, for no menu, minimise or close box on the windows that wait
// for an answer, and a prompt it minimises all the same comes back.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <functional>
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

// The first three fields of _MOTIF_WM_HINTS: flags, functions, decorations.
struct MotifHints {
    unsigned flags = 0, functions = 0, decorations = 0;
};
MotifHints motifHints(const QWidget& window) {
    const std::string text =
        output("xprop -id " + std::to_string(window.winId()) + " _MOTIF_WM_HINTS");
    MotifHints hints;
    const auto equals = text.find('=');
    if (equals != std::string::npos)
        std::sscanf(text.c_str() + equals + 1, " %x, %x, %x", &hints.flags, &hints.functions,
                    &hints.decorations);
    return hints;
}

bool viewable(const QWidget& window) {
    return output("xwininfo -id " + std::to_string(window.winId())).find("IsViewable") !=
           std::string::npos;
}

TEST(Placement, WindowsThatWaitForAnAnswerOfferNoMenuMinimiseOrClose) {
    constexpr unsigned kFunctions = 1, kDecorations = 2;                      // flags
    constexpr unsigned kAll = 1, kMinimise = 8, kMaximise = 16, kClose = 32;  // functions
    constexpr unsigned kTitle = 8, kMenu = 16, kMinimiseBox = 32, kMaximiseBox = 64;
    auto expectNoButtons = [&](const QWidget& window, const char* which) {
        const MotifHints h = motifHints(window);
        EXPECT_EQ(h.flags & (kFunctions | kDecorations), kFunctions | kDecorations) << which;
        EXPECT_EQ(h.functions & (kAll | kMinimise | kMaximise | kClose), 0u) << which;
        EXPECT_EQ(h.decorations & (kAll | kMenu | kMinimiseBox | kMaximiseBox), 0u) << which;
        EXPECT_NE(h.decorations & kTitle, 0u) << which;  // the caption stays
    };
    QtDesktop desktop;
    desktop.openWindow({1, "Kelvinor", 400, 300, true});
    desktop.openWindow({2,
                        "Kelvinor: Pr\xFC"
                        "fung",
                        375, 60, false});
    settle();
    // The main window keeps its system menu and minimise box.
    const MotifHints main = motifHints(*desktop.window(1));
    EXPECT_NE(main.decorations & kMinimiseBox, 0u);
    EXPECT_NE(main.decorations & kMenu, 0u);
    expectNoButtons(*desktop.window(2), "scan window");

    struct Case {
        const char* which;
        std::function<void()> open;
    };
    const Case cases[] = {
        {"prompt", [&] { desktop.askText("Kelvinor: Eingabe", "Titel", ""); }},
        {"Ja/Nein box", [&] { desktop.showMessage("Kelvinor", "Weiter?", MessageButtons::YesNo); }},
        {"OK box", [&] { desktop.showMessage("Kelvinor", "Fertig.", MessageButtons::Ok); }},
    };
    for (const Case& c : cases) {
        bool checked = false;
        testing::whenModalOpens([&](QWidget* box) {
            settle();
            expectNoButtons(*box, c.which);
            // Minimised all the same (openbox draws the button whatever the
            // hints say), the box is back on the screen to be answered.
            output("xdotool windowminimize " + std::to_string(box->winId()));
            settle();
            EXPECT_TRUE(viewable(*box)) << c.which;
            EXPECT_FALSE(box->isMinimized()) << c.which;
            checked = true;
            if (auto* message = qobject_cast<QMessageBox*>(box))
                message->buttons().front()->click();
            else
                qobject_cast<QDialog*>(box)->reject();
        });
        c.open();
        EXPECT_TRUE(checked) << c.which;
    }
}

}  // namespace
}  // namespace kelvinor
