#pragma once
// Memory for large texts (an attachment's base64 of up to 133 MB): asked for
// in huge pages where the system offers them, since faulting in 4 KB pages
// costs more than encoding into them.
#include <cstddef>
#include <memory>

namespace kelvinor {

struct LargeBufferRelease {
    std::size_t size = 0;
    void operator()(char* data) const;
};
using LargeBuffer = std::unique_ptr<char[], LargeBufferRelease>;

// Uncleared memory of `size` bytes; empty when there is none.
LargeBuffer allocateLargeBuffer(std::size_t size);

}  // namespace kelvinor
