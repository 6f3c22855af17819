#pragma once
// The program's CP1252 texts as the UTF-16 texts of Windows' wide functions,
// so umlauts show right whatever the system's ANSI code page is.
#include <string>

namespace kelvinor {

std::wstring toWide(const std::string& cp1252);
std::string fromWide(const std::wstring& text);
// Single CR characters are the program's line breaks; Windows' static texts
// and message boxes break lines at CR LF.
std::wstring toDisplayWide(const std::string& cp1252);

}  // namespace kelvinor
