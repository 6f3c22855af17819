// A stop click at every moment of a recording cycle, made through the real X
// server (Xvfb and xdotool) while the real Qt desktop records: during the
// read, the sound pause, a stalled alarm e-mail and the wait. Each click must
// end the recording at the next pass of the wait; a click during the read
// ends the read at once, without a row for it. Run under tests/with-xvfb.sh.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "logger/application/program_course.h"
#include "logger/constants/control_ids.h"
#include "logger/desktop/qt/qt_desktop.h"
#include "logger/program/real_host.h"
#include "tests/support/bus_fixtures.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_server.h"

namespace kelvinor {
namespace {

using namespace testing;
using SteadyClock = std::chrono::steady_clock;

double secondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// A sound output that is ready but silent (the real output has tests of its
// own), so that every cue brings its 500 ms pause; it notes each play.
class ReadySilentSound final : public SoundOutput {
  public:
    bool open() override { return true; }
    bool loadCue(int, const WaveFormat&, std::span<const std::uint8_t>) override { return true; }
    void play(int) override { ++plays; }
    void close() override {}
    std::atomic<int> plays{0};
};

// An SMTP server that takes the connection and never greets.
struct StallingServer {
    std::atomic<int> accepted{0};
    std::atomic<int> closed{0};
    ScriptedSmtpServer server;
    explicit StallingServer(const std::string& address)
        : server(
              [this](SmtpConversation& c) {
                  ++accepted;
                  c.readCommand();  // until the client gives up
                  ++closed;
              },
              address, 25, 8) {}
};

std::string loopbackAddress() {
    return "127.0.26." + std::to_string(getpid() % 250 + 1);
}

// Waits (on a helper thread) until `condition` holds.
void until(const std::function<bool()>& condition) {
    for (int i = 0; i < 3000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

QDialog* prompt(const QString& title) {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    return dialog != nullptr && dialog->isVisible() && dialog->windowTitle() == title ? dialog
                                                                                      : nullptr;
}

void answer(QDialog* dialog, const QString& text) {
    auto* field = dialog->findChild<QLineEdit*>();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

enum class Moment { Read, SoundPause, Mail, Wait };

struct Outcome {
    int exitCode = -1;
    double clickToQuestion = -1;  // seconds
    int rows = -1;
    // Expose events of the main window served after it was shown again
    // during the read: each brings its picture back to the screen.
    int exposuresDuringRead = 0;
};

// Counts the expose events of a window while `counting` holds.
class ExposeCounter final : public QObject {
  public:
    explicit ExposeCounter(std::function<bool()> counting) : counting_(std::move(counting)) {}
    int exposures = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Expose && counting_()) ++exposures;
        return false;
    }

  private:
    std::function<bool()> counting_;
};

// One recording of the live edition with a slow read (1.5 s) whose data
// line has a fault (85.00), so that every cycle sends an alarm e-mail when
// "KelvEmail.ini" exists; the stop button is clicked at `moment`.
Outcome recordAndClickAt(Moment moment) {
    TemporaryWorkFolder folder;
    const bool withMail = moment == Moment::Mail || moment == Moment::Wait;
    std::unique_ptr<StallingServer> server;
    if (withMail) {
        server = std::make_unique<StallingServer>(loopbackAddress());
        writeFile("KelvEmail.ini",
                  "k@example.org\nw@example.org\n-\nAlarm\n" + loopbackAddress() + "\n-\n");
    }
    writeScanBatches({{1, answerFileWith({"10A8B16B0108005D : DS1820", "104C4D55000800D9 : DS1820",
                                          "10B7C34F00080019 : DS1820"})}});
    writeFile("DATALINE.BAT", "touch reading.mark\nsleep 1.5\n" +
                                  printfCommand("0\t20.00\t85.00\t21.00\r\n", "DATALINE.TXT"));
    writeFile("kelvinor.ini", "READ_TIME 100\n");

    auto sound = std::make_unique<ReadySilentSound>();
    ReadySilentSound& cues = *sound;
    RealHost real(std::move(sound));
    real.host().mailTimeouts = {2'000, 1'500, 1'500, 10'000};
    QtDesktop& desktop = real.desktop();

    std::atomic<bool> recording{false};
    std::atomic<bool> uncovered{false};
    ExposeCounter exposures([&] { return uncovered.load(); });
    std::atomic<int> cuesBeforeRecording{0};
    std::atomic<int> stopX{0}, stopY{0};
    // When the click was sent, written by the user's thread, read by the pilot.
    std::atomic<SteadyClock::time_point> clicked{};
    Outcome outcome;
    const QString question = QString::fromUtf8("Kelvinor: Log-Datei sofort öffnen?");
    QTimer pilot;
    QObject::connect(&pilot, &QTimer::timeout, [&] {
        if (QDialog* d = prompt(QString::fromUtf8("Kelvinor: Eingabe einer Überschrift"))) {
            answer(d, "Keller");
        } else if (auto* start = qobject_cast<QPushButton*>(desktop.control(startButton));
                   start != nullptr && start->isEnabled() && !recording &&
                   QApplication::activeModalWidget() == nullptr) {
            desktop.window(mainWindow)->windowHandle()->installEventFilter(&exposures);
            QWidget* stop = desktop.control(stopButton);
            const QPoint centre = stop->mapToGlobal(stop->rect().center());
            stopX = centre.x();
            stopY = centre.y();
            QTest::mouseClick(start, Qt::LeftButton);
        } else if (QDialog* d =
                       prompt(QString::fromUtf8("Kelvinor: Zeitintervall für Datenerfassung"))) {
            answer(d, "S5");
        } else if (QDialog* d = prompt("Kelvinor: Logfile-Dateiname")) {
            cuesBeforeRecording = cues.plays.load();
            recording = true;
            answer(d, "log.KLV");
        } else if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                   box != nullptr && box->isVisible() && box->windowTitle() == question) {
            outcome.clickToQuestion = secondsSince(clicked.load());
            QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
        }
    });
    pilot.start(20);

    // The click comes from another process, through the X server, whatever
    // the program's thread is doing at that moment.
    std::thread user([&] {
        until([&] { return recording.load(); });
        switch (moment) {
            case Moment::Read: {
                until([] { return std::filesystem::exists("reading.mark"); });
                // The main window is taken off the screen and shown again
                // while the read runs: it must be painted anew meanwhile.
                const std::string name = "'Kelvinor für 1-Wire-Sensoren'";
                uncovered = true;
                EXPECT_EQ(std::system(("xdotool search --name " + name +
                                       " windowunmap --sync windowmap --sync")
                                          .c_str()),
                          0);
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                break;
            }
            case Moment::SoundPause:
                until([&] { return cues.plays > cuesBeforeRecording + 1; });  // after the log name
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                break;
            case Moment::Mail:
                until([&] { return server->accepted > 0; });
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                break;
            case Moment::Wait:
                until([&] { return server->closed > 0; });
                std::this_thread::sleep_for(std::chrono::milliseconds(800));
                break;
        }
        clicked = SteadyClock::now();
        uncovered = false;
        // The pointer comes from elsewhere, as a user's would.
        const std::string command = "xdotool mousemove 5 5 mousemove --sync " +
                                    std::to_string(stopX.load()) + " " +
                                    std::to_string(stopY.load()) + " click 1";
        EXPECT_EQ(std::system(command.c_str()), 0);
    });

    ProgramState state;
    outcome.exitCode = runProgram(state, real.host(), 0);
    user.join();
    outcome.exposuresDuringRead = exposures.exposures;
    const std::string log = readFile("log.KLV");
    outcome.rows = 0;
    for (std::size_t at = 0; (at = log.find("\t20,00\t85,00\t21,00\t", at)) != std::string::npos;
         ++at)
        ++outcome.rows;
    EXPECT_TRUE(log.ends_with("*** Ende der Datenaufzeichnung ***\r\n"));
    return outcome;
}

TEST(StopClick, EveryMomentOfACycleEndsTheRecordingAtTheNextPass) {
    struct Case {
        Moment moment;
        const char* name;
        int rows;
        // Seconds from the click to the question, at most. The stop itself
        // takes 1 s before the question: its click cue and a 500 ms pause.
        double latest;
    };
    const Case cases[] = {
        {Moment::Read, "during the read", 0, 1.6},  // the read is ended at once
        {Moment::SoundPause, "during the sound pause", 1, 2.0},
        {Moment::Mail, "during a stalled e-mail", 1, 3.6},  // after the 1.5 s reply time-out
        {Moment::Wait, "during the wait", 1, 1.6},
    };
    for (const Case& c : cases) {
        const Outcome o = recordAndClickAt(c.moment);
        std::printf("stop click %s: question after %.2f s, %d rows\n", c.name, o.clickToQuestion,
                    o.rows);
        EXPECT_EQ(o.exitCode, 0) << c.name;
        EXPECT_EQ(o.rows, c.rows) << c.name;
        EXPECT_GE(o.clickToQuestion, 0.0) << c.name;
        EXPECT_LE(o.clickToQuestion, c.latest) << c.name;
        if (c.moment == Moment::Read) {
            EXPECT_GT(o.exposuresDuringRead, 0);
        }
    }
}

}  // namespace
}  // namespace kelvinor
