#include "clock/clock_window.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

#include "clock/clock_text.h"

namespace horalux {

ClockWindow::ClockWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      timer_() {
    field_ = new QLabel(QStringLiteral("-.-.-"), this);
    setWindowTitle(QStringLiteral("Horalux"));
    setFixedSize(120, 55);
    field_->setGeometry(2, 2, 116, 52);
    field_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    field_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    field_->setTextFormat(Qt::PlainText);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    font.setBold(true);
    field_->setFont(font);
    QPalette palette = field_->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));  // the dialog face
    field_->setPalette(palette);
    field_->setAutoFillBackground(true);
    connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
    timer_.start(500);
    ready_ = true;
}

void ClockWindow::place() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QMargins frame;
    if (const QWindow* handle = windowHandle()) frame = handle->frameMargins();
    placed_ = true;
    placedFrame_ = frame;
    const QSize outer = size() + QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QRect area = screen->geometry();
    const Point at =
        clockWindowPosition(area.width(), area.height(), outer.width(), outer.height());
    move(area.x() + at.x, area.y() + at.y);
}

bool ClockWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // The window manager's frame arrives unannounced: any event (the
    // refresh timer's at the latest) checks whether it has changed.
    if (placed_ && event->type() != QEvent::Paint) {
        const QWindow* handle = windowHandle();
        if (handle != nullptr && handle->frameMargins() != placedFrame_) place();
    }
    // Every window event refreshes the text too, as the timer does.
    if (ready_ && !refreshing_ && event->type() != QEvent::Paint && event->type() != QEvent::Timer)
        refresh();
    return handled;
}

void ClockWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    QMessageBox::information(this, QStringLiteral("Info"),
                             QString::fromUtf8("Die Horalux wird über das Kelvinor gesteuert!"));
}

void ClockWindow::refresh() {
    refreshing_ = true;
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    const std::string text = clockText(
        {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), d.dayOfWeek() % 7});
    QString shown = QString::fromStdString(text);
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (field_->text() != shown) field_->setText(shown);
    refreshing_ = false;
}

}  // namespace horalux
