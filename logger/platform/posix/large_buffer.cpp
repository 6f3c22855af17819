#include "logger/system/large_buffer.h"

#include <sys/mman.h>

namespace kelvinor {

void LargeBufferRelease::operator()(char* data) const {
    if (data != nullptr) munmap(data, size);
}

LargeBuffer allocateLargeBuffer(std::size_t size) {
    if (size == 0) size = 1;
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return LargeBuffer(nullptr, LargeBufferRelease{0});
    madvise(memory, size, MADV_HUGEPAGE);  // a hint; ignored where huge pages are off
    return LargeBuffer(static_cast<char*>(memory), LargeBufferRelease{size});
}

}  // namespace kelvinor
