// Encoder speeds: base64 of an attachment of the largest allowed size beside
// a plain scalar loop, and quoted-printable on text.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "logger/features/mail/mail_encoding.h"
#include "logger/system/large_buffer.h"

namespace {

std::string sample(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
    return bytes;
}

// The textbook loop, for the ratio.
std::string plainBase64(const std::string& in) {
    static const char* a = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((in.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= in.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(in[i]) << 16 |
                           static_cast<unsigned char>(in[i + 1]) << 8 |
                           static_cast<unsigned char>(in[i + 2]);
        out += a[v >> 18];
        out += a[(v >> 12) & 63];
        out += a[(v >> 6) & 63];
        out += a[v & 63];
    }
    return out;
}

const std::string& attachment() {
    static const std::string bytes = sample(99'999'999);
    return bytes;
}

// As attaching encodes: into a fresh buffer that is not cleared first.
void base64Attachment(benchmark::State& state) {
    for (auto _ : state) {
        auto text = kelvinor::allocateLargeBuffer(kelvinor::base64Length(attachment().size()));
        kelvinor::base64Into(attachment(), text.get());
        benchmark::DoNotOptimize(text.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * attachment().size());
}
BENCHMARK(base64Attachment)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void plainBase64Attachment(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(plainBase64(attachment()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * attachment().size());
}
BENCHMARK(plainBase64Attachment)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void quotedPrintableText(benchmark::State& state) {
    std::string text;
    const std::string row =
        "06.12.2026\t23:31:05\t5,00\t30,00\t-2,00\t'+' an Sensor Nr. 1/'K\xFChlraum'\t\n";
    while (text.size() < 20'000'000) text += row;
    for (auto _ : state) benchmark::DoNotOptimize(kelvinor::quotedPrintable(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * text.size());
}
BENCHMARK(quotedPrintableText)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
