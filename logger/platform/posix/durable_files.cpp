#include "logger/system/durable_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "logger/system/platform.h"

namespace kelvinor {
namespace {

// The names are the program's CP1252 texts.
std::string native(const std::string& name) {
    return toPath(name).string();
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Opens a regular file only; O_NONBLOCK keeps a pipe from blocking the open
// before the check can refuse it.
int openRegular(const std::string& name, int flags) {
    const int fd = open(native(name).c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) return -1;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool syncAndClose(int fd, bool ok) {
    ok = ok && fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

// Appends what `write` puts at the end of the open file and syncs it. An
// append lands whole or not at all: on any failure (a full disk, say) the
// file is cut back to its old length, so no part of a line stays behind for
// the next append to be glued onto.
template <typename Write>
bool appendWholeOrNothing(int fd, Write write) {
    struct stat before {};
    if (fstat(fd, &before) != 0) {
        close(fd);
        return false;
    }
    bool ok = write() && fsync(fd) == 0;
    if (!ok && ftruncate(fd, before.st_size) == 0) fsync(fd);
    return close(fd) == 0 && ok;
}

bool copyRange(int from, std::int64_t offset, int to) {
    if (lseek(from, offset, SEEK_SET) != offset) return false;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = read(from, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        if (count == 0) return true;
        if (!writeAll(to, buffer, static_cast<std::size_t>(count))) return false;
    }
}

}  // namespace

FileIdentity identifyFile(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(native(path).c_str(), &info) != 0) return {};
    return {true,
            S_ISREG(info.st_mode),
            static_cast<std::uint64_t>(info.st_dev),
            static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool appendDurably(const std::string& path, std::string_view bytes) {
    if (path.empty()) return false;
    const int fd = openRegular(path, O_WRONLY | O_APPEND | O_CREAT);
    if (fd < 0) return false;
    return appendWholeOrNothing(fd, [&] { return writeAll(fd, bytes.data(), bytes.size()); });
}

bool appendTail(const std::string& source, std::int64_t offset, const std::string& target) {
    const int from = openRegular(source, O_RDONLY);
    if (from < 0) return false;
    const int to = openRegular(target, O_WRONLY | O_APPEND);
    if (to < 0) {
        close(from);
        return false;
    }
    const bool ok = appendWholeOrNothing(to, [&] { return copyRange(from, offset, to); });
    close(from);
    return ok;
}

std::optional<char> lastByte(const std::string& path) {
    const int fd = openRegular(path, O_RDONLY);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    char byte = 0;
    const bool ok =
        fstat(fd, &info) == 0 && info.st_size > 0 && pread(fd, &byte, 1, info.st_size - 1) == 1;
    close(fd);
    return ok ? std::optional<char>(byte) : std::nullopt;
}

bool replaceWithCopy(const std::string& source, const std::string& target) {
    const int from = openRegular(source, O_RDONLY);
    if (from < 0) return false;
    const std::string aside = copyAsideOf(target);
    unlink(native(aside).c_str());
    const int to = openRegular(aside, O_WRONLY | O_CREAT | O_EXCL);
    if (to < 0) {
        close(from);
        return false;
    }
    const bool ok = syncAndClose(to, copyRange(from, 0, to));
    close(from);
    if (!ok || rename(native(aside).c_str(), native(target).c_str()) != 0) {
        unlink(native(aside).c_str());
        return false;
    }
    return true;
}

}  // namespace kelvinor
