#pragma once
// Follows a log file: reads it once, then reads what is appended while it is
// being recorded (the file is watched, and looked at every second as well,
// since a recorder that closes and reopens the file after every row is not
// always reported). A file that shrinks or is replaced is read afresh.
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "curves/model/log_reader.h"

namespace kurven {

class LogFollower : public QObject {
    Q_OBJECT
  public:
    explicit LogFollower(QString path, QObject* parent = nullptr);

    // Reads what is new; false with errorText() set when the file cannot be read.
    bool readNew();
    // Takes a last line without its end as complete (a file read once).
    void finish() { reader_->finish(); }
    const LogDocument& document() const { return reader_->document(); }
    std::size_t fileSize() const { return reader_->bytesFed(); }
    const QString& path() const { return path_; }
    const QString& errorText() const { return error_; }
    void setPollInterval(int milliseconds) { poll_.setInterval(milliseconds); }

  signals:
    void grown();
    // The file was replaced or cut: the document starts afresh.
    void restarted();

  private:
    QString path_;
    QString error_;
    std::unique_ptr<LogReader> reader_;
    QFileSystemWatcher watcher_;
    QTimer poll_;
};

}  // namespace kurven
