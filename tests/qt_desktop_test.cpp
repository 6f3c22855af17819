// The Qt desktop's real widgets under the offscreen platform.
#include "logger/desktop/qt/qt_desktop.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "logger/application/main_window.h"
#include "logger/application/startup.h"
#include "logger/constants/control_ids.h"
#include "logger/desktop/qt/logbook_view.h"
#include "logger/desktop/qt/qt_text.h"
#include "logger/features/bus/measurement.h"
#include "logger/features/bus/port_scan.h"
#include "logger/features/bus/sensor_buses.h"
#include "logger/text/cp1252.h"
#include "tests/support/bus_fixtures.h"
#include "tests/support/modal_helper.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;

QColor rgb(int r, int g, int b) {
    return QColor(r, g, b);
}

// A host with the real Qt desktop and the fake clock.
struct QtScenario {
    TemporaryWorkFolder folder;
    FakeClock clock{2026, 12, 6, 23, 31, 5};
    QtDesktop desktop;
    RecordingSoundOutput sound{clock, false};
    std::unique_ptr<ProgramStarter> ownStarter = makeProgramStarter();
    ProgramStarter& starter = *ownStarter;
    Host host{desktop, clock, sound, starter, [] { return true; }};
    ProgramState state;

    QtScenario() {
        state.demoMode = 1;
        chooseSensorBus(state);
        state.soundEnabled = 1;
        state.colourGrey = kLightGrey;
        state.colourBlue = kBlue;
        state.colourRed = kRed;
        state.sensorPort = 1;
        clearScheduleTexts(state);
        buildSensorTable(state);
    }
    template <typename T>
    T* control(int id) {
        return qobject_cast<T*>(desktop.control(id));
    }
};

