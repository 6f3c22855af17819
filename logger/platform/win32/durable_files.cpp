// Appends that reach the disk, on Win32: CreateFileW on the program's CP1252
// names converted with code page 1252, FlushFileBuffers for every row.
#include "logger/system/durable_files.h"

#include <windows.h>

#include "logger/system/platform.h"

namespace kelvinor {
namespace {

// A handle to a regular file only: no device (COM1, NUL, CON), pipe or
// folder. Other processes may read and append (the log is opened by a
// spreadsheet meanwhile) and even delete it.
HANDLE openRegular(const std::string& name, DWORD access, DWORD creation) {
    if (name.empty()) return INVALID_HANDLE_VALUE;
    const HANDLE file = CreateFileW(toPath(name).c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return file;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

bool writeAll(HANDLE file, const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD piece = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, piece, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

std::int64_t sizeOf(HANDLE file) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) ? size.QuadPart : -1;
}

bool seek(HANDLE file, std::int64_t offset) {
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
}

// Writes at the end and flushes; on any failure (a full disk, say) the file
// is cut back to its old length, so no part of a line stays behind for the
// next append to be glued onto.
template <typename Write>
bool appendWholeOrNothing(HANDLE file, Write write) {
    const std::int64_t before = sizeOf(file);
    bool ok = before >= 0 && seek(file, before) && write() && FlushFileBuffers(file) != 0;
    if (!ok && before >= 0 && seek(file, before) && SetEndOfFile(file)) FlushFileBuffers(file);
    return CloseHandle(file) != 0 && ok;
}

bool copyRange(HANDLE from, std::int64_t offset, HANDLE to) {
    if (!seek(from, offset)) return false;
    char buffer[1 << 16];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(from, buffer, sizeof buffer, &count, nullptr)) return false;
        if (count == 0) return true;
        if (!writeAll(to, buffer, count)) return false;
    }
}

}  // namespace

FileIdentity identifyFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExW(toPath(path).c_str(), GetFileExInfoStandard, &data))
        return {};
    const bool regular = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    std::uint64_t index = 0, volume = 0;
    if (regular) {
        const HANDLE file = openRegular(path, 0, OPEN_EXISTING);
        BY_HANDLE_FILE_INFORMATION info{};
        if (file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info)) {
            index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
            volume = info.dwVolumeSerialNumber;
        }
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    const std::int64_t size =
        (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const std::int64_t written =
        (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime;
    return {true, regular, volume, index, size, written * 100};  // 100 ns ticks
}

bool appendDurably(const std::string& path, std::string_view bytes) {
    const HANDLE file = openRegular(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return false;
    return appendWholeOrNothing(file, [&] { return writeAll(file, bytes.data(), bytes.size()); });
}

bool appendTail(const std::string& source, std::int64_t offset, const std::string& target) {
    const HANDLE from = openRegular(source, GENERIC_READ, OPEN_EXISTING);
    if (from == INVALID_HANDLE_VALUE) return false;
    const HANDLE to = openRegular(target, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    if (to == INVALID_HANDLE_VALUE) {
        CloseHandle(from);
        return false;
    }
    const bool ok = appendWholeOrNothing(to, [&] { return copyRange(from, offset, to); });
    CloseHandle(from);
    return ok;
}

std::optional<char> lastByte(const std::string& path) {
    const HANDLE file = openRegular(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    const std::int64_t size = sizeOf(file);
    char byte = 0;
    DWORD count = 0;
    const bool ok =
        size > 0 && seek(file, size - 1) && ReadFile(file, &byte, 1, &count, nullptr) && count == 1;
    CloseHandle(file);
    return ok ? std::optional<char>(byte) : std::nullopt;
}

bool replaceWithCopy(const std::string& source, const std::string& target) {
    const HANDLE from = openRegular(source, GENERIC_READ, OPEN_EXISTING);
    if (from == INVALID_HANDLE_VALUE) return false;
    const std::string aside = copyAsideOf(target);
    DeleteFileW(toPath(aside).c_str());
    const HANDLE to = openRegular(aside, GENERIC_WRITE, CREATE_NEW);
    if (to == INVALID_HANDLE_VALUE) {
        CloseHandle(from);
        return false;
    }
    bool ok = copyRange(from, 0, to) && FlushFileBuffers(to) != 0;
    ok = CloseHandle(to) != 0 && ok;
    CloseHandle(from);
    if (!ok || !MoveFileExW(toPath(aside).c_str(), toPath(target).c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(toPath(aside).c_str());
        return false;
    }
    return true;
}

}  // namespace kelvinor
