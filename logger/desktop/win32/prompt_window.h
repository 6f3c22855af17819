#pragma once
#include <string>

namespace kelvinor {

// The modal one-line prompt: 300 x 130 pixels outside, centred, a caption
// without system menu or close box. Returns the field on Enter or OK, an
// empty text on Escape. The program's foreground window takes no input
// while it is open.
std::wstring runPrompt(const std::wstring& title, const std::wstring& message,
                       const std::wstring& preset);

}  // namespace kelvinor
