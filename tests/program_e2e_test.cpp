// The real program under the offscreen platform: the real Qt desktop, the
// system clock and real files; a user's key presses and clicks, sent through
// the window system, answer every window.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <functional>
#include <regex>

#include "logger/application/program_course.h"
#include "logger/constants/control_ids.h"
#include "logger/desktop/qt/logbook_view.h"
#include "logger/desktop/qt/qt_desktop.h"
#include "logger/program/real_host.h"
#include "tests/support/mqtt_fixture.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;

// Steps a user takes, each when its window is there.
class Autopilot {
  public:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    explicit Autopilot(std::vector<Step> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (next_ < steps_.size() && steps_[next_].ready()) steps_[next_++].act();
        });
        timer_.start(20);
    }
    std::size_t done() const { return next_; }

  private:
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    QTimer timer_;
};

template <typename T>
T* modal(const QString& title) {
    auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
    return widget != nullptr && widget->isVisible() && widget->windowTitle() == title ? widget
                                                                                      : nullptr;
}

void clickThroughWindowSystem(QWidget* button) {
    QTest::mouseClick(button->window()->windowHandle(), Qt::LeftButton, {},
                      button->mapTo(button->window(), button->rect().center()));
}

void answerPrompt(const QString& title, const QString& text) {
    QDialog* dialog = modal<QDialog>(title);
    auto* field = dialog->findChild<QLineEdit*>();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

int rowsIn(LogbookView* logbook) {
    const QString text = logbook->toPlainText();
    const int header = text.indexOf("Log-Datum\tLog-Uhrzeit");
    return header < 0 ? 0 : text.mid(header).count('\n');
}

QPushButton* button(QtDesktop& desktop, int id) {
    return qobject_cast<QPushButton*>(desktop.control(id));
}

// A user's steps from the start to a running demonstration recording with
// interval S5 into `log`, then `more`.
std::vector<Autopilot::Step> stepsIntoARecording(QtDesktop& desktop, const QString& title,
                                                 const QString& log,
                                                 std::vector<Autopilot::Step> more) {
    const QString titlePrompt = QString::fromUtf8("Kelvinor: Eingabe einer Überschrift");
    const QString intervalPrompt = QString::fromUtf8("Kelvinor: Zeitintervall für Datenerfassung");
    std::vector<Autopilot::Step> steps = {
        {[] { return modal<QMessageBox>("Kelvinor: DEMO-Info") != nullptr; },
         [] { QTest::keyClick(modal<QMessageBox>("Kelvinor: DEMO-Info"), Qt::Key_Return); }},
        {[=] { return modal<QDialog>(titlePrompt) != nullptr; },
         [=] { answerPrompt(titlePrompt, title); }},
        {[&desktop] {
             return button(desktop, startButton) != nullptr &&
                    QApplication::activeModalWidget() == nullptr;
         },
         [&desktop] { clickThroughWindowSystem(button(desktop, startButton)); }},
        {[=] { return modal<QDialog>(intervalPrompt) != nullptr; },
         [=] { answerPrompt(intervalPrompt, "S5"); }},
        {[] { return modal<QDialog>("Kelvinor: Logfile-Dateiname") != nullptr; },
         [=] { answerPrompt("Kelvinor: Logfile-Dateiname", log); }},
    };
    steps.insert(steps.end(), more.begin(), more.end());
    return steps;
}

TEST(Program, ARealRecordingFromTheStartButtonToTheEnd) {
    TemporaryWorkFolder folder;
    // Its rows go to a broker as well.
    std::filesystem::create_directory("broker");
    TestMqttBroker broker(std::filesystem::absolute("broker").string());
    MqttSubscriber subscriber(broker.port());
    writeFile("KelvMqtt.ini",
              "BROKER 127.0.0.1:" + std::to_string(broker.port()) + "\nTOPIC kelvinor/e2e\n");
    const QString log = QString::fromStdString((folder.path() / "e2e.KLV").string());
    RealHost real;
    QtDesktop& desktop = real.desktop();
    auto book = [&] { return qobject_cast<LogbookView*>(desktop.control(logbook)); };
    const QString question = QString::fromUtf8("Kelvinor: Log-Datei sofort öffnen?");
    int rowsAtStop = 0;
    Autopilot pilot(stepsIntoARecording(
        desktop, "E2E", log,
        {
            {[&] { return book() != nullptr && rowsIn(book()) >= 3; },
             [&] {
                 rowsAtStop = rowsIn(book());
                 clickThroughWindowSystem(button(desktop, stopButton));
             }},
            {[&] { return modal<QMessageBox>(question) != nullptr; },
             [&] {
                 QMessageBox* box = modal<QMessageBox>(question);
                 QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
             }},
        }));
    ProgramState state;
    int exitCode = -1;
    exitCode = runProgram(state, real.host(), 1);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(pilot.done(), 7u);
    const std::string file = readFile(log.toStdString());
    EXPECT_TRUE(file.starts_with("# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #\r\n"));
    EXPECT_NE(file.find("MESSVORGANG:\r\nE2E\r\n"), std::string::npos);
    EXPECT_NE(file.find("\t5,00\t30,00\t-2,00\t\r\n"), std::string::npos);
    EXPECT_NE(file.find("\t5,50\t30,30\t-2,10\t\r\n"), std::string::npos);
    EXPECT_TRUE(file.ends_with("\r\n*** Ende der Datenaufzeichnung ***\r\n"));
    EXPECT_GE(rowsAtStop, 3);
    EXPECT_EQ(readFile("LastLogFile.dat"), file);
    EXPECT_EQ(state.measurementTitle, "E2E");
    const std::regex row("\\d\\d\\.\\d\\d\\.\\d{4}\t\\d\\d:\\d\\d:\\d\\d\t");
    const auto rows = static_cast<std::size_t>(
        std::distance(std::sregex_iterator(file.begin(), file.end(), row), std::sregex_iterator()));
    EXPECT_GE(rows, 3u);
    EXPECT_TRUE(subscriber.waitFor([&](const auto&) {
        return subscriber.count("kelvinor/e2e/row") == rows &&
               subscriber.on("kelvinor/e2e/status").back().payload == "offline";
    })) << subscriber.count("kelvinor/e2e/row");
}

TEST(Program, AStopFromOutsideEndsARecordingAsTheStopButtonDoes) {
    TemporaryWorkFolder folder;
    const QString log = QString::fromStdString((folder.path() / "stop.KLV").string());
    bool stopNow = false;  // what SIGTERM makes the program's stop function say
    RealHost real(nullptr, [&] { return stopNow; });
    QtDesktop& desktop = real.desktop();
    auto book = [&] { return qobject_cast<LogbookView*>(desktop.control(logbook)); };
    Autopilot pilot(stepsIntoARecording(
        desktop, "Stop", log,
        {
            // While the program waits for the next cycle; the question at the
            // end is then answered "Nein" without the user.
            {[&] { return book() != nullptr && rowsIn(book()) >= 1; }, [&] { stopNow = true; }},
        }));
    ProgramState state;
    EXPECT_EQ(runProgram(state, real.host(), 1), 0);
    EXPECT_EQ(pilot.done(), 6u);
    const std::string file = readFile(log.toStdString());
    EXPECT_NE(file.find("\t5,00\t30,00\t-2,00\t\r\n"), std::string::npos);
    EXPECT_TRUE(file.ends_with("\r\n*** Ende der Datenaufzeichnung ***\r\n"));
    EXPECT_EQ(readFile("LastLogFile.dat"), file);
}

// The real Kelvinor-Demo takes SIGTERM as a stop, not as its death: here at
// its first message box, answered by the stop.
TEST(Program, SigtermEndsTheProgramInsteadOfKillingIt) {
    TemporaryWorkFolder folder;
    EnvironmentChange offscreen("QT_QPA_PLATFORM", "offscreen");
    const pid_t program = fork();
    if (program == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        execl(KELVINOR_DEMO_PROGRAM, "Kelvinor-Demo", static_cast<char*>(nullptr));
        _exit(127);
    }
    // Once the signals are held back, which the program does first.
    ASSERT_TRUE(eventually([&] {
        const std::string status = readFile("/proc/" + std::to_string(program) + "/status");
        const std::size_t at = status.find("SigBlk:\t");
        return at != std::string::npos &&
               (std::stoull(status.substr(at + 8, 16), nullptr, 16) & (1ULL << (SIGTERM - 1)));
    }));
    kill(program, SIGTERM);
    int status = 0;
    ASSERT_TRUE(eventually([&] { return waitpid(program, &status, WNOHANG) == program; }, 20));
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace kelvinor
