#include "logger/desktop/qt/logbook_view.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "logger/desktop/qt/logbook_accessible.h"
#include "logger/desktop/qt/logbook_scroll_bar.h"
#include "logger/desktop/qt/qt_text.h"

namespace kelvinor {
namespace {

const QEvent::Type kMoveRowsEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

qreal nextTabStop(qreal x) {
    return (std::floor(x / LogbookView::kTabStop) + 1) * LogbookView::kTabStop;
}

}  // namespace

LogbookView::LogbookView(QWidget* parent) : QAbstractScrollArea(parent) {
    measureFont();
    installLogbookAccessibility();
    setVerticalScrollBar(new LogbookScrollBar(Qt::Vertical));
    setHorizontalScrollBar(new LogbookScrollBar(Qt::Horizontal));
    setFocusPolicy(Qt::ClickFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    horizontalScrollBar()->setSingleStep(20);
    updateScrollBars();
}

int LogbookView::lineHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

int LogbookView::visibleRows() const {
    return std::max(1, (viewport()->height() - kMargin) / lineHeight());
}

void LogbookView::measureFont() {
    unkerned_ = font();
    unkerned_.setKerning(false);
    const QFontMetricsF metrics(unkerned_);
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        advance_[byte] = metrics.horizontalAdvance(toQString(std::string(1, c)));
    }
    ascent_ = metrics.ascent();
}

qreal LogbookView::xOf(std::string_view cp1252, int column) const {
    qreal x = 0;
    const std::size_t end =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(column, 0)), cp1252.size());
    for (std::size_t i = 0; i < end; ++i) {
        const auto byte = static_cast<unsigned char>(cp1252[i]);
        x = byte == '\t' ? nextTabStop(x) : x + advance_[byte];
    }
    return x;
}

void LogbookView::addRow(std::string_view cp1252) {
    lines_.append(cp1252);
    widestRow_ = std::max(widestRow_, xOf(cp1252, static_cast<int>(cp1252.size())));
}

void LogbookView::appendLine(const std::string& cp1252) {
    // The view follows the newest row unless the user has scrolled away from the end.
    QScrollBar* bar = verticalScrollBar();
    const LogbookScrollBar::Batch together(bar);
    const bool following = bar->value() >= bar->maximum();
    const std::int64_t first = rowCount();
    // Line breaks start new rows, as in a plain-text edit: CR LF, CR or LF.
    std::size_t start = 0;
    for (std::size_t i = 0; i <= cp1252.size(); ++i) {
        if (i < cp1252.size() && cp1252[i] != '\r' && cp1252[i] != '\n') continue;
        addRow(std::string_view(cp1252).substr(start, i - start));
        if (i + 1 < cp1252.size() && cp1252[i] == '\r' && cp1252[i + 1] == '\n') ++i;
        start = i + 1;
    }
    updateScrollBars();
    if (following) bar->setValue(bar->maximum());
    updateRows(first, rowCount());
    if (QAccessible::isActive()) {
        QAccessibleTextInsertEvent inserted(this, clampedToInt(lines_.start(first)),
                                            text(lines_.start(first), textLength()));
        QAccessible::updateAccessibility(&inserted);
    }
}

void LogbookView::setPlainText(const std::string& cp1252) {
    clear();
    if (!cp1252.empty()) appendLine(cp1252);
}

void LogbookView::clear() {
    lines_.clear();
    widestRow_ = 0;
    anchor_ = cursor_ = {};
    toldCaret_ = toldFrom_ = toldTo_ = -1;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::TextUpdated);
        QAccessible::updateAccessibility(&changed);
    }
}

QString LogbookView::row(std::int64_t index) const {
    return index >= 0 && index < rowCount() ? toQString(lines_.row(index)) : QString();
}

QString LogbookView::text(std::int64_t from, std::int64_t to) const {
    return toQString(lines_.text(from, to));
}

QString LogbookView::toPlainText() const {
    return text(0, textLength());
}

QString LogbookView::selectedText() const {
    const auto [from, to] = std::minmax(anchor_, cursor_);
    return from == to ? QString() : text(offsetOf(from), offsetOf(to));
}

LogbookView::Position LogbookView::positionAt(std::int64_t offset) const {
    if (rowCount() == 0) return {};
    offset = std::clamp<std::int64_t>(offset, 0, textLength());
    const std::int64_t r = lines_.rowAt(offset);
    return {r,
            static_cast<int>(std::min<std::int64_t>(offset - lines_.start(r), lines_.length(r)))};
}

void LogbookView::select(Position anchor, Position cursor) {
    anchor_ = anchor;
    cursor_ = cursor;
    selectionChanged();
}

void LogbookView::selectAll() {
    if (rowCount() == 0) return;
    const std::int64_t last = rowCount() - 1;
    select({0, 0}, {last, lines_.length(last)});
}

