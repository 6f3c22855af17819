// audio_recording: the real program records 30 demonstration cycles with an
// alarm in every one (sensor 1's warm threshold is 4 °C), with the real Qt
// sound output; a user's answers come from a timer. Prints how many cues
// were played, for tests/audio_count_test.sh to compare with what was heard.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <deque>

#include "logger/application/program_course.h"
#include "logger/constants/control_ids.h"
#include "logger/desktop/qt/logbook_view.h"
#include "logger/desktop/qt/qt_desktop.h"
#include "logger/desktop/qt/qt_sound_output.h"
#include "logger/program/real_host.h"
#include "tests/support/scenario.h"

namespace {

using namespace kelvinor;

// The real output, counting the plays.
class CountingSound final : public SoundOutput {
  public:
    bool open() override { return real_.open(); }
    bool loadCue(int cue, const WaveFormat& format,
                 std::span<const std::uint8_t> samples) override {
        return real_.loadCue(cue, format, samples);
    }
    void play(int cue) override {
        ++plays[cue];
        real_.play(cue);
    }
    void close() override { real_.close(); }
    int plays[3] = {0, 0, 0};

  private:
    QtSoundOutput real_;
};

QDialog* openPrompt() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    return dialog != nullptr && dialog->isVisible() && qobject_cast<QMessageBox*>(dialog) == nullptr
               ? dialog
               : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    useWindowsGuiMetrics(application);
    testing::TemporaryWorkFolder folder;
    testing::writeFile("kelvinor.ini", "READ_TIME 100\n");  // cycles 2 s apart
    auto sound = std::make_unique<CountingSound>();
    CountingSound& cues = *sound;
    RealHost real(std::move(sound));
    QtDesktop& desktop = real.desktop();
    // Prompt answers in order: title, six thresholds, interval, file name.
    std::deque<QString> answers = {"Audio", "4", "-56", "126", "-56", "126", "-56", "S2", "a.KLV"};
    bool thresholdsClicked = false, startClicked = false, stopClicked = false;
    QElapsedTimer sinceLastRow;
    QTimer pilot;
    QObject::connect(&pilot, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        auto* book = qobject_cast<LogbookView*>(desktop.control(logbook));
        auto button = [&](int id) { return qobject_cast<QPushButton*>(desktop.control(id)); };
        if (box != nullptr && box->isVisible()) {
            QTest::mouseClick(
                box->buttons().size() > 1 ? box->button(QMessageBox::No) : box->buttons().front(),
                Qt::LeftButton);
        } else if (QDialog* dialog = openPrompt(); dialog != nullptr && !answers.empty()) {
            auto* field = dialog->findChild<QLineEdit*>();
            field->setText(answers.front());
            answers.pop_front();
            QTest::keyClick(field, Qt::Key_Return);
        } else if (QApplication::activeModalWidget() == nullptr && button(startButton) &&
                   button(startButton)->isEnabled()) {
            if (!thresholdsClicked) {
                thresholdsClicked = true;
                QTest::mouseClick(button(thresholdsButton), Qt::LeftButton);
            } else if (!startClicked) {
                startClicked = true;
                QTest::mouseClick(button(startButton), Qt::LeftButton);
            }
        } else if (!stopClicked && book != nullptr &&
                   book->toPlainText().count("'+' an Sensor Nr. 1") >= 30) {
            // The stop's click comes after the last alarm cue has ended, so
            // that the two are heard as two sounds.
            if (!sinceLastRow.isValid()) sinceLastRow.start();
            if (sinceLastRow.elapsed() < 1000) return;
            stopClicked = true;
            QTest::mouseClick(button(stopButton), Qt::LeftButton);
        }
    });
    pilot.start(20);
    ProgramState state;
    int exitCode = -1;
    exitCode = runProgram(state, real.host(), 1);
    const int total = cues.plays[0] + cues.plays[1] + cues.plays[2];
    std::printf("%d alarm cycles, %d clicks: %d cues played\n", cues.plays[2], cues.plays[0],
                total);
    return exitCode == 0 && cues.plays[2] == 30 ? 0 : 1;
}
