#include "logger/desktop/qt/logbook_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <algorithm>
#include <climits>
#include <utility>

#include "logger/desktop/qt/logbook_view.h"

namespace kelvinor {
namespace {

// What a screen reader and the AT-SPI bridge read: the whole text, the
// selection and the caret, in offsets of the whole text.
class LogbookAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit LogbookAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return view()->toPlainText();
        return QAccessibleWidget::text(kind);
    }

    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        const auto [from, to] = ordered();
        if (index != 0 || from == to) return;
        *start = clampedToInt(view()->offsetOf(from));
        *end = clampedToInt(view()->offsetOf(to));
    }
    int selectionCount() const override {
        const auto [from, to] = ordered();
        return from == to ? 0 : 1;
    }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { view()->select(view()->cursor(), view()->cursor()); }
    void setSelection(int, int start, int end) override {
        view()->select(view()->positionAt(start), view()->positionAt(end));
    }
    int cursorPosition() const override { return clampedToInt(view()->offsetOf(view()->cursor())); }
    void setCursorPosition(int position) override {
        const LogbookView::Position p = view()->positionAt(position);
        view()->select(p, p);
    }
    QString text(int start, int end) const override { return view()->text(start, end); }
    int characterCount() const override { return clampedToInt(view()->textLength()); }
    QRect characterRect(int offset) const override {
        const QRect r = view()->characterRect(view()->positionAt(offset));
        return QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = view()->viewport()->mapFromGlobal(point);
        return clampedToInt(view()->offsetOf(view()->positionAtPoint(local)));
    }
    void scrollToSubstring(int start, int) override {
        view()->ensureVisible(view()->positionAt(start));
    }
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

  private:
    LogbookView* view() const { return static_cast<LogbookView*>(widget()); }
    std::pair<LogbookView::Position, LogbookView::Position> ordered() const {
        return std::minmax(view()->anchor(), view()->cursor());
    }
};

QAccessibleInterface* logbookAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("kelvinor::LogbookView") && object != nullptr &&
        object->isWidgetType())
        return new LogbookAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

}  // namespace

void installLogbookAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(logbookAccessibleFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace kelvinor
