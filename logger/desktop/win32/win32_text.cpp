#include "logger/desktop/win32/win32_text.h"

#include "logger/text/cp1252.h"

// clang-format off
#include <windows.h>
// clang-format on

namespace kelvinor {

std::wstring toWide(const std::string& cp1252) {
    return cp1252ToWide(cp1252);
}

std::string fromWide(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length,
                        nullptr, nullptr);
    return narrow;
}

std::wstring toDisplayWide(const std::string& cp1252) {
    std::string broken;
    broken.reserve(cp1252.size() + 8);
    for (std::size_t i = 0; i < cp1252.size(); ++i) {
        broken += cp1252[i];
        if (cp1252[i] == '\r' && (i + 1 == cp1252.size() || cp1252[i + 1] != '\n')) broken += '\n';
    }
    return toWide(broken);
}

}  // namespace kelvinor
