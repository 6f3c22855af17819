#pragma once
// A log read as far as it is written, and read on when it grows: what was
// read stays, only the new bytes are taken in. A log that became shorter
// (replaced by a new recording) is read afresh.
#include <cstdint>
#include <string>

#include "curves/model/log_reader.h"

namespace kurven {

class LogFile {
  public:
    explicit LogFile(std::wstring path) : path_(std::move(path)) {}
    // Takes in what was added; false when the file cannot be read.
    bool readNew();
    // The file is complete: a last line without its end counts too.
    void finish() { reader_.finish(); }
    const LogDocument& document() const { return reader_.document(); }
    std::uint64_t size() const { return size_; }
    // Whether the last readNew() brought anything or started afresh.
    bool changed() const { return changed_; }

  private:
    std::wstring path_;
    LogReader reader_;
    std::uint64_t size_ = 0;
    bool changed_ = false;
};

}  // namespace kurven
