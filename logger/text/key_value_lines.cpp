#include "logger/text/key_value_lines.h"

namespace kelvinor {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::pair<std::string_view, std::string_view> splitFirstWord(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && !isBlank(text[end])) ++end;
    return {text.substr(0, end), trimmed(text.substr(end))};
}

std::vector<KeyValueLine> keyValueLines(std::string_view text) {
    std::vector<KeyValueLine> lines;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        const auto [key, value] = splitFirstWord(line);
        lines.push_back({number, key, value});
    }
    return lines;
}

}  // namespace kelvinor
