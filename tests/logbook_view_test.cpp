// The logbook control's real widget under the offscreen platform: rows,
// following the end, selection by mouse and keys, copying through the real
// clipboard, horizontal scrolling, the accessible text and bounded repaints.
#include "logger/desktop/qt/logbook_view.h"

#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolTip>
#include <string>
#include <tuple>
#include <vector>

#include "logger/desktop/qt/logbook_lines.h"

namespace kelvinor {
namespace {

// A row as the recording writes it, in CP1252 (0xB0 is the degree sign).
std::string rowText(int n) {
    return "07.12.2026\t00:00:" + std::to_string(10 + n % 50) + "  \t5,00\t30,00\t-2,00\t\xB0" +
           "C Nr. " + std::to_string(n);
}

QString shown(const std::string& cp1252) {
    return QString::fromLatin1(cp1252.data(), static_cast<qsizetype>(cp1252.size()));
}

struct Shown {
    LogbookView view;
    Shown() {
        view.resize(400, 200);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QPoint at(std::int64_t row, int column) {
        return view.characterRect({row, column}).center() -
               QPoint(view.characterRect({row, column}).width() / 2, 0);
    }
};

TEST(LogbookLines, RowsAcrossChunkBordersComeBackWhole) {
    // Rows of many lengths, some longer than a chunk, so that rows and their
    // line feeds straddle the borders of the 1 MiB chunks.
    LogbookLines lines;
    std::vector<std::string> rows;
    std::string all;
    for (int i = 0; i < 3000; ++i) {
        const std::size_t length =
            i % 997 == 0 ? (1u << 20) + 5 : static_cast<std::size_t>(i * 37 % 1500);
        std::string r(length, static_cast<char>('a' + i % 26));
        rows.push_back(r);
        lines.append(r);
        all += (i ? "\n" : "") + r;
    }
    ASSERT_EQ(lines.count(), 3000);
    for (int i = 0; i < 3000; i += 7) {
        EXPECT_EQ(lines.row(i), rows[i]) << i;
        EXPECT_EQ(lines.length(i), static_cast<int>(rows[i].size()));
        EXPECT_EQ(lines.rowAt(lines.start(i)), i);
        if (!rows[i].empty()) {
            EXPECT_EQ(lines.rowAt(lines.start(i) + lines.length(i) - 1), i);
        }
    }
    EXPECT_EQ(lines.textLength(), static_cast<std::int64_t>(all.size()));
    EXPECT_EQ(lines.text(0, lines.textLength()), all);
    EXPECT_EQ(lines.text(1'048'570, 1'048'590), all.substr(1'048'570, 20));
    lines.clear();
    EXPECT_EQ(lines.count(), 0);
    EXPECT_EQ(lines.textLength(), 0);
}

TEST(LogbookView, RowsTabsUmlautsAndLineBreaksLikeAPlainTextEdit) {
    LogbookView view;
    struct Case {
        std::vector<std::string> appended;
        QString text;
        std::int64_t rows;
    };
    const Case cases[] = {
        {{}, "", 0},
        {{""}, "", 1},
        {{"a\tb", "\xC4rger \xFC"}, QString::fromUtf8("a\tb\nÄrger ü"), 2},
        {{"eins\r\nzwei\rdrei\nvier"}, "eins\nzwei\ndrei\nvier", 4},
        {{"Ende\r\n"}, "Ende\n", 2},
    };
    for (const Case& c : cases) {
        view.clear();
        for (const std::string& line : c.appended) view.appendLine(line);
        EXPECT_EQ(view.toPlainText(), c.text);
        EXPECT_EQ(view.rowCount(), c.rows);
    }
    view.setPlainText("Kopf 1\r\nKopf 2");
    EXPECT_EQ(view.toPlainText(), "Kopf 1\nKopf 2");
    view.setPlainText("");
    EXPECT_EQ(view.rowCount(), 0);
}

TEST(LogbookView, FollowsTheEndUnlessTheUserScrolledAway) {
    Shown s;
    QScrollBar* bar = s.view.verticalScrollBar();
    for (int i = 0; i < 100; ++i) s.view.appendLine(rowText(i));
    EXPECT_GT(bar->maximum(), 50);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(10);  // the user scrolls up to read
    for (int i = 100; i < 105; ++i) s.view.appendLine(rowText(i));
    EXPECT_EQ(bar->value(), 10);
    bar->setValue(bar->maximum());  // and back to the end
    s.view.appendLine(rowText(105));
    EXPECT_EQ(bar->value(), bar->maximum());
    s.view.clear();
    EXPECT_EQ(bar->maximum(), 0);
    s.view.appendLine(rowText(0));
    EXPECT_EQ(bar->value(), 0);
}

TEST(LogbookView, SelectionByMouseAndShiftClickAndDoubleClick) {
    Shown s;
    s.view.appendLine("06.12.2026\t23:31:05  \t5,00\t30,00");
    s.view.appendLine("zweite Zeile");
    QWidget* port = s.view.viewport();
    // Drag from the start of the first row to after "zweite".
    QTest::mousePress(port, Qt::LeftButton, {}, s.at(0, 0));
    QTest::mouseMove(port, s.at(1, 6));
    QTest::mouseRelease(port, Qt::LeftButton, {}, s.at(1, 6));
    EXPECT_EQ(s.view.selectedText(), "06.12.2026\t23:31:05  \t5,00\t30,00\nzweite");
    // A click elsewhere, then shift-click: from the click to the shift-click.
    QTest::mouseClick(port, Qt::LeftButton, {}, s.at(1, 7));
    EXPECT_EQ(s.view.selectedText(), "");
    QTest::mouseClick(port, Qt::LeftButton, Qt::ShiftModifier, s.at(1, 12));
    EXPECT_EQ(s.view.selectedText(), "Zeile");
    // A double click selects the word: "5,00" is one word, so is "Zeile".
    QTest::mouseDClick(port, Qt::LeftButton, {}, s.at(0, 23));
    EXPECT_EQ(s.view.selectedText(), "5,00");
    QTest::mouseDClick(port, Qt::LeftButton, {}, s.at(1, 9));
    EXPECT_EQ(s.view.selectedText(), "Zeile");
}

TEST(LogbookView, KeysSelectAndCtrlACtrlCCopyExactlyTheText) {
    Shown s;
    const std::vector<std::string> rows = {"Kopfzeile mit \xC4", "a\tb\tc", rowText(1)};
    for (const std::string& r : rows) s.view.appendLine(r);
    s.view.setFocus();
    struct Case {
        std::vector<std::pair<int, Qt::KeyboardModifiers>> keys;
        QString selected;
    };
    const Case cases[] = {
        {{{Qt::Key_Home, Qt::ControlModifier},
          {Qt::Key_Right, Qt::ShiftModifier},
          {Qt::Key_Right, Qt::ShiftModifier}},
         "Ko"},
        {{{Qt::Key_Home, Qt::ControlModifier},
          {Qt::Key_Down, {}},
          {Qt::Key_End, Qt::ShiftModifier}},
         "a\tb\tc"},
        {{{Qt::Key_End, Qt::ControlModifier},
          {Qt::Key_Up, Qt::ShiftModifier},
          {Qt::Key_Home, Qt::ShiftModifier}},
         "a\tb\tc\n" + shown(rowText(1))},
        {{{Qt::Key_Home, Qt::ControlModifier}, {Qt::Key_Left, Qt::ShiftModifier}}, ""},
    };
    for (const Case& c : cases) {
        for (const auto& [key, modifiers] : c.keys)
            QTest::keyClick(&s.view, Qt::Key(key), modifiers);
        EXPECT_EQ(s.view.selectedText(), c.selected);
    }
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&s.view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&s.view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromUtf8("Kopfzeile mit Ä\na\tb\tc\n") + shown(rowText(1)));
    // Typing changes nothing: the logbook is read-only.
    QTest::keyClicks(&s.view, "xyz");
    QTest::keyClick(&s.view, Qt::Key_Backspace);
    EXPECT_EQ(s.view.toPlainText(),
              QString::fromUtf8("Kopfzeile mit Ä\na\tb\tc\n") + shown(rowText(1)));
}

TEST(LogbookView, ALongRowScrollsHorizontally) {
    Shown s;
    s.view.appendLine("kurz");
    QScrollBar* bar = s.view.horizontalScrollBar();
    EXPECT_EQ(bar->maximum(), 0);
    s.view.appendLine(std::string(400, 'W') + "\tEnde");
    EXPECT_GT(bar->maximum(), 1000);
    s.view.setFocus();
    QTest::keyClick(&s.view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_GT(bar->value(), 1000);  // the caret at the row's end is in view
    const QRect caret = s.view.characterRect(s.view.cursor());
    EXPECT_TRUE(s.view.viewport()->rect().contains(caret.topLeft())) << caret.x();
    QTest::keyClick(&s.view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(bar->value(), 0);
}

// A page key turns the view a whole page and takes the caret with it.
TEST(LogbookView, PageKeysTurnAPagePerPress) {
    Shown s;
    for (int n = 0; n < 200; ++n) s.view.appendLine(rowText(n));
    s.view.setFocus();
    QTest::keyClick(&s.view, Qt::Key_Home, Qt::ControlModifier);
    QScrollBar* bar = s.view.verticalScrollBar();
    const int page = bar->pageStep();
    ASSERT_GT(page, 2);
    const std::pair<Qt::Key, int> presses[] = {
        {Qt::Key_PageDown, 1}, {Qt::Key_PageDown, 2}, {Qt::Key_PageUp, 1}, {Qt::Key_PageUp, 0}};
    for (const auto& [key, pages] : presses) {
        QTest::keyClick(&s.view, key);
        EXPECT_EQ(bar->value(), pages * page) << pages;
        EXPECT_EQ(s.view.cursor().row, pages * page) << pages;
    }
}

TEST(LogbookView, TheAccessibleTextIsTheLogbook) {
    Shown s;
    s.view.appendLine("Kopf \xFC");
    s.view.appendLine("06.12.2026\t23:31:05");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&s.view);
    ASSERT_NE(accessible, nullptr);
    QAccessibleTextInterface* text = accessible->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(accessible->state().readOnly);
    EXPECT_TRUE(accessible->state().multiLine);
    const QString expected = QString::fromUtf8("Kopf ü\n06.12.2026\t23:31:05");
    EXPECT_EQ(text->characterCount(), expected.size());
    EXPECT_EQ(text->text(0, text->characterCount()), expected);
    EXPECT_EQ(accessible->text(QAccessible::Value), expected);
    EXPECT_EQ(text->text(7, 17), "06.12.2026");
    text->setSelection(0, 7, 17);
    EXPECT_EQ(s.view.selectedText(), "06.12.2026");
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(7, 17));
    EXPECT_EQ(text->selectionCount(), 1);
    text->removeSelection(0);
    EXPECT_EQ(text->selectionCount(), 0);
    // The character under a point and back.
    const QRect r = text->characterRect(10);  // the "1" of "06.12"
    EXPECT_EQ(text->offsetAtPoint(r.topLeft() + QPoint(1, r.height() / 2)), 10);
}

// Counts the viewport's paint events and the area they cover.
struct PaintCounter : QObject {
    int events = 0;
    int height = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++events;
            height += static_cast<QPaintEvent*>(event)->region().boundingRect().height();
        }
        return false;
    }
};

