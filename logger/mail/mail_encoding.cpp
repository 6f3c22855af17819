#include "logger/mail/mail_encoding.h"

#include <array>
#include <cstdint>

namespace kelvinor {

std::string quotedPrintable(std::string_view body) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(body.size() + body.size() / 8 + 16);
    int column = 0;
    const std::size_t n = body.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(body[i]);
        const bool beforeLf = i + 1 < n && body[i + 1] == '\n';
        if (c >= 33 && c <= 126 && c != '=') {
            out += static_cast<char>(c);
            ++column;
        } else if ((c == ' ' || c == '\t') && !beforeLf) {
            out += static_cast<char>(c);
            ++column;
        } else if (c == '\n') {
            out += "\r\n";
            column = 0;
        } else if (c == '\r' && beforeLf) {
            out += "\r\n";
            column = 0;
            ++i;
        } else if (c == '\r') {
            out += '\r';
            column = 0;
        } else {
            out += '=';
            out += kHex[c >> 4];
            out += kHex[c & 15];
            column += 3;
        }
        if (column > 71) {
            out += "=\r\n";
            column = 0;
        }
    }
    return out;
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

std::string base64(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    // Two output characters per 12 bits, looked up at once.
    static const std::array<std::uint16_t, 4096> kPairs = [] {
        std::array<std::uint16_t, 4096> pairs{};
        for (int v = 0; v < 4096; ++v)
            pairs[v] = static_cast<std::uint16_t>(static_cast<unsigned char>(kAlphabet[v >> 6]) |
                                                  static_cast<unsigned char>(kAlphabet[v & 63]) << 8);
        return pairs;
    }();
    const std::size_t n = bytes.size();
    std::string out((n + 2) / 3 * 4, '=');
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    char* o = out.data();
    std::size_t i = 0;
    for (; i + 3 <= n; i += 3, o += 4) {
        const std::uint32_t v = in[i] << 16 | in[i + 1] << 8 | in[i + 2];
        const std::uint16_t hi = kPairs[v >> 12];
        const std::uint16_t lo = kPairs[v & 0xFFF];
        o[0] = static_cast<char>(hi & 0xFF);
        o[1] = static_cast<char>(hi >> 8);
        o[2] = static_cast<char>(lo & 0xFF);
        o[3] = static_cast<char>(lo >> 8);
    }
    if (i < n) {
        const std::uint32_t v = in[i] << 16 | (i + 1 < n ? in[i + 1] << 8 : 0);
        o[0] = kAlphabet[v >> 18];
        o[1] = kAlphabet[(v >> 12) & 63];
        if (i + 1 < n) o[2] = kAlphabet[(v >> 6) & 63];
    }
    return out;
}

}  // namespace kelvinor
