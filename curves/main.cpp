// Kelvinor-Kurven: the curves of a Kelvinor log.
//   Kelvinor-Kurven [LOG]                               the window, following LOG
//   Kelvinor-Kurven --png OUT.png [--size WxH] LOG      renders without a display
// (--svg and --pdf likewise).
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "curves/qt/chart_export.h"
#include "curves/qt/curves_window.h"

namespace {

int fail(const QString& text) {
    std::fprintf(stderr, "Kelvinor-Kurven: %s\n", text.toLocal8Bit().constData());
    return 1;
}

// Draws LOG into OUT without a window.
int render(const QString& log, const QString& out, QSize size) {
    kurven::LogFollower follower(log);
    if (!follower.readNew()) return fail(follower.errorText());
    follower.finish();
    if (const auto reason = kurven::unusableLogReason(follower.document(), follower.fileSize()))
        return fail(QString::fromStdString(*reason));
    kurven::CurveChart chart(QFileInfo(log).fileName());
    chart.update(follower.document());
    chart.resize(size);
    chart.showAll();
    QString error;
    if (!kurven::exportChart(&chart, size, out, &error)) return fail(error);
    if (follower.document().skippedRows > 0)
        std::fprintf(stderr, "Kelvinor-Kurven: %zu fehlerhafte Zeile(n) übersprungen\n",
                     follower.document().skippedRows);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool headless = false, noWindow = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        headless = headless || argument == "--png" || argument == "--svg" || argument == "--pdf";
        noWindow = noWindow || argument == "--help" || argument == "-h" || argument == "-?" ||
                   argument == "--help-all";
    }
    // Rendering to a file and the help need no display.
    if ((headless || noWindow) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvinor-Kurven"));
    // Qt's own texts (the file dialogs, the command line's help) in German,
    // from Debian's qt6-translations-l10n.
    QTranslator qtGerman;
    if (qtGerman.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtGerman);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Zeigt die Temperaturkurven einer Kelvinor-Logdatei."));
    parser.addHelpOption();
    const QCommandLineOption png(QStringLiteral("png"), QStringLiteral("Als PNG-Bild speichern."),
                                 QStringLiteral("DATEI"));
    const QCommandLineOption svg(QStringLiteral("svg"), QStringLiteral("Als SVG-Grafik speichern."),
                                 QStringLiteral("DATEI"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("Als PDF speichern."),
                                 QStringLiteral("DATEI"));
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("Bildgröße, Vorgabe 1200x700."),
                                  QStringLiteral("BxH"), QStringLiteral("1200x700"));
    parser.addOptions({png, svg, pdf, size});
    parser.addPositionalArgument(QStringLiteral("LOGDATEI"),
                                 QStringLiteral("Die Logdatei (.KLV)."));
    parser.process(application);
    const QStringList logs = parser.positionalArguments();

    if (headless) {
        const QStringList wh = parser.value(size).split(QLatin1Char('x'));
        const int width = wh.size() == 2 ? wh[0].toInt() : 0;
        const int height = wh.size() == 2 ? wh[1].toInt() : 0;
        if (width < 100 || height < 100 || width > 20000 || height > 20000)
            return fail(
                QStringLiteral("Ungültige Größe „%1“ (z. B. 1200x700).").arg(parser.value(size)));
        if (logs.size() != 1) return fail(QStringLiteral("Genau eine Logdatei angeben."));
        const QString out = parser.isSet(png)   ? parser.value(png)
                            : parser.isSet(svg) ? parser.value(svg)
                                                : parser.value(pdf);
        return render(logs.front(), out, QSize(width, height));
    }

    kurven::CurvesWindow window;
    window.show();
    if (!logs.isEmpty()) window.openLog(logs.front());
    return application.exec();
}