void LogbookView::copy() const {
    if (hasSelection()) QGuiApplication::clipboard()->setText(selectedText());
}

// Screen readers follow the caret by its own event (the AT-SPI bridge's
// object:text-caret-moved) and the selection by another; each is sent when
// what it tells has changed.
void LogbookView::selectionChanged() {
    viewport()->update();
    if (!QAccessible::isActive()) return;
    const std::int64_t caret = rowCount() == 0 ? 0 : offsetOf(cursor_);
    const auto [from, to] = std::minmax(anchor_, cursor_);
    const std::int64_t start = rowCount() == 0 ? 0 : offsetOf(from);
    const std::int64_t end = rowCount() == 0 ? 0 : offsetOf(to);
    if (start != toldFrom_ || end != toldTo_) {
        toldFrom_ = start;
        toldTo_ = end;
        QAccessibleTextSelectionEvent changed(this, clampedToInt(start), clampedToInt(end));
        changed.setCursorPosition(clampedToInt(caret));
        QAccessible::updateAccessibility(&changed);
    }
    if (caret != toldCaret_) {
        toldCaret_ = caret;
        QAccessibleTextCursorEvent moved(this, clampedToInt(caret));
        QAccessible::updateAccessibility(&moved);
    }
}

// Both bars are always shown, so a new range needs no new layout of the
// scroll area: the ranges are set without signals (the scroll area would lay
// itself out again on every appended row otherwise). A value the new range
// cuts back is passed on as a scroll.
void LogbookView::updateScrollBars() {
    const auto setRange = [this](QScrollBar* bar, int page, int maximum) {
        const int before = bar->value();
        {
            const LogbookScrollBar::Batch together(bar);
            const QSignalBlocker quiet(bar);
            bar->setPageStep(page);
            bar->setRange(0, maximum);
        }
        if (bar->value() != before)
            scrollContentsBy(bar == horizontalScrollBar() ? before - bar->value() : 0,
                             bar == verticalScrollBar() ? before - bar->value() : 0);
    };
    const int rows = visibleRows();
    setRange(verticalScrollBar(), rows, clampedToInt(rowCount() - rows));
    const int width = viewport()->width();
    setRange(horizontalScrollBar(), width,
             std::max(0, static_cast<int>(std::ceil(widestRow_)) + 2 * kMargin - width));
}

void LogbookView::updateRows(std::int64_t from, std::int64_t to) {
    // Qt moves the regions waiting for a paint along with the pixels, while
    // the rows are placed where they will be after the move: while one is
    // pending, the rows are marked after it.
    if (pendingRows_ != 0) {
        if (unpaintedFrom_ == unpaintedTo_) unpaintedFrom_ = from;
        unpaintedFrom_ = std::min(unpaintedFrom_, from);
        unpaintedTo_ = std::max(unpaintedTo_, to);
        return;
    }
    const std::int64_t first = verticalScrollBar()->value();
    const std::int64_t top = std::max(from, first);
    const std::int64_t bottom = std::min(to, first + visibleRows() + 1);
    if (top >= bottom) return;
    const int h = lineHeight();
    viewport()->update(0, kMargin + static_cast<int>(top - first) * h, viewport()->width(),
                       static_cast<int>(bottom - top) * h);
}

QRect LogbookView::characterRect(Position p) const {
    const std::string text = rowCount() > 0 ? lines_.row(p.row) : std::string();
    const qreal left = kMargin - horizontalScrollBar()->value();
    const qreal x0 = xOf(text, p.column);
    const qreal x1 =
        static_cast<std::size_t>(p.column) < text.size() ? xOf(text, p.column + 1) : x0 + 1;
    const int y = kMargin + static_cast<int>(p.row - verticalScrollBar()->value()) * lineHeight();
    return QRectF(left + x0, y, x1 - x0, lineHeight()).toAlignedRect();
}

LogbookView::Position LogbookView::positionAtPoint(QPoint point) const {
    if (rowCount() == 0) return {};
    const std::int64_t r = std::clamp<std::int64_t>(verticalScrollBar()->value() +
                                                        (point.y() - kMargin) / lineHeight() -
                                                        (point.y() < kMargin ? 1 : 0),
                                                    0, rowCount() - 1);
    const std::string text = lines_.row(r);
    const qreal x = point.x() - kMargin + horizontalScrollBar()->value();
    // The nearest gap between two characters.
    qreal before = 0;
    for (std::size_t column = 0; column < text.size(); ++column) {
        const auto byte = static_cast<unsigned char>(text[column]);
        const qreal after = byte == '\t' ? nextTabStop(before) : before + advance_[byte];
        if (x < (before + after) / 2) return {r, static_cast<int>(column)};
        before = after;
    }
    return {r, static_cast<int>(text.size())};
}