// The word, line and sentence at, before and after every offset come from
// the rows around it, and are exactly what Qt answers from the whole text.
TEST(LogbookView, TextAtOffsetsIsWhatTheWholeTextGives) {
    Shown s;
    for (const char* row :
         {"Kopf \xFC"
          "ber alles. Zweiter Satz!",
          "", "06.12.2026\t23:31:05  \t5,00\t-2,50", "'+' an Sensor Nr. 1/ID DemoSensor 1/'S1'", "",
          "", "x", "\t", "07.12.2026\t00:00:01\t", "Ende."})
        s.view.appendLine(row);
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(&s.view)->textInterface();
    // Each query as the program answers it, and as Qt's base class answers
    // it from the whole text.
    using Query = QString (*)(QAccessibleTextInterface*, int, QAccessible::TextBoundaryType, int*,
                              int*, bool whole);
    const std::pair<const char*, Query> queries[] = {
        {"before",
         [](QAccessibleTextInterface* t, int o, QAccessible::TextBoundaryType b, int* s, int* e,
            bool whole) {
             return whole ? t->QAccessibleTextInterface::textBeforeOffset(o, b, s, e)
                          : t->textBeforeOffset(o, b, s, e);
         }},
        {"at",
         [](QAccessibleTextInterface* t, int o, QAccessible::TextBoundaryType b, int* s, int* e,
            bool whole) {
             return whole ? t->QAccessibleTextInterface::textAtOffset(o, b, s, e)
                          : t->textAtOffset(o, b, s, e);
         }},
        {"after", [](QAccessibleTextInterface* t, int o, QAccessible::TextBoundaryType b, int* s,
                     int* e, bool whole) {
             return whole ? t->QAccessibleTextInterface::textAfterOffset(o, b, s, e)
                          : t->textAfterOffset(o, b, s, e);
         }}};
    const QAccessible::TextBoundaryType types[] = {
        QAccessible::CharBoundary,      QAccessible::WordBoundary, QAccessible::SentenceBoundary,
        QAccessible::ParagraphBoundary, QAccessible::LineBoundary, QAccessible::NoBoundary};
    for (int offset = 0; offset <= text->characterCount() + 1; ++offset)
        for (const auto& [name, query] : queries)
            for (const QAccessible::TextBoundaryType type : types) {
                int start = -1, end = -1, wholeStart = -1, wholeEnd = -1;
                const QString answer = query(text, offset, type, &start, &end, false);
                if (type == QAccessible::SentenceBoundary && offset >= text->characterCount()) {
                    // Qt's own query never returns here: the program answers nothing.
                    EXPECT_EQ(std::tuple(answer, start, end), std::tuple(QString(), -1, -1));
                    continue;
                }
                const QString whole = query(text, offset, type, &wholeStart, &wholeEnd, true);
                EXPECT_EQ(std::tuple(answer, start, end), std::tuple(whole, wholeStart, wholeEnd))
                    << name << " " << offset << " type " << type;
            }
}

