#pragma once
// The logbook's rows, kept compactly: the program's CP1252 bytes, each row
// followed by a line feed, in chunks of 1 MiB, plus the start of every row.
// A row costs its bytes, one line feed and eight bytes of index; appending
// never touches the rows before it. As every CP1252 byte is one character,
// a byte offset is also the row's character offset in the whole text.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvinor {

class LogbookLines {
  public:
    void append(std::string_view row);  // one row, without line breaks
    void clear();

    std::int64_t count() const { return static_cast<std::int64_t>(starts_.size()); }
    std::int64_t start(std::int64_t row) const { return static_cast<std::int64_t>(starts_[row]); }
    int length(std::int64_t row) const;
    std::string row(std::int64_t row) const;
    // The characters from `from` to `to` of the whole text, rows joined by
    // line feeds (no line feed after the last row).
    std::string text(std::int64_t from, std::int64_t to) const;
    std::int64_t textLength() const {
        return size_ == 0 ? 0 : static_cast<std::int64_t>(size_) - 1;
    }
    // The row that holds character offset `offset` of the whole text.
    std::int64_t rowAt(std::int64_t offset) const;

  private:
    static constexpr std::size_t kChunk = std::size_t{1} << 20;
    void copyOut(std::uint64_t from, std::uint64_t count, char* into) const;

    std::vector<std::unique_ptr<char[]>> chunks_;
    std::uint64_t size_ = 0;
    std::vector<std::uint64_t> starts_;
};

}  // namespace kelvinor
