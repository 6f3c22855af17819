#pragma once
// File operations that must reach the disk: appends that are synced before
// they return, and the copy of the log file kept up to date by appending.
// File names are the program's CP1252 texts.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvinor {

// What identifies a file's state without reading it.
struct FileIdentity {
    bool exists = false;
    bool regular = false;
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identifyFile(const std::string& path);

// Appends to a regular file (created when missing), then syncs and closes it.
// Never opens anything but a regular file: no device, pipe or folder. The
// bytes land whole or not at all: a failed append leaves the file as it was.
bool appendDurably(const std::string& path, std::string_view bytes);

// Appends the bytes of `source` from `offset` to its end to `target`, synced;
// whole or not at all, as appendDurably.
bool appendTail(const std::string& source, std::int64_t offset, const std::string& target);

// The last byte of a regular file; nothing for an empty or unreadable one.
std::optional<char> lastByte(const std::string& path);

// Where replaceWithCopy writes the copy before it renames it into place; a
// program killed meanwhile leaves it there.
inline std::string copyAsideOf(const std::string& target) {
    return target + ".tmp";
}

// Replaces `target` with a synced copy of `source` (written aside, then renamed).
bool replaceWithCopy(const std::string& source, const std::string& target);

}  // namespace kelvinor