TEST(QtDesktop, MainWindowGeometryKindsTextsColoursAndTooltips) {
    QtScenario s;
    writeFile("Kelvinor.txt", "x");
    createMainWindowControls(s.state, s.host);
    QWidget* window = s.desktop.window(mainWindow);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Kelvinor für 1-Wire-Sensoren"));
    EXPECT_EQ(window->size(), QSize(800, 650));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());  // not resizable
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->geometry().center().x() / 2, screen.center().x() / 2);  // centred

    struct Expect {
        int id;
        const char* type;
        QRect geometry;
        const char* text;
    };
    const Expect expected[] = {
        {6,
         "QLabel",
         {10, 10, 780, 30},
         "Logbuch-Fenster:\n(Der Text in diesem Fenster kann mit 'STRG-A' markiert, mit 'STRG-C' "
         "kopiert und mit 'STRG-V' in eine andere Anwendung eingefügt werden!)"},
        {20, "QLineEdit", {167, 625, 465, 20}, "STATUS: Das Kelvinor ist bereit..."},
        {11, "kelvinor::LogbookView", {10, 40, 780, 510}, ""},
        {12, "QPushButton", {167, 595, 150, 20}, "Sensoren-Namen ändern"},
        {13, "QPushButton", {482, 595, 150, 20}, "Datenerfassung STARTEN"},
        {14, "QPushButton", {639, 595, 150, 20}, "Datenerfassung BEENDEN"},
        {15, "QPushButton", {324, 595, 150, 20}, "Sensoren-Alarmwerte ändern"},
        {16, "QPushButton", {10, 595, 150, 20}, "Sensoren-Sofort-Abfrage"},
        {17, "QPushButton", {10, 625, 150, 20}, "Datum && Uhrzeit (EIN/AUS)"},
        {18, "QPushButton", {639, 625, 150, 20}, "Brenwick-Homepage"},
        {19, "QPushButton", {760, 10, 30, 20}, "Info"},
        {8,
         "QLabel",
         {10, 555, 780, 20},
         ">>> Die Datenaufzeichnung erfolgt in Abständen von ungefähr - Sekunde(n)  =  - Minute(n) "
         " =  - Stunde(n)  =  - Tag(e) <<<"},
        {9,
         "QLabel",
         {10, 575, 390, 20},
         "Die letzte Aufzeichnung war am: ------- den --.--.-- um --:--:--"},
        {10,
         "QLabel",
         {400, 575, 390, 20},
         "Die nächste Aufzeichnung ist am: ------- den --.--.-- um --:--:--"},
    };
    for (const Expect& e : expected) {
        QWidget* w = s.desktop.control(e.id);
        ASSERT_NE(w, nullptr) << e.id;
        EXPECT_STREQ(w->metaObject()->className(), e.type) << e.id;
        EXPECT_EQ(w->geometry(), e.geometry) << e.id;
        EXPECT_EQ(w->parentWidget(), window) << e.id;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
        if (auto* field = qobject_cast<QLineEdit*>(w)) text = field->text();
        if (auto* button = qobject_cast<QPushButton*>(w)) text = button->text();
        if (auto* editor = qobject_cast<LogbookView*>(w)) text = editor->toPlainText();
        EXPECT_EQ(text, QString::fromUtf8(e.text)) << e.id;
    }
    EXPECT_EQ(s.control<QPushButton>(17)->toolTip(),
              QString::fromUtf8("Schalter: Hier können Sie das aktuelle Datum und die aktuelle "
                                "Uhrzeit, in einem separaten Fenster, permanent ein- oder "
                                "ausblenden!"));
    EXPECT_EQ(s.control<QLineEdit>(statusLine)->toolTip(),
              "Status-Fenster: Hier sehen Sie den momentanen Programmstatus!");
    EXPECT_TRUE(s.control<QPushButton>(19)->toolTip().isEmpty());
    // Status line: read-only, centred, grey background, blue text.
    QLineEdit* status = s.control<QLineEdit>(statusLine);
    EXPECT_TRUE(status->isReadOnly());
    EXPECT_EQ(status->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_EQ(status->palette().color(QPalette::Base), rgb(192, 192, 192));
    EXPECT_EQ(status->palette().color(QPalette::Text), rgb(0, 0, 255));
    EXPECT_EQ(s.control<QLabel>(lastRecordLine)->palette().color(QPalette::WindowText),
              rgb(0, 0, 255));
    EXPECT_EQ(s.control<QLabel>(nextRecordLine)->palette().color(QPalette::WindowText),
              rgb(255, 0, 0));
    EXPECT_EQ(s.control<QLabel>(intervalLine)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    // Logbook: both scroll bars (read-only and without a length limit by its making).
    LogbookView* book = s.control<LogbookView>(logbook);
    EXPECT_EQ(book->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(book->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // Buttons: stop disabled, start and stop default buttons, the clock a toggle.
    EXPECT_FALSE(s.control<QPushButton>(stopButton)->isEnabled());
    EXPECT_TRUE(s.control<QPushButton>(startButton)->isDefault());
    EXPECT_TRUE(s.control<QPushButton>(stopButton)->isDefault());
    EXPECT_TRUE(s.control<QPushButton>(clockToggle)->isCheckable());
    EXPECT_FALSE(s.control<QPushButton>(clockToggle)->isChecked());
    for (int id : {12, 13, 15, 16, 17, 18, 19})
        EXPECT_TRUE(s.desktop.control(id)->isEnabled()) << id;
}

TEST(QtDesktop, InfoButtonOnlyWithTheFile) {
    QtScenario s;
    createMainWindowControls(s.state, s.host);
    EXPECT_EQ(s.desktop.control(infoButton), nullptr);
    s.desktop.setEnabled(infoButton, false);  // no such control: nothing happens
    EXPECT_FALSE(s.desktop.hasControl(infoButton));
}

TEST(QtDesktop, LogbookKeepsTabsAndSelectsAll) {
    QtScenario s;
    createMainWindowControls(s.state, s.host);
    s.desktop.appendLogbookLine(logbook,
                                "06.12.2026\t23:31:05  \t5,00\t\xB0"
                                "C");
    s.desktop.appendLogbookLine(logbook, "zweite");
    LogbookView* book = s.control<LogbookView>(logbook);
    EXPECT_EQ(book->toPlainText(), QString::fromUtf8("06.12.2026\t23:31:05  \t5,00\t°C\nzweite"));
    book->setFocus();
    QTest::keyClick(book, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(book->selectedText(), book->toPlainText());
    s.desktop.clearLogbook(logbook);
    EXPECT_TRUE(book->toPlainText().isEmpty());
}

TEST(QtDesktop, ClicksAndTheCloseBoxBecomeEvents) {
    QtScenario s;
    createMainWindowControls(s.state, s.host);
    EXPECT_FALSE(s.desktop.waitForEvent(0).has_value());
    // A click through the window system, as in the message box test where it must be blocked.
    QTimer::singleShot(20, [&] {
        QTest::mouseClick(s.desktop.window(mainWindow)->windowHandle(), Qt::LeftButton, {},
                          s.desktop.control(clockToggle)->geometry().center());
    });
    std::optional<WindowEvent> event;
    for (int i = 0; i < 50 && !event; ++i) event = s.desktop.waitForEvent(100);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->kind, WindowEvent::Kind::Control);
    EXPECT_EQ(event->control, clockToggle);
    EXPECT_TRUE(s.control<QPushButton>(clockToggle)->isChecked());  // the toggle flips itself
    s.desktop.setChecked(clockToggle, false);
    EXPECT_FALSE(s.control<QPushButton>(clockToggle)->isChecked());

    QTimer::singleShot(20, [&] { s.desktop.window(mainWindow)->close(); });
    event.reset();
    for (int i = 0; i < 50 && !event; ++i) event = s.desktop.waitForEvent(100);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->kind, WindowEvent::Kind::CloseRequest);
    EXPECT_EQ(event->window, mainWindow);
    EXPECT_TRUE(s.desktop.window(mainWindow)->isVisible());  // the program decides
}

TEST(QtDesktop, InputOutsideTheWaitIsNotTakenButClicksOnEnabledButtonsAreKept) {
    QtScenario s;
    createMainWindowControls(s.state, s.host);
    QWindow* window = s.desktop.window(mainWindow)->windowHandle();
    auto centre = [&](int id) { return s.desktop.control(id)->geometry().center(); };
    auto takeAll = [&] {
        std::vector<int> controls;
        while (auto event = s.desktop.waitForEvent(0)) controls.push_back(event->control);
        return controls;
    };
    s.desktop.setEnabled(stopButton, false);
    // Outside the wait: a click on an enabled button is kept, the button itself
    // never sees it; a click on a disabled one and a key press are dropped.
    QTest::mouseClick(window, Qt::LeftButton, {}, centre(clockToggle));
    QTest::mouseClick(window, Qt::LeftButton, {}, centre(stopButton));
    QTest::keyClick(window, Qt::Key_Space);
    s.desktop.serveWithoutInput(0);
    EXPECT_TRUE(s.desktop.hasPendingEvent(
        [](const WindowEvent& e) { return e.kind == WindowEvent::Kind::Control; }));
    EXPECT_FALSE(s.control<QPushButton>(clockToggle)->isChecked());
    EXPECT_EQ(takeAll(), std::vector<int>{clockToggle});

    // A press outside the wait whose release never came does not swallow the
    // release of a later click that the button takes itself.
    QTest::mousePress(window, Qt::LeftButton, {}, centre(instantQueryButton));
    s.desktop.serveWithoutInput(0);
    QTimer::singleShot(
        20, [&] { QTest::mouseClick(window, Qt::LeftButton, {}, centre(instantQueryButton)); });
    std::optional<WindowEvent> event;
    for (int i = 0; i < 50 && !event; ++i) event = s.desktop.waitForEvent(100);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->control, instantQueryButton);
    EXPECT_FALSE(s.control<QPushButton>(instantQueryButton)->isDown());
    EXPECT_TRUE(takeAll().empty());  // one click, one event
}

struct PromptCase {
    const char* name;
    std::function<void(QDialog*, QLineEdit*)> act;
    std::string expected;
};

TEST(QtDesktop, PromptGeometryAndAnswers) {
    const PromptCase cases[] = {
        {"typed and Enter",
         [](QDialog*, QLineEdit* field) {
             QTest::keyClicks(field, " K");
             QTest::sendKeyEvent(QTest::Click, field, Qt::Key_Udiaeresis, QString::fromUtf8("ü"),
                                 Qt::NoModifier);
             QTest::keyClicks(field, "hlraum");
             QTest::keyClick(field, Qt::Key_Return);
         },
         "Vorgabe K\xFChlraum"},
        {"Escape over the default",
         [](QDialog*, QLineEdit* field) { QTest::keyClick(field, Qt::Key_Escape); }, ""},
        {"emptied and Enter",
         [](QDialog*, QLineEdit* field) {
             field->selectAll();
             QTest::keyClick(field, Qt::Key_Delete);
             QTest::keyClick(field, Qt::Key_Enter);
         },
         ""},
        {"OK button",
         [](QDialog* dialog, QLineEdit*) {
             for (QPushButton* b : dialog->findChildren<QPushButton*>())
                 if (b->text() == "OK") QTest::mouseClick(b, Qt::LeftButton);
         },
         "Vorgabe"},
        {"close request", [](QDialog* dialog, QLineEdit*) { dialog->close(); }, ""},
        // A one-line field keeps what stands before the first line break of a paste.
        {"pasted lines at the end",
         [](QDialog*, QLineEdit* field) {
             QApplication::clipboard()->setText("Zeile1\nZeile2");
             QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
             QTest::keyClick(field, Qt::Key_Return);
         },
         "VorgabeZeile1"},
        {"pasted CR LF lines in the middle",
         [](QDialog*, QLineEdit* field) {
             QApplication::clipboard()->setText("X\r\nY\r\n");
             field->setCursorPosition(3);
             QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
             QTest::keyClick(field, Qt::Key_Return);
         },
         "VorXgabe"},
        {"pasted over a selection, a lone CR",
         [](QDialog*, QLineEdit* field) {
             QApplication::clipboard()->setText("neu\ralt");
             field->selectAll();
             QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
             QTest::keyClicks(field, "!");
             QTest::keyClick(field, Qt::Key_Return);
         },
         "neu!"},
        {"pasted line break first",
         [](QDialog*, QLineEdit* field) {
             QApplication::clipboard()->setText("\nZeile2");
             QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
             QTest::keyClick(field, Qt::Key_Return);
         },
         "Vorgabe"},
    };
    for (const PromptCase& c : cases) {
        QtScenario s;
        createMainWindowControls(s.state, s.host);
        bool checked = false;
        whenModalOpens([&](QWidget* modal) {
            auto* dialog = qobject_cast<QDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            checked = true;
            EXPECT_EQ(dialog->windowTitle(),
                      QString::fromUtf8("Kelvinor: Eingabe einer Überschrift"));
            EXPECT_EQ(dialog->frameGeometry().size(), QSize(300, 130));
            const Qt::WindowFlags flags = dialog->windowFlags();
            EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
            EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
            auto* label = dialog->findChild<QLabel*>();
            auto* field = dialog->findChild<QLineEdit*>();
            auto* ok = dialog->findChild<QPushButton*>();
            EXPECT_EQ(label->geometry(), QRect(10, 10, 280, 22));
            EXPECT_EQ(label->text(),
                      QString::fromUtf8("Hier können Sie einen Titel für die Messung eingeben!"));
            EXPECT_EQ(field->geometry(), QRect(10, 32, 275, 21));
            EXPECT_EQ(ok->geometry(), QRect(110, 67, 80, 25));
            EXPECT_EQ(field->text(), "Vorgabe");
            EXPECT_EQ(field->cursorPosition(), 7);
            EXPECT_TRUE(field->hasFocus());
            EXPECT_EQ(QApplication::activeModalWidget(), dialog);
            c.act(dialog, field);
        });
        const std::string answer = s.desktop.askText(
            "Kelvinor: Eingabe einer Überschrift"_cp,
            "Hier können Sie einen Titel für die Messung eingeben!"_cp, "Vorgabe");
        EXPECT_TRUE(checked) << c.name;
        EXPECT_EQ(answer, c.expected) << c.name;
    }
}

TEST(QtDesktop, MessageBoxesAnswerOkYesAndNo) {
    struct Case {
        MessageButtons buttons;
        QMessageBox::StandardButton press;
        int answer;
    };
    const Case cases[] = {{MessageButtons::Ok, QMessageBox::Ok, kAnswerOk},
                          {MessageButtons::YesNo, QMessageBox::Yes, kAnswerYes},
                          {MessageButtons::YesNo, QMessageBox::No, kAnswerNo}};
    for (const Case& c : cases) {
        QtScenario s;
        createMainWindowControls(s.state, s.host);
        whenModalOpens([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->windowTitle(), "Kelvinor: Problem");
            EXPECT_EQ(box->text(), "Zeile 1\nZeile 2\n\nZeile 4");
            EXPECT_EQ(box->standardButtons(), c.buttons == MessageButtons::Ok
                                                  ? QMessageBox::StandardButtons(QMessageBox::Ok)
                                                  : (QMessageBox::Yes | QMessageBox::No));
            // The buttons read as on a German Windows, without icons.
            QStringList texts;
            for (QAbstractButton* b : box->buttons()) {
                texts << QString(b->text()).remove('&');
                EXPECT_TRUE(b->icon().isNull()) << b->text().toStdString();
            }
            texts.sort();
            const QStringList expected =
                c.buttons == MessageButtons::Ok ? QStringList{"OK"} : QStringList{"Ja", "Nein"};
            EXPECT_EQ(texts, expected);
            if (c.buttons == MessageButtons::YesNo) {
                // Escape and the close request do nothing on a Yes/No box.
                QTest::keyClick(box, Qt::Key_Escape);
                box->close();
                QApplication::processEvents();
                EXPECT_TRUE(box->isVisible());
            }
            // The main window takes no input meanwhile: a click through the window system is
            // blocked.
            QWidget* button = s.desktop.control(instantQueryButton);
            QTest::mouseClick(s.desktop.window(mainWindow)->windowHandle(), Qt::LeftButton, {},
                              button->geometry().center());
            QTest::mouseClick(box->button(c.press), Qt::LeftButton);
        });
        EXPECT_EQ(
            s.desktop.showMessage("Kelvinor: Problem", "Zeile 1\rZeile 2\r\rZeile 4", c.buttons),
            c.answer);
        EXPECT_FALSE(s.desktop.waitForEvent(0).has_value());  // the blocked click was not taken
    }
}

