#include "curves/qt/curves_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include "curves/qt/chart_export.h"

namespace kurven {

CurvesWindow::CurvesWindow() : status_(new QLabel) {
    setWindowTitle(QStringLiteral("Kelvinor-Kurven"));
    resize(1000, 620);
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->addAction(QStringLiteral("&Öffnen …"), QKeySequence::Open, this,
                    &CurvesWindow::chooseLog);
    file->addAction(QStringLiteral("&Exportieren …"), QKeySequence(Qt::CTRL | Qt::Key_E), this,
                    &CurvesWindow::exportChart);
    file->addSeparator();
    file->addAction(QStringLiteral("&Beenden"), QKeySequence::Quit, this, &QWidget::close);
    QMenu* view = menuBar()->addMenu(QStringLiteral("&Ansicht"));
    view->addAction(QStringLiteral("&Alles zeigen"), QKeySequence(Qt::Key_Home), this, [this] {
        if (chart_ != nullptr) chart_->showAll();
    });
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(
        new QLabel(QStringLiteral("▲ Alarm wärmer   ◆ Alarm kälter   ★ Fehlmessung   "
                                  "☆ Fehlmessung ohne Messwert davor   "
                                  "Mausrad/Rahmen: Zoom · rechte Maustaste: verschieben")));
    showChart();
}

void CurvesWindow::showChart() {
    chart_ = new CurveChart(follower_ ? QFileInfo(follower_->path()).fileName() : QString());
    auto* view = new CurveView(chart_);
    setCentralWidget(view);  // deletes the view before, and its chart with it
    view_ = view;
}

void CurvesWindow::openLog(const QString& path) {
    follower_ = std::make_unique<LogFollower>(path);
    connect(follower_.get(), &LogFollower::grown, this, &CurvesWindow::refresh);
    connect(follower_.get(), &LogFollower::restarted, this, [this] { showChart(); });
    setWindowTitle(QStringLiteral("%1 – Kelvinor-Kurven").arg(QFileInfo(path).fileName()));
    showChart();
    if (!follower_->readNew()) {
        QMessageBox::warning(this, QStringLiteral("Kelvinor-Kurven"), follower_->errorText());
        return;
    }
    // An empty or foreign file is said at once; a log whose rows are still
    // to come is shown, and followed.
    if (!follower_->document().sawHeading) {
        const auto reason = unusableLogReason(follower_->document(), follower_->fileSize());
        QMessageBox::warning(this, QStringLiteral("Kelvinor-Kurven"),
                             QString::fromStdString(reason.value_or("")));
        follower_.reset();
        return;
    }
    refresh();
}

void CurvesWindow::refresh() {
    chart_->update(follower_->document());
    // Until the user zooms or moves it, the chart shows the whole log.
    if (chart_->followingAll()) chart_->showAll();
    showStatus();
}

void CurvesWindow::showStatus() {
    const LogDocument& document = follower_->document();
    std::size_t rows = 0;
    for (const Recording& recording : document.recordings) rows += recording.times.size();
    QString text = QStringLiteral("%1 Messzeilen in %2 Aufzeichnung(en)")
                       .arg(rows)
                       .arg(document.recordings.size());
    if (document.skippedRows > 0)
        text += QStringLiteral(", %1 fehlerhafte Zeile(n) übersprungen").arg(document.skippedRows);
    status_->setText(text);
}

void CurvesWindow::chooseLog() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Logdatei öffnen"), QString(),
        QStringLiteral("Kelvinor-Logdateien (*.KLV *.klv *.dat);;Alle Dateien (*)"));
    if (!path.isEmpty()) openLog(path);
}

void CurvesWindow::exportChart() {
    QString chosen;
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Diagramm exportieren"), QString(),
        QStringLiteral("PNG-Bild (*.png);;SVG-Grafik (*.svg);;PDF-Dokument (*.pdf)"), &chosen);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty())
        path += chosen.contains(QLatin1String("svg"))   ? QStringLiteral(".svg")
                : chosen.contains(QLatin1String("pdf")) ? QStringLiteral(".pdf")
                                                        : QStringLiteral(".png");
    QString error;
    if (!kurven::exportChart(chart_, view_->size(), path, &error))
        QMessageBox::warning(this, QStringLiteral("Kelvinor-Kurven"), error);
}

}  // namespace kurven
