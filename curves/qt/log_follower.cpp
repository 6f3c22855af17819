#include "curves/qt/log_follower.h"

#include <QFile>
#include <QFileInfo>

namespace kurven {

LogFollower::LogFollower(QString path, QObject* parent)
    : QObject(parent), path_(std::move(path)), reader_(std::make_unique<LogReader>()) {
    watcher_.addPath(path_);
    const auto look = [this] {
        const std::size_t before = reader_->bytesFed();
        if (readNew() && reader_->bytesFed() != before) emit grown();
        // A file replaced by a new one is no longer watched by its path.
        if (!watcher_.files().contains(path_)) watcher_.addPath(path_);
    };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, look);
    connect(&poll_, &QTimer::timeout, this, look);
    poll_.start(1000);
}

bool LogFollower::readNew() {
    // Opening a FIFO or a device would wait for a writer: only regular files
    // are read. The reasons are said in German, not in the system's words.
    const QFileInfo info(path_);
    const QString name = info.fileName();
    QFile file(path_);
    if (!info.exists())
        error_ = QStringLiteral("Die Datei „%1“ gibt es nicht.").arg(name);
    else if (!info.isFile())
        error_ = QStringLiteral("„%1“ ist keine gewöhnliche Datei.").arg(name);
    else if (!file.open(QIODevice::ReadOnly))
        error_ =
            QStringLiteral("Die Datei „%1“ kann nicht gelesen werden (keine Leseberechtigung?).")
                .arg(name);
    if (!file.isOpen()) return false;
    error_.clear();
    const auto size = static_cast<std::size_t>(file.size());
    if (size < reader_->bytesFed()) {
        reader_ = std::make_unique<LogReader>();
        emit restarted();
    }
    file.seek(static_cast<qint64>(reader_->bytesFed()));
    // Bounded pieces: a large log is not held twice in memory.
    constexpr qint64 kPiece = 4 << 20;
    while (!file.atEnd()) {
        const QByteArray bytes = file.read(kPiece);
        if (bytes.isEmpty()) break;
        reader_->feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    return true;
}

}  // namespace kurven
