#pragma once
// The program's texts are 8-bit Windows-1252 strings. Source files are UTF-8,
// so German literals are converted once through the _cp literal operator.
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvinor {

// UTF-8 to Windows-1252; characters without a CP1252 byte and malformed
// UTF-8 sequences become "?".
std::string utf8ToCp1252(std::string_view utf8);

// Windows-1252 to UTF-8. The five bytes that CP1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value,
// so every byte survives a round trip.
std::string cp1252ToUtf8(std::string_view cp1252);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points beyond U+10FFFF). Plain ASCII is.
bool isUtf8(std::string_view bytes);

// Windows-1252 to the code points of a wide text (UTF-16 on Windows: every
// CP1252 character lies in the Basic Multilingual Plane), for Windows' wide
// functions and paths whatever the system's ANSI code page.
std::wstring cp1252ToWide(std::string_view cp1252);

// Upper case as Windows converts CP1252 text: a-z, the accented letters and
// umlauts (ä becomes Ä); ß and the other symbols stay.
std::string upperCaseCp1252(std::string text);

inline namespace literals {
inline std::string operator""_cp(const char* utf8, std::size_t length) {
    return utf8ToCp1252(std::string_view(utf8, length));
}
}  // namespace literals

}  // namespace kelvinor
