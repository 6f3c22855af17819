// The program's file operations through std::filesystem: the same on every
// system (wide paths on Windows, from toPath).
#include "logger/system/files.h"

#include <filesystem>
#include <system_error>

#include "logger/system/platform.h"
#include "logger/text/cp1252.h"
#include "logger/text/line_reader.h"

namespace kelvinor {
namespace fs = std::filesystem;

std::int64_t fileSize(std::string_view name) {
    std::error_code error;
    const fs::path path = toPath(name);
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return -1;
    if (!fs::is_regular_file(status)) return -2;
    const auto size = fs::file_size(path, error);
    if (error) return -1;
    return static_cast<std::int64_t>(size);
}

bool openForReading(std::fstream& file, std::string_view name) {
    if (name.empty() || fileSize(name) < 0) return false;
    file.open(toPath(name), std::ios::in | std::ios::binary);
    return file.is_open();
}

bool openOrCreate(std::fstream& file, std::string_view name) {
    if (name.empty()) return false;
    const std::int64_t size = fileSize(name);
    if (size == -2) return false;
    const fs::path path = toPath(name);
    if (size == -1) {
        // Appending creates the file without truncating one that appeared meanwhile.
        std::ofstream create(path, std::ios::app | std::ios::binary);
        if (!create.is_open()) return false;
    }
    file.open(path, std::ios::in | std::ios::out | std::ios::binary);
    return file.is_open();
}

void deleteFile(std::string_view name) {
    std::error_code error;
    const fs::path path = toPath(name);
    if (fs::is_directory(fs::symlink_status(path, error))) return;  // files only, never folders
    fs::remove(path, error);
}

std::vector<std::string> readLines(std::fstream& file, int count) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count));
    LineReader reader(file);
    for (int i = 0; i < count; ++i) lines.push_back(file.is_open() ? reader.next() : std::string());
    return lines;
}

}  // namespace kelvinor
