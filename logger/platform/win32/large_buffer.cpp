#include "logger/system/large_buffer.h"

#include <windows.h>

namespace kelvinor {

void LargeBufferRelease::operator()(char* data) const {
    if (data != nullptr) VirtualFree(data, 0, MEM_RELEASE);
}

LargeBuffer allocateLargeBuffer(std::size_t size) {
    if (size == 0) size = 1;
    void* memory = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (memory == nullptr) return LargeBuffer(nullptr, LargeBufferRelease{0});
    return LargeBuffer(static_cast<char*>(memory), LargeBufferRelease{size});
}

}  // namespace kelvinor