// The real Qt desktop, with a look at its windows at every display update.
class WatchedDesktop final : public Desktop {
  public:
    WatchedDesktop(QtDesktop& real, std::function<void()> onUpdate)
        : real_(real), onUpdate_(onUpdate) {}
    void openWindow(const WindowSpec& layout) override { real_.openWindow(layout); }
    void closeWindow(int window) override { real_.closeWindow(window); }
    void createControl(const ControlSpec& layout) override { real_.createControl(layout); }
    bool hasControl(int id) const override { return real_.hasControl(id); }
    void setText(int id, const std::string& text) override { real_.setText(id, text); }
    void setTextColour(int id, Colour colour) override { real_.setTextColour(id, colour); }
    void setBackgroundColour(int id, Colour colour) override {
        real_.setBackgroundColour(id, colour);
    }
    void setTooltip(int id, const std::string& text) override { real_.setTooltip(id, text); }
    void setEnabled(int id, bool enabled) override { real_.setEnabled(id, enabled); }
    void setChecked(int id, bool checked) override { real_.setChecked(id, checked); }
    void setProgress(int id, int value) override { real_.setProgress(id, value); }
    void appendLogbookLine(int id, const std::string& line) override {
        real_.appendLogbookLine(id, line);
    }
    void clearLogbook(int id) override { real_.clearLogbook(id); }
    std::string askText(const std::string& t, const std::string& m, const std::string& p) override {
        return real_.askText(t, m, p);
    }
    int showMessage(const std::string& t, const std::string& x, MessageButtons b) override {
        return real_.showMessage(t, x, b);
    }
    std::optional<WindowEvent> waitForEvent(std::int64_t ms) override {
        return real_.waitForEvent(ms);
    }
    void updateDisplay() override {
        real_.updateDisplay();
        onUpdate_();
    }
    void serveWithoutInput(std::int64_t ms) override { real_.serveWithoutInput(ms); }
    bool hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) override {
        return real_.hasPendingEvent(matches);
    }
    void closeAll() override { real_.closeAll(); }

  private:
    QtDesktop& real_;
    std::function<void()> onUpdate_;
};

