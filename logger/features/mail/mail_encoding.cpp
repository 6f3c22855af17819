#include "logger/features/mail/mail_encoding.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "logger/system/large_buffer.h"

namespace kelvinor {

std::string quotedPrintable(std::string_view body) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    // At most three characters per byte plus a soft break every 24 bytes, in
    // uncleared memory; the text is then copied out at its real length.
    const std::size_t room = body.size() * 3 + body.size() / 8 + 16;
    const LargeBuffer buffer = allocateLargeBuffer(room);
    std::string fallback(buffer ? 0 : room, '\0');
    char* const begin = buffer ? buffer.get() : fallback.data();
    char* o = begin;
    int column = 0;
    const std::size_t n = body.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(body[i]);
        const bool beforeLf = i + 1 < n && body[i + 1] == '\n';
        if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !beforeLf)) {
            *o++ = static_cast<char>(c);
            ++column;
        } else if (c == '\n' || (c == '\r' && beforeLf)) {
            *o++ = '\r';
            *o++ = '\n';
            column = 0;
            if (c == '\r') ++i;
        } else if (c == '\r') {
            *o++ = '\r';
            column = 0;
        } else {
            *o++ = '=';
            *o++ = kHex[c >> 4];
            *o++ = kHex[c & 15];
            column += 3;
        }
        if (column > 71) {
            *o++ = '=';
            *o++ = '\r';
            *o++ = '\n';
            column = 0;
        }
    }
    return std::string(begin, o);
}

std::string dotStuffed(std::string_view data) {
    std::string out;
    out.reserve(data.size() + 8);
    bool lineStart = true;
    for (char c : data) {
        if (lineStart && c == '.') out += '.';
        out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::size_t base64Length(std::size_t bytes) {
    return (bytes + 2) / 3 * 4;
}

std::string base64(std::string_view bytes) {
    std::string out(base64Length(bytes.size()), '=');
    base64Into(bytes, out.data());
    return out;
}

void base64Into(std::string_view bytes, char* o) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    // Two output characters per 12 bits, looked up at once.
    static const std::array<std::uint16_t, 4096> kPairs = [] {
        std::array<std::uint16_t, 4096> pairs{};
        for (int v = 0; v < 4096; ++v)
            pairs[v] =
                static_cast<std::uint16_t>(static_cast<unsigned char>(kAlphabet[v >> 6]) |
                                           static_cast<unsigned char>(kAlphabet[v & 63]) << 8);
        return pairs;
    }();
    const std::size_t n = bytes.size();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint16_t* pairs = kPairs.data();
    std::size_t i = 0;
    static_assert(std::endian::native == std::endian::little, "stores characters in memory order");
    // Six input bytes give eight characters, stored at once.
    for (; i + 6 <= n; i += 6, o += 8) {
        const std::uint32_t a = in[i] << 16 | in[i + 1] << 8 | in[i + 2];
        const std::uint32_t b = in[i + 3] << 16 | in[i + 4] << 8 | in[i + 5];
        const std::uint64_t chars = static_cast<std::uint64_t>(pairs[a >> 12]) |
                                    static_cast<std::uint64_t>(pairs[a & 0xFFF]) << 16 |
                                    static_cast<std::uint64_t>(pairs[b >> 12]) << 32 |
                                    static_cast<std::uint64_t>(pairs[b & 0xFFF]) << 48;
        std::memcpy(o, &chars, 8);  // little-endian: the first character first
    }
    for (; i + 3 <= n; i += 3, o += 4) {
        const std::uint32_t v = in[i] << 16 | in[i + 1] << 8 | in[i + 2];
        const std::uint32_t chars = static_cast<std::uint32_t>(pairs[v >> 12]) |
                                    static_cast<std::uint32_t>(pairs[v & 0xFFF]) << 16;
        std::memcpy(o, &chars, 4);
    }
    if (i < n) {
        const std::uint32_t v = in[i] << 16 | (i + 1 < n ? in[i + 1] << 8 : 0);
        o[0] = kAlphabet[v >> 18];
        o[1] = kAlphabet[(v >> 12) & 63];
        o[2] = i + 1 < n ? kAlphabet[(v >> 6) & 63] : '=';
        o[3] = '=';
    }
}

}  // namespace kelvinor
