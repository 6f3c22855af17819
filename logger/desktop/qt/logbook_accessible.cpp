#include "logger/desktop/qt/logbook_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

#include "logger/desktop/qt/logbook_view.h"

namespace kelvinor {
namespace {

// A few rows of the logbook as a text of its own, so that Qt's own answers
// to "the character, word or line at, before or after an offset" come from
// those rows instead of from the whole text (which Qt's defaults build for
// every query: a tenth of a second and more at 200,000 rows). The window
// holds two rows either side of the offset's at least; it begins with a row
// that starts with a letter or digit, and ends with such a row followed by
// another (or where the text begins or ends). There Qt's word boundaries
// are those of the whole text (a run of blank rows, tabs and punctuation is
// one segment), and the words before and after the offset's lie inside.
class RowWindow final : public QAccessibleTextInterface {
  public:
    explicit RowWindow(QString text) : text_(std::move(text)) {}

    QString text(int from, int to) const override { return text_.mid(from, to - from); }
    int characterCount() const override { return static_cast<int>(text_.size()); }
    // Not asked of a window.
    void selection(int, int* from, int* to) const override { *from = *to = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int*, int*) const override { return {}; }

  private:
    QString text_;
};

enum class Side { Before, At, After };

// Qt's own answer, from the whole text of `text`.
QString qtAnswer(const QAccessibleTextInterface& text, Side side, int offset,
                 QAccessible::TextBoundaryType type, int* start, int* end) {
    switch (side) {
        case Side::Before:
            return text.QAccessibleTextInterface::textBeforeOffset(offset, type, start, end);
        case Side::At:
            return text.QAccessibleTextInterface::textAtOffset(offset, type, start, end);
        case Side::After:
            break;
    }
    return text.QAccessibleTextInterface::textAfterOffset(offset, type, start, end);
}

bool startsAWord(const QString& row) {
    return !row.isEmpty() && row.front().isLetterOrNumber();
}

// Asks Qt's own implementation over the rows around `offset`'s row;
// nothing when no such window lies within reach.
template <typename Query>
std::optional<QString> askAround(const LogbookView& view, int offset, int* start, int* end,
                                 Query query) {
    constexpr std::int64_t kReach = 64;
    const std::int64_t row = view.positionAt(offset).row;
    std::int64_t first = std::max<std::int64_t>(0, row - 2);
    std::int64_t last = std::min(view.rowCount() - 1, row + 2);
    while (first > 0 && !startsAWord(view.row(first)))
        if (row - --first > kReach) return std::nullopt;
    const auto endsWindow = [&](std::int64_t r) {
        return r == view.rowCount() - 1 ||
               (startsAWord(view.row(r)) && startsAWord(view.row(r + 1)));
    };
    while (!endsWindow(last))
        if (++last - row > kReach) return std::nullopt;
    const std::int64_t from = view.offsetOf({first, 0});
    const std::int64_t to =
        last + 1 < view.rowCount() ? view.offsetOf({last + 1, 0}) : view.textLength();
    const RowWindow window(view.text(from, to));
    QString answer = query(window, static_cast<int>(offset - from), start, end);
    if (*start >= 0) *start += static_cast<int>(from);
    if (*end >= 0) *end += static_cast<int>(from);
    return answer;
}

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

    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override {
        return around(Side::Before, offset, type, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override {
        return around(Side::After, offset, type, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override {
        return around(Side::At, offset, type, start, end);
    }

  private:
    LogbookView* view() const { return static_cast<LogbookView*>(widget()); }
    // The whole text (NoBoundary), sentences (which run on over rows until
    // a full stop) and offsets outside the text are left to Qt's own
    // implementation; -1 stands for the end of the text. A sentence at the
    // end of the text is nothing: Qt's own query never returns there.
    QString around(Side side, int offset, QAccessible::TextBoundaryType type, int* start,
                   int* end) const {
        const int length = clampedToInt(view()->textLength());
        if (offset == -1) offset = length;
        if (type == QAccessible::SentenceBoundary && offset >= length) {
            *start = *end = -1;
            return {};
        }
        if (type != QAccessible::NoBoundary && type != QAccessible::SentenceBoundary &&
            offset >= 0 && offset <= length && view()->rowCount() > 0)
            if (auto answer = askAround(*view(), offset, start, end,
                                        [side, type](const RowWindow& w, int at, int* s, int* e) {
                                            return qtAnswer(w, side, at, type, s, e);
                                        }))
                return *answer;
        return qtAnswer(*this, side, offset, type, start, end);
    }
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