void LogbookView::ensureVisible(Position p) {
    QScrollBar* v = verticalScrollBar();
    if (p.row < v->value())
        v->setValue(clampedToInt(p.row));
    else if (p.row >= v->value() + visibleRows())
        v->setValue(clampedToInt(p.row - visibleRows() + 1));
    if (rowCount() == 0) return;
    QScrollBar* h = horizontalScrollBar();
    const int x = static_cast<int>(xOf(p.row, p.column));
    const int room = viewport()->width() - 2 * kMargin;
    if (x < h->value())
        h->setValue(std::max(0, x - 20));
    else if (x > h->value() + room)
        h->setValue(x - room + 20);
}

// Paints one row: each run between tabs where the advances put it.
void LogbookView::drawRow(QPainter& painter, const std::string& text, qreal left,
                          qreal baseline) const {
    qreal x = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t tab = text.find('\t', start);
        if (tab == std::string::npos) tab = text.size();
        if (tab > start) {
            const std::string run = text.substr(start, tab - start);
            painter.drawText(QPointF(left + x, baseline), toQString(run));
            x += xOf(run, static_cast<int>(run.size()));
        }
        if (tab < text.size()) x = nextTabStop(x);
        start = tab + 1;
    }
}

void LogbookView::paintEvent(QPaintEvent* event) {
    // A paint that comes before the rows were moved (a synchronous repaint)
    // paints what it was asked to and has the whole view painted afresh.
    if (pendingRows_ != 0) {
        pendingRows_ = 0;
        unpaintedFrom_ = unpaintedTo_ = 0;
        viewport()->update();
    }
    QPainter painter(viewport());
    painter.setFont(unkerned_);
    const int h = lineHeight();
    const std::int64_t first = verticalScrollBar()->value();
    const qreal left = kMargin - horizontalScrollBar()->value();
    const QRect area = event->rect();
    const std::int64_t top = first + std::max(0, (area.top() - kMargin) / h);
    const std::int64_t bottom = std::min(rowCount() - 1, first + (area.bottom() - kMargin) / h);
    const auto [from, to] = std::minmax(anchor_, cursor_);
    const QColor textColour = palette().color(QPalette::Text);
    for (std::int64_t r = top; r <= bottom; ++r) {
        const std::string text = lines_.row(r);
        const int y = kMargin + static_cast<int>(r - first) * h;
        const qreal baseline = y + ascent_;
        painter.setPen(textColour);
        drawRow(painter, text, left, baseline);
        if (from != to && r >= from.row && r <= to.row) {
            const int c0 = r == from.row ? from.column : 0;
            const int c1 = r == to.row ? to.column : static_cast<int>(text.size());
            const qreal x0 = xOf(text, c0);
            // A selected line break shows as the width of a blank.
            const qreal x1 = xOf(text, c1) + (r < to.row ? advance_[' '] : 0);
            const QRectF selected(left + x0, y, x1 - x0, h);
            painter.fillRect(selected, palette().brush(QPalette::Highlight));
            painter.save();
            painter.setClipRect(selected);
            painter.setPen(palette().color(QPalette::HighlightedText));
            drawRow(painter, text, left, baseline);
            painter.restore();
        }
        if (hasFocus() && r == cursor_.row) {
            const qreal x = left + xOf(text, cursor_.column);
            painter.setPen(textColour);
            painter.drawLine(QPointF(x, y), QPointF(x, y + h - 1));
        }
    }
}

void LogbookView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

// Scrolling moves the painted pixels and repaints only the uncovered strip.
void LogbookView::scrollContentsBy(int dx, int dy) {
    if (dx != 0) {
        moveRowsNow();
        viewport()->scroll(dx, 0);
    }
    if (dy == 0) return;
    // Moving the painted pixels is the costly part of following the end: it
    // is done once for all rows scrolled before the window is next painted,
    // by an event of high priority that comes before any paint (Qt asks for
    // paints with low priority), and not inside each append.
    pendingRows_ += dy;
    if (!moveRequested_) {
        moveRequested_ = true;
        QCoreApplication::postEvent(this, new QEvent(kMoveRowsEvent), Qt::HighEventPriority);
    }
}

// Only the rows move: the margin above them stays empty.
void LogbookView::moveRowsNow() {
    if (pendingRows_ != 0)
        viewport()->scroll(0, pendingRows_ * lineHeight(),
                           QRect(0, kMargin, viewport()->width(), viewport()->height() - kMargin));
    pendingRows_ = 0;
    updateRows(std::exchange(unpaintedFrom_, 0), std::exchange(unpaintedTo_, 0));
}

bool LogbookView::event(QEvent* event) {
    if (event->type() != kMoveRowsEvent) return QAbstractScrollArea::event(event);
    moveRequested_ = false;
    moveRowsNow();
    return true;
}

