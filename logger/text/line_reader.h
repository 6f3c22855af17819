#pragma once
// Text files are read line by line: a line ends at CR, at LF or at CR LF,
// the line end is dropped, and reading past the end gives empty lines.
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace kelvinor {

class LineReader {
  public:
    // Reads from a stream (a file or a string stream); a read error counts
    // as the end of the text.
    explicit LineReader(std::istream& in) : in_(&in) {}

    std::string next();
    bool atEnd() const { return ended_; }

  private:
    std::istream* in_;
    bool ended_ = false;
};

}  // namespace kelvinor