// Every caret key tells assistive technology where the caret went.
TEST(LogbookView, EveryCaretMoveIsAnnounced) {
    Shown s;
    for (int n = 0; n < 100; ++n) s.view.appendLine(rowText(n));
    s.view.setFocus();
    QTest::keyClick(&s.view, Qt::Key_Home, Qt::ControlModifier);
    static std::vector<int> carets;
    carets.clear();
    QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        if (event->type() == QAccessible::TextCaretMoved)
            carets.push_back(static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition());
    });
    QPlatformAccessibility* accessibility =
        QGuiApplicationPrivate::platformIntegration()->accessibility();
    ASSERT_NE(accessibility, nullptr);
    accessibility->setActive(true);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Right, {}},
                                                              {Qt::Key_Right, {}},
                                                              {Qt::Key_Down, {}},
                                                              {Qt::Key_End, {}},
                                                              {Qt::Key_Home, {}},
                                                              {Qt::Key_PageDown, {}},
                                                              {Qt::Key_PageUp, {}},
                                                              {Qt::Key_Right, Qt::ShiftModifier},
                                                              {Qt::Key_Left, {}},
                                                              {Qt::Key_End, Qt::ControlModifier},
                                                              {Qt::Key_Home, Qt::ControlModifier}};
    std::vector<int> expected;
    for (const auto& [key, modifiers] : keys) {
        QTest::keyClick(&s.view, key, modifiers);
        expected.push_back(static_cast<int>(s.view.offsetOf(s.view.cursor())));
    }
    QAccessible::installUpdateHandler(nullptr);
    accessibility->setActive(false);
    EXPECT_EQ(carets, expected);
}

