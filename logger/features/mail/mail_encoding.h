#pragma once
// The content encodings of the alarm e-mail.
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvinor {

// Quoted-printable as the mail transport writes the body: LF and CR LF become
// CR LF, a lone CR is kept, a blank or TAB before LF and every byte outside
// 33..126 (and "=") are written =XX, with a soft break after column 71.
std::string quotedPrintable(std::string_view body);

// A line of message data that begins with "." gets one more "." in front.
std::string dotStuffed(std::string_view data);

// Standard base64 with "=" padding, in one line.
std::string base64(std::string_view bytes);

// The same into a buffer of base64Length(bytes.size()) characters, which it
// fills completely (so a large attachment's text needs no cleared buffer first).
std::size_t base64Length(std::size_t bytes);
void base64Into(std::string_view bytes, char* out);

}  // namespace kelvinor
