#include "logger/system/bus_log.h"

#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "logger/constants/file_names.h"
#include "logger/system/platform.h"

namespace kelvinor {
namespace {

constexpr std::size_t kLinesKept = 200;

// "09.12.2026 18:40:05", the scripts' own date format.
std::string localTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
    return text;
}

}  // namespace

void appendBusLog(std::string_view heading, std::string_view lines) {
    static std::mutex oneAtATime;
    const std::lock_guard lock(oneAtATime);
    const auto path = toPath(kBusLogFile);
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << localTimestamp() << ' ' << heading << '\n';
        std::istringstream text{std::string(lines)};
        for (std::string line; std::getline(text, line);) out << "  " << line << '\n';
    }
    // Trimmed as the scripts do: the newest lines written aside, then renamed
    // over the log, so that a kill never leaves it half written.
    std::vector<std::string> kept;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) kept.push_back(line);
    in.close();
    if (kept.size() <= kLinesKept) return;
    const auto aside = toPath(std::string(kBusLogFile) + ".KEEP");
    {
        std::ofstream out(aside, std::ios::binary | std::ios::trunc);
        for (std::size_t i = kept.size() - kLinesKept; i < kept.size(); ++i) out << kept[i] << '\n';
        if (!out) return;
    }
    std::error_code error;
    std::filesystem::rename(aside, path, error);
}

}  // namespace kelvinor
