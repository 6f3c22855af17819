#pragma once
// The program's own file operations on names in CP1252. Only regular files
// count as present: a folder or a device of the same name is never opened.
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace kelvinor {

// Size in bytes of a regular file; -1 when nothing of that name exists,
// -2 when the name is a folder or another kind of file.
std::int64_t fileSize(std::string_view name);

// Opens an existing regular file for reading only.
bool openForReading(std::fstream& file, std::string_view name);

// Opens a regular file for reading and writing without shortening it, and
// creates it empty when nothing of that name exists.
bool openOrCreate(std::fstream& file, std::string_view name);

// Deletes a file; a missing file is no error.
void deleteFile(std::string_view name);

// The first `count` lines of a file (lines past its end, or of a file that
// cannot be opened, are empty).
std::vector<std::string> readLines(std::fstream& file, int count);

}  // namespace kelvinor
