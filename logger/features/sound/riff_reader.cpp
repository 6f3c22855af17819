#include "logger/features/sound/riff_reader.h"

#include <cstring>

namespace kelvinor {
namespace {

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
bool isTag(std::span<const std::uint8_t> b, std::size_t at, const char* tag) {
    return std::memcmp(b.data() + at, tag, 4) == 0;
}

}  // namespace

std::optional<WaveSound> readWave(std::span<const std::uint8_t> image) {
    const std::size_t size = image.size();
    if (size < 20 || !isTag(image, 0, "RIFF") || !isTag(image, 8, "WAVE") ||
        !isTag(image, 12, "fmt "))
        return std::nullopt;
    const std::uint32_t fmtLength = le32(image, 16);
    if (fmtLength < 16 || fmtLength > size - 20) return std::nullopt;
    WaveFormat f;
    f.formatTag = le16(image, 20);
    f.channels = le16(image, 22);
    f.samplesPerSecond = le32(image, 24);
    f.averageBytesPerSecond = le32(image, 28);
    f.blockAlign = le16(image, 32);
    f.bitsPerSample = le16(image, 34);
    if (f.formatTag != 1 || f.channels < 1 || f.channels > 8 || f.samplesPerSecond < 1000 ||
        f.samplesPerSecond > 384000 || (f.bitsPerSample != 8 && f.bitsPerSample != 16) ||
        f.blockAlign != f.channels * f.bitsPerSample / 8 ||
        f.averageBytesPerSecond != f.samplesPerSecond * f.blockAlign)
        return std::nullopt;
    std::size_t at = 20 + static_cast<std::size_t>(fmtLength) + (fmtLength % 2);
    while (at <= size && size - at >= 8) {
        const std::uint32_t length = le32(image, at + 4);
        if (length > size - at - 8) return std::nullopt;  // past the end
        if (isTag(image, at, "data")) {
            if (length == 0 || length % f.blockAlign != 0) return std::nullopt;
            return WaveSound{f, image.subspan(at + 8, length)};
        }
        at += 8 + static_cast<std::size_t>(length) + (length % 2);
    }
    return std::nullopt;
}

}  // namespace kelvinor
