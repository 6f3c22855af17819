#include "logger/desktop/qt/logbook_lines.h"

#include <algorithm>
#include <cstring>

namespace kelvinor {

void LogbookLines::append(std::string_view row) {
    starts_.push_back(size_);
    std::uint64_t left = row.size() + 1;
    const char* from = row.data();
    while (left > 0) {
        const std::size_t inChunk = size_ % kChunk;
        if (inChunk == 0 && size_ / kChunk == chunks_.size())
            chunks_.push_back(std::make_unique_for_overwrite<char[]>(kChunk));
        const std::size_t room = kChunk - inChunk;
        const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(room, left));
        char* into = chunks_[size_ / kChunk].get() + inChunk;
        // The row's bytes, then its line feed (the last byte of the last part).
        const std::size_t rowPart = left == part ? part - 1 : part;
        std::memcpy(into, from, rowPart);
        if (rowPart < part) into[rowPart] = '\n';
        from += rowPart;
        left -= part;
        size_ += part;
    }
}

void LogbookLines::clear() {
    chunks_.clear();
    starts_.clear();
    starts_.shrink_to_fit();
    size_ = 0;
}

int LogbookLines::length(std::int64_t row) const {
    const std::uint64_t end =
        row + 1 < count() ? starts_[static_cast<std::size_t>(row) + 1] : size_;
    return static_cast<int>(end - starts_[static_cast<std::size_t>(row)] - 1);
}

void LogbookLines::copyOut(std::uint64_t from, std::uint64_t count, char* into) const {
    while (count > 0) {
        const std::size_t inChunk = from % kChunk;
        const std::size_t part =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunk - inChunk, count));
        std::memcpy(into, chunks_[from / kChunk].get() + inChunk, part);
        into += part;
        from += part;
        count -= part;
    }
}

std::string LogbookLines::row(std::int64_t row) const {
    std::string bytes(static_cast<std::size_t>(length(row)), '\0');
    copyOut(starts_[static_cast<std::size_t>(row)], bytes.size(), bytes.data());
    return bytes;
}

std::string LogbookLines::text(std::int64_t from, std::int64_t to) const {
    from = std::clamp<std::int64_t>(from, 0, textLength());
    to = std::clamp<std::int64_t>(to, from, textLength());
    std::string bytes(static_cast<std::size_t>(to - from), '\0');
    copyOut(static_cast<std::uint64_t>(from), bytes.size(), bytes.data());
    return bytes;
}

std::int64_t LogbookLines::rowAt(std::int64_t offset) const {
    if (starts_.empty()) return 0;
    const auto it = std::upper_bound(starts_.begin(), starts_.end(),
                                     static_cast<std::uint64_t>(std::max<std::int64_t>(offset, 0)));
    return std::max<std::int64_t>(0, (it - starts_.begin()) - 1);
}

}  // namespace kelvinor
