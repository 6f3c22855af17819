#pragma once
// LogbookView: the logbook control for an append-only log that grows for
// months. The rows are kept compactly (LogbookLines) and only the visible
// rows are laid out and painted; appending a row touches no earlier row.
// Tabs go to stops every 80 pixels, as in a plain-text edit.
#include <QAbstractScrollArea>
#include <QFont>
#include <QString>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string>

#include "logger/desktop/qt/logbook_lines.h"

class QMenu;
class QPainter;

namespace kelvinor {

// A row or character offset as the int that Qt's scroll bars and
// accessibility interface take (offsets past INT_MAX are held at it).
inline int clampedToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, INT_MAX));
}

class LogbookView : public QAbstractScrollArea {
    Q_OBJECT

  public:
    struct Position {
        std::int64_t row = 0;
        int column = 0;
        auto operator<=>(const Position&) const = default;
    };

    explicit LogbookView(QWidget* parent = nullptr);

    // The program's CP1252 texts; a text with line breaks becomes several rows.
    void appendLine(const std::string& cp1252);
    void setPlainText(const std::string& cp1252);
    void clear();

    std::int64_t rowCount() const { return lines_.count(); }
    QString row(std::int64_t row) const;
    QString toPlainText() const;
    QString selectedText() const;
    void selectAll();
    void copy() const;
    void select(Position anchor, Position cursor);
    Position anchor() const { return anchor_; }
    Position cursor() const { return cursor_; }
    // Offsets of the whole text, as the accessible text interface counts them.
    std::int64_t offsetOf(Position p) const { return lines_.start(p.row) + p.column; }
    Position positionAt(std::int64_t offset) const;
    QString text(std::int64_t from, std::int64_t to) const;
    std::int64_t textLength() const { return lines_.textLength(); }
    // Where a position is drawn, in viewport coordinates.
    QRect characterRect(Position p) const;
    Position positionAtPoint(QPoint viewportPoint) const;
    void ensureVisible(Position p);

    static constexpr qreal kTabStop = 80.0;
    static constexpr int kMargin = 4;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void addRow(std::string_view cp1252);
    void measureFont();
    void drawRow(QPainter& painter, const std::string& text, qreal left, qreal baseline) const;
    qreal xOf(std::string_view cp1252, int column) const;
    qreal xOf(std::int64_t row, int column) const { return xOf(lines_.row(row), column); }
    int lineHeight() const;
    int visibleRows() const;
    void updateScrollBars();
    void updateRows(std::int64_t from, std::int64_t to);
    bool hasSelection() const { return anchor_ != cursor_; }
    void moveCursor(Position to, bool extend);
    void selectionChanged();
    void moveRowsNow();

    // The widget's font without kerning, so that a row's width is the sum of
    // its characters' advances (one per CP1252 byte, measured once per font)
    // and the painted text stands exactly where that sum puts it.
    QFont unkerned_;
    std::array<qreal, 256> advance_{};
    qreal ascent_ = 0;
    LogbookLines lines_;
    qreal widestRow_ = 0;
    Position anchor_, cursor_;
    // What assistive technology was last told: the caret's offset and the
    // selection's (-1 before the first event).
    std::int64_t toldCaret_ = -1, toldFrom_ = -1, toldTo_ = -1;
    bool selecting_ = false;
    // Rows scrolled but not yet moved on screen (see scrollContentsBy).
    int pendingRows_ = 0;
    bool moveRequested_ = false;
    // Rows to repaint once the pending move is done (first, end).
    std::int64_t unpaintedFrom_ = 0, unpaintedTo_ = 0;
};

}  // namespace kelvinor
