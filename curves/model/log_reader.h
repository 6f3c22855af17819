#pragma once
// Reads a Kelvinor log (CP1252, lines ending in CR LF or LF) piece by piece,
// so that a log still being recorded can be followed: each feed reads the
// complete lines it brings; a last line without its end waits for the next
// feed, or for finish() when the file is known to be complete.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "curves/model/log_document.h"

namespace kurven {

class LogReader {
  public:
    // Longer lines are no lines of a log (61 sensors with alarms stay far
    // below) and are skipped.
    static constexpr std::size_t kLongestLine = 1 << 20;

    void feed(std::string_view bytes);
    // Reads a last line that has no line end (a file cut short).
    void finish();

    const LogDocument& document() const { return document_; }
    // The document, handed over without a copy; the reader is spent.
    LogDocument takeDocument() && { return std::move(document_); }
    // Bytes taken so far, including a waiting partial line.
    std::size_t bytesFed() const { return bytesFed_; }
    // Bytes of a last line that waits for its end.
    std::size_t waitingBytes() const { return pending_.size(); }

  private:
    enum class Where { BeforeHeading, Header, Rows, AfterEnd };

    void readLine(std::string_view line);
    void readHeaderLine(std::string_view line);
    void readRowLine(std::string_view line);
    Recording& current() { return document_.recordings.back(); }

    LogDocument document_;
    Where where_ = Where::BeforeHeading;
    bool titleFollows_ = false;
    std::string pending_;
    bool overlong_ = false;  // inside a line longer than kLongestLine
    bool firstLine_ = true;  // a byte order mark may begin it
    std::size_t bytesFed_ = 0;
};

// Reads a whole file's bytes.
LogDocument readLog(std::string_view bytes);

// Why a read file cannot be drawn, in German; nothing when it can.
std::optional<std::string> unusableLogReason(const LogDocument& document, std::size_t fileSize);

// "dd.mm.yyyy" and "hh:mm:ss" to the seconds of LogDocument's clock.
std::optional<std::int64_t> rowTime(std::string_view date, std::string_view time);

}  // namespace kurven