TEST(QtDesktop, ScanAndFoundWindows) {
    QtScenario s;
    s.state.demoMode = 0;
    chooseSensorBus(s.state);
    s.state.commandInterpreter = "command";
    s.state.portCommand.assign(11, "");
    for (int n = 1; n <= 9; ++n) s.state.portCommand[n] = "/cCOM" + std::to_string(n) + "READ.BAT";
    writeScanBatches({{4, answerFileWith({"10A8B16B0108005D : DS1820"})}});
    std::vector<QString> scanTexts;
    std::vector<int> progress;
    std::vector<QString> foundTexts;
    auto noButtons = [](QWidget* w) {
        const Qt::WindowFlags f = w->windowFlags();
        return !(f & Qt::WindowSystemMenuHint) && !(f & Qt::WindowCloseButtonHint) &&
               !(f & Qt::WindowMinimizeButtonHint) && !(f & Qt::WindowMaximizeButtonHint);
    };
    WatchedDesktop watched(s.desktop, [&] {
        if (QWidget* scan = s.desktop.window(scanWindow)) {
            EXPECT_EQ(scan->windowTitle(),
                      QString::fromUtf8("Kelvinor: Prüfung 'COM1' - 'COM9' auf 1-Wire-Sensoren"));
            EXPECT_EQ(scan->size(), QSize(375, 60));
            EXPECT_TRUE(noButtons(scan));
            EXPECT_TRUE(scan->isVisible());
            auto* text = qobject_cast<QLabel*>(s.desktop.control(scanText));
            auto* bar = qobject_cast<QProgressBar*>(s.desktop.control(scanProgress));
            ASSERT_TRUE(text && bar);
            EXPECT_EQ(text->geometry(), QRect(10, 10, 355, 20));
            EXPECT_EQ(bar->geometry(), QRect(10, 30, 355, 20));
            EXPECT_EQ(bar->minimum(), 0);
            EXPECT_EQ(bar->maximum(), 9);
            scanTexts.push_back(text->text());
            progress.push_back(bar->value());
        }
        if (QWidget* found = s.desktop.window(foundWindow)) {
            EXPECT_EQ(found->windowTitle(),
                      QString::fromUtf8("Kelvinor: Gültige COM-Schnittstelle wurde gefunden"));
            EXPECT_EQ(found->size(), QSize(375, 33));
            EXPECT_TRUE(noButtons(found));
            auto* text = qobject_cast<QLabel*>(s.desktop.control(foundText));
            ASSERT_TRUE(text);
            EXPECT_EQ(text->geometry(), QRect(10, 10, 355, 20));
            foundTexts.push_back(text->text());
        }
    });
    Host host{watched, s.clock, s.sound, s.starter, [] { return true; }};
    scanPorts(s.state, host);
    EXPECT_EQ(s.state.sensorPort, 4);
    ASSERT_EQ(scanTexts.size(), 19u);  // the first look, then two per port
    EXPECT_EQ(scanTexts[0],
              QString::fromUtf8("Die Überprüfung der COM-Schnittstellen wird initialisiert..."));
    EXPECT_EQ(scanTexts[1], QString::fromUtf8("'COM1' wird überprüft..."));
    EXPECT_EQ(scanTexts[17], QString::fromUtf8("'COM9' wird überprüft..."));
    EXPECT_EQ(progress,
              (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9}));
    EXPECT_EQ(foundTexts,
              std::vector<QString>{"An der Schnittstelle 'COM4' wurden 1-Wire-Sensoren gefunden!"});
    EXPECT_EQ(s.desktop.window(scanWindow), nullptr);
    EXPECT_EQ(s.desktop.window(foundWindow), nullptr);
}

}  // namespace
}  // namespace kelvinor
