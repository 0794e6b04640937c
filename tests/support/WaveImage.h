// RIFF WAVE images built in memory, for tests that play or store sounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvak::test {

inline constexpr std::uint16_t kWaveFormatPcm = 1;
inline constexpr std::uint16_t kWaveFormatFloat = 3;
inline constexpr std::uint16_t kWaveFormatALaw = 6;
inline constexpr std::uint16_t kWaveFormatMuLaw = 7;

// A complete image: "RIFF" header, "fmt " chunk (16 bytes, or 18 for the
// non-PCM formats) and a "data" chunk holding data as given.
inline std::vector<unsigned char> MakeWave(std::uint16_t format, std::uint16_t channels,
                                           std::uint32_t rate, std::uint16_t bits,
                                           const std::vector<unsigned char>& data) {
    std::vector<unsigned char> out;
    out.reserve(46 + data.size());
    auto put = [&out](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    };
    auto tag = [&out](const char* text) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<unsigned char>(text[i]));
    };
    const std::uint32_t fmtSize = format == kWaveFormatPcm ? 16 : 18;
    const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    tag("RIFF");
    put(static_cast<std::uint32_t>(4 + 8 + fmtSize + 8 + data.size() + data.size() % 2), 4);
    tag("WAVE");
    tag("fmt ");
    put(fmtSize, 4);
    put(format, 2);
    put(channels, 2);
    put(rate, 4);
    put(rate * blockAlign, 4);
    put(blockAlign, 2);
    put(bits, 2);
    if (fmtSize == 18)
        put(0, 2);
    tag("data");
    put(static_cast<std::uint32_t>(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 != 0)
        out.push_back(0);
    return out;
}

// Mono 8-bit PCM of the given samples (unsigned, 0x80 is silence).
inline std::vector<unsigned char> MakePcm8Wave(const std::vector<unsigned char>& samples,
                                               std::uint32_t rate = 11025) {
    return MakeWave(kWaveFormatPcm, 1, rate, 8, samples);
}

// Mono 16-bit PCM of the given samples.
inline std::vector<unsigned char> MakePcm16Wave(const std::vector<std::int16_t>& samples,
                                                std::uint32_t rate = 22050) {
    std::vector<unsigned char> data;
    for (const std::int16_t s : samples) {
        data.push_back(static_cast<unsigned char>(static_cast<std::uint16_t>(s)));
        data.push_back(static_cast<unsigned char>(static_cast<std::uint16_t>(s) >> 8));
    }
    return MakeWave(kWaveFormatPcm, 1, rate, 16, data);
}

// n samples of a saw wave: never all silence, easy to find in an output.
inline std::vector<unsigned char> SawPcm8(std::size_t n) {
    std::vector<unsigned char> samples(n);
    for (std::size_t i = 0; i < n; ++i)
        samples[i] = static_cast<unsigned char>(0x10 + (i * 7) % 0xE0);
    return samples;
}

} // namespace zorvak::test
