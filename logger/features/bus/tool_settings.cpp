#include "logger/features/bus/tool_settings.h"

#include <fstream>

#include "logger/constants/file_names.h"
#include "logger/system/files.h"
#include "logger/text/line_reader.h"
#include "logger/text/number_text.h"

namespace kelvinor {

ReadTime readTimeFromSettings() {
    std::fstream file;
    openOrCreate(file, kProgramSettingsFile);
    const std::string line = readLines(file, 1)[0];
    if (line.empty()) return defaultReadTime();
    const std::string_view view = line;
    const std::string_view lastFour = view.size() > 4 ? view.substr(view.size() - 4) : view;
    return {line, static_cast<int>(readIntegerPrefix(lastFour))};
}

void writeReadTimeToToolSettings(const ReadTime& readTime) {
    std::fstream file;
    if (!openOrCreate(file, kToolSettingsFile)) return;
    LineReader reader(file);
    reader.next();  // the first line stays as it is
    const auto position = file.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
    if (position == std::streampos(-1)) return;
    file.clear();
    file.seekp(position);
    const std::string patch = readTime.line + '\f';
    file.write(patch.data(), static_cast<std::streamsize>(patch.size()));
    file.flush();
}

}  // namespace kelvinor