TEST(LogbookView, AnAppendedRowRepaintsOnlyWhatChanged) {
    Shown s;
    for (int i = 0; i < 1000; ++i) s.view.appendLine(rowText(i));
    QCoreApplication::processEvents();
    PaintCounter counter;
    s.view.viewport()->installEventFilter(&counter);
    const int rowHeight = s.view.fontMetrics().lineSpacing();
    for (int i = 0; i < 20; ++i) {
        s.view.appendLine(rowText(1000 + i));
        // The move of the rows, then (on the loop's next turn) their paint.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(counter.events, 20);
    // About one row each (the new row, the strip uncovered by the scroll).
    EXPECT_LE(counter.height, 20 * 3 * rowHeight);
    // Scrolled away from the end, an append below the view repaints nothing.
    s.view.verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    counter.events = 0;
    s.view.appendLine(rowText(2000));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.events, 0);
}

// What the screen shows of a view's rows (the window system's copy, not a
// fresh rendering).
QImage onScreen(LogbookView& view) {
    QCoreApplication::processEvents();
    const QPoint at = view.viewport()->mapTo(&view, QPoint(0, 0));
    return view.screen()
        ->grabWindow(view.winId(), at.x(), at.y(), view.viewport()->width(),
                     view.viewport()->height())
        .toImage();
}

TEST(LogbookView, WhatTheScreenShowsFollowsTheRowsHoweverThePaintsCome) {
    Shown plain, hurried;
    for (int i = 0; i < 100; ++i) {
        plain.view.appendLine(rowText(i));
        hurried.view.appendLine(rowText(i));
    }
    QCoreApplication::processEvents();
    for (int i = 100; i < 103; ++i) {
        plain.view.appendLine(rowText(i));
        QCoreApplication::processEvents();
        // A synchronous repaint before the scrolled rows were moved.
        hurried.view.appendLine(rowText(i));
        hurried.view.viewport()->repaint(0, 0, 50, 20);
        QCoreApplication::processEvents();
    }
    const QImage expected = onScreen(plain.view);
    EXPECT_FALSE(expected.isNull());
    EXPECT_EQ(onScreen(hurried.view), expected);
    // Several rows between two paints are moved at once, and show the same.
    for (int i = 103; i < 110; ++i) hurried.view.appendLine(rowText(i));
    for (int i = 103; i < 110; ++i)
        plain.view.appendLine(rowText(i)), QCoreApplication::processEvents();
    EXPECT_EQ(onScreen(hurried.view), onScreen(plain.view));
}

