#include "curves/win32/log_file.h"

#include <windows.h>

#include <vector>

namespace kurven {

bool LogFile::readNew() {
    changed_ = false;
    // Shared with the recorder, which goes on writing, renaming and
    // replacing the log.
    const HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER length{};
    bool ok = GetFileSizeEx(file, &length) != 0;
    const auto now = static_cast<std::uint64_t>(length.QuadPart);
    if (ok && now < size_) {
        reader_ = LogReader();
        size_ = 0;
        changed_ = true;
    }
    if (ok && now > size_) {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(size_);
        ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
        std::vector<char> buffer(1 << 20);
        while (ok && size_ < now) {
            DWORD count = 0;
            ok = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &count,
                          nullptr) != 0;
            if (!ok || count == 0) break;
            reader_.feed(std::string_view(buffer.data(), count));
            size_ += count;
            changed_ = true;
        }
    }
    CloseHandle(file);
    return ok;
}

}  // namespace kurven
