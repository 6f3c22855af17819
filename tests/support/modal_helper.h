#pragma once
// Answers the next modal dialog of the program the way a user would: waits
// until QApplication::activeModalWidget() shows it, then runs `act` on it
// (which sends real key or mouse events).
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace kelvinor::testing {

inline void whenModalOpens(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

}  // namespace kelvinor::testing