void LogbookView::moveCursor(Position to, bool extend) {
    cursor_ = to;
    if (!extend) anchor_ = to;
    ensureVisible(cursor_);
    selectionChanged();
}

void LogbookView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    selecting_ = true;
    moveCursor(positionAtPoint(event->position().toPoint()),
               event->modifiers().testFlag(Qt::ShiftModifier));
}

void LogbookView::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_ || !event->buttons().testFlag(Qt::LeftButton)) return;
    moveCursor(positionAtPoint(event->position().toPoint()), true);
}

void LogbookView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
    selecting_ = false;
    // As in other X11 programs, a selection also becomes the primary selection.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void LogbookView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || rowCount() == 0) return;
    // The word under the pointer, by Unicode's word boundaries ("5,00" is one word).
    const Position at = positionAtPoint(event->position().toPoint());
    const QString text = row(at.row);
    int column = at.column;
    if (column > 0 &&
        (column == text.size() ||
         xOf(at.row, column) > event->position().x() - kMargin + horizontalScrollBar()->value()))
        --column;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    finder.setPosition(column);
    qsizetype start = finder.boundaryReasons().testFlag(QTextBoundaryFinder::StartOfItem)
                          ? column
                          : finder.toPreviousBoundary();
    finder.setPosition(column);
    qsizetype end = finder.toNextBoundary();
    if (start < 0) start = 0;
    if (end < 0) end = text.size();
    selecting_ = false;
    select({at.row, static_cast<int>(start)}, {at.row, static_cast<int>(end)});
}

void LogbookView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) return selectAll();
    if (event->matches(QKeySequence::Copy)) return copy();
    const std::int64_t last = std::max<std::int64_t>(0, rowCount() - 1);
    const Position c = cursor_;
    const auto lengthOf = [&](std::int64_t r) { return rowCount() == 0 ? 0 : lines_.length(r); };
    struct Move {
        QKeySequence::StandardKey move, extend;
        Position to;
    };
    const Move moves[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar,
         c.column < lengthOf(c.row) ? Position{c.row, c.column + 1}
         : c.row < last             ? Position{c.row + 1, 0}
                                    : c},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar,
         c.column > 0 ? Position{c.row, c.column - 1}
         : c.row > 0  ? Position{c.row - 1, lengthOf(c.row - 1)}
                      : c},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine,
         c.row < last ? Position{c.row + 1, std::min(c.column, lengthOf(c.row + 1))}
                      : Position{c.row, lengthOf(c.row)}},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine,
         c.row > 0 ? Position{c.row - 1, std::min(c.column, lengthOf(c.row - 1))} : Position{0, 0}},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, {c.row, 0}},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, {c.row, lengthOf(c.row)}},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, {0, 0}},
        {QKeySequence::MoveToEndOfDocument,
         QKeySequence::SelectEndOfDocument,
         {last, lengthOf(last)}},
        {QKeySequence::MoveToNextPage,
         QKeySequence::SelectNextPage,
         {std::min(last, c.row + visibleRows()),
          std::min(c.column, lengthOf(std::min(last, c.row + visibleRows())))}},
        {QKeySequence::MoveToPreviousPage,
         QKeySequence::SelectPreviousPage,
         {std::max<std::int64_t>(0, c.row - visibleRows()),
          std::min(c.column, lengthOf(std::max<std::int64_t>(0, c.row - visibleRows())))}},
    };
    for (const Move& m : moves) {
        const bool extend = event->matches(m.extend);
        if (!extend && !event->matches(m.move)) continue;
        // A page key turns the view a page, the caret keeping its place in it.
        const int page = m.move == QKeySequence::MoveToNextPage       ? visibleRows()
                         : m.move == QKeySequence::MoveToPreviousPage ? -visibleRows()
                                                                      : 0;
        if (page != 0) verticalScrollBar()->setValue(verticalScrollBar()->value() + page);
        return moveCursor(m.to, extend);
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void LogbookView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QString::fromUtf8("&Kopieren"), this, [this] { copy(); });
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction* all =
        menu.addAction(QString::fromUtf8("Alles &markieren"), this, [this] { selectAll(); });
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(rowCount() > 0);
    menu.exec(event->globalPos());
}

void LogbookView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() != QEvent::FontChange) return;
    measureFont();
    widestRow_ = 0;
    for (std::int64_t r = 0; r < rowCount(); ++r)
        widestRow_ = std::max(widestRow_, xOf(r, lines_.length(r)));
    updateScrollBars();
    viewport()->update();
}

void LogbookView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    updateRows(cursor_.row, cursor_.row + 1);
}

void LogbookView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    updateRows(cursor_.row, cursor_.row + 1);
}

}  // namespace kelvinor