// A view whose last row is cut by its lower edge begins to follow the end
// with several rows at once (the end block after a short recording): every
// row shows, the first of them too.
TEST(LogbookView, RowsThatStartTheFollowingAllShow) {
    for (const int height : {200, 205, 211}) {
        Shown plain, hurried;
        plain.view.resize(400, height);
        hurried.view.resize(400, height);
        QCoreApplication::processEvents();
        const int fit =
            hurried.view.viewport()->height() / hurried.view.fontMetrics().lineSpacing();
        for (int before : {fit - 2, fit - 1}) {
            plain.view.clear();
            hurried.view.clear();
            for (int i = 0; i < before; ++i) {
                plain.view.appendLine(rowText(i));
                hurried.view.appendLine(rowText(i));
            }
            QCoreApplication::processEvents();
            for (int i = before; i < before + 5; ++i) hurried.view.appendLine(rowText(i));
            for (int i = before; i < before + 5; ++i) {
                plain.view.appendLine(rowText(i));
                QCoreApplication::processEvents();
            }
            EXPECT_EQ(onScreen(hurried.view), onScreen(plain.view)) << height << " " << before;
        }
    }
}

// What the screen shows of the vertical scroll bar.
QImage barOnScreen(LogbookView& view) {
    QCoreApplication::processEvents();
    QScrollBar* bar = view.verticalScrollBar();
    const QPoint at = bar->mapTo(&view, QPoint(0, 0));
    return view.screen()
        ->grabWindow(view.winId(), at.x(), at.y(), bar->width(), bar->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Dragging the slider through a long logbook leaves no trace in the track:
// the bar on screen is what a fresh painting of it shows.
TEST(LogbookView, ADraggedSliderLeavesNoTraceInTheTrack) {
    Shown s;
    s.view.resize(400, 400);
    for (int i = 0; i < 200'000; ++i) s.view.appendLine(rowText(i));
    QCoreApplication::processEvents();
    QScrollBar* bar = s.view.verticalScrollBar();
    const auto sliderCentre = [&] {
        QStyleOptionSlider o;
        o.initFrom(bar);
        o.orientation = Qt::Vertical;
        o.minimum = bar->minimum();
        o.maximum = bar->maximum();
        o.sliderPosition = bar->sliderPosition();
        o.sliderValue = bar->value();
        o.pageStep = bar->pageStep();
        o.singleStep = bar->singleStep();
        return bar->style()
            ->subControlRect(QStyle::CC_ScrollBar, &o, QStyle::SC_ScrollBarSlider, bar)
            .center();
    };
    QPoint at = sliderCentre();
    QTest::mousePress(bar, Qt::LeftButton, {}, at);
    for (const int dy : {-3, -40, -7, -90, 5, -1, -200, 30}) {
        at.ry() = std::max(0, at.y() + dy);
        QMouseEvent move(QEvent::MouseMove, at, bar->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &move);
        QCoreApplication::processEvents();
        EXPECT_EQ(barOnScreen(s.view), bar->grab().toImage().convertToFormat(QImage::Format_RGB32))
            << "after " << dy;
    }
    QTest::mouseRelease(bar, Qt::LeftButton, {}, at);
    EXPECT_EQ(barOnScreen(s.view), bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
}

TEST(LogbookView, TheToolTipShowsOverTheRows) {
    Shown s;
    s.view.setToolTip("Logbuch");
    s.view.appendLine(rowText(1));
    const QPoint inside(50, 10);
    QHelpEvent help(QEvent::ToolTip, inside, s.view.viewport()->mapToGlobal(inside));
    QCoreApplication::sendEvent(s.view.viewport(), &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "Logbuch");
    QToolTip::hideText();
}

TEST(LogbookView, TheScrollBarRepaintsOnlyWhenItsSliderMoves) {
    Shown s;
    for (int i = 0; i < 20'000; ++i) s.view.appendLine(rowText(i));
    QCoreApplication::processEvents();
    PaintCounter bar;
    s.view.verticalScrollBar()->installEventFilter(&bar);
    for (int i = 0; i < 20; ++i) {
        s.view.appendLine(rowText(20'000 + i));
        QCoreApplication::processEvents();
    }
    // Twenty more rows of twenty thousand move the slider a pixel at most.
    EXPECT_LE(bar.events, 2);
    // A jump to the top moves it, and it is repainted.
    bar.events = 0;
    s.view.verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    EXPECT_GE(bar.events, 1);
}

}  // namespace
}  // namespace kelvinor
