#include "logger/desktop/qt/answer_window.h"

#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace kelvinor {
namespace {

// _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
constexpr std::uint32_t kFunctionsGiven = 1, kDecorationsGiven = 2;
constexpr std::uint32_t kMove = 4;
constexpr std::uint32_t kBorder = 2, kTitle = 8;

class RestoreWhenMinimised final : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange) {
            QPointer<QWidget> window = qobject_cast<QWidget*>(watched);
            if (window && window->isMinimized())
                // After the state change has been handled, not inside it.
                QTimer::singleShot(0, window, [window] {
                    if (!window || !window->isVisible()) return;
                    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
                    window->raise();
                    window->activateWindow();
                });
        }
        return false;
    }
};

}  // namespace

void askForCaptionOnly(QWidget& window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // Qt's offscreen platform offers the interface without a connection.
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) return;
    static constexpr char kName[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr);
    if (atom == nullptr) return;
    const std::array<std::uint32_t, 5> hints = {kFunctionsGiven | kDecorationsGiven, kMove,
                                                kBorder | kTitle, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window.winId()), atom->atom, atom->atom, 32,
                        hints.size(), hints.data());
    xcb_flush(connection);
    std::free(atom);
}

void keepOnScreen(QWidget& window) {
    window.installEventFilter(new RestoreWhenMinimised(&window));
}

}  // namespace kelvinor
