#include "formats/WaveInfo.h"

#include "formats/Layout.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>

namespace zorvak {

namespace {

constexpr std::size_t kRiffHeaderBytes = 12; // "RIFF", size, "WAVE"
constexpr std::size_t kWaveTagAt = 8;
constexpr std::size_t kChunkHeaderBytes = 8; // id, size
constexpr std::size_t kChunkSizeAt = 4;
// A cue chunk: the count of its points, then the points (id, position, data
// chunk id, chunk start, block start, sample offset); the game reads the
// sample offset of the first.
constexpr std::size_t kCueCountBytes = 4;
constexpr std::size_t kCueSampleOffsetAt = 20;
// Where, from the start of a LIST chunk, the game looks for the "mark"
// purpose of a labelled text and its sample length.
constexpr std::size_t kMarkPurposeOffset = 28;
constexpr std::size_t kMarkLengthOffset = 24;

std::uint32_t UInt32At(std::span<const unsigned char> bytes, std::size_t offset) {
    TByteReader reader(bytes);
    reader.Seek(offset);
    return reader.ReadUInt32();
}

} // namespace

bool IsRiffWave(std::span<const unsigned char> bytes) {
    return HasTag(bytes, 0, "RIFF") && HasTag(bytes, kWaveTagAt, "WAVE");
}

TWaveInfo ReadWaveInfo(std::span<const unsigned char> wave) {
    if (!IsRiffWave(wave))
        throw TFailure(Tr("Not a WAVE file"));
    TWaveInfo info;
    bool haveFormat = false;
    bool haveData = false;
    bool afterCue = false;
    std::uint64_t position = kRiffHeaderBytes;
    while (position + kChunkHeaderBytes <= wave.size()) {
        const auto at = static_cast<std::size_t>(position);
        const std::uint64_t size = UInt32At(wave, at + kChunkSizeAt);
        const std::size_t body = at + kChunkHeaderBytes;
        const std::size_t available = wave.size() - body;
        // A chunk cut short by the entry's end is read as far as it goes.
        const auto chunk =
            wave.subspan(body, static_cast<std::size_t>(std::min<std::uint64_t>(size, available)));
        if (HasTag(wave, at, "fmt ") && !haveFormat) {
            if (chunk.size() < kWaveFormatMinBytes)
                throw TFailure(Tr("Sound format chunk is cut short"));
            TByteReader reader(chunk);
            info.FormatTag = reader.ReadUInt16();
            info.Channels = reader.ReadUInt16();
            info.SampleRate = reader.ReadUInt32();
            reader.Skip(4); // bytes per second
            info.BlockAlign = reader.ReadUInt16();
            info.BitsPerSample = reader.ReadUInt16();
            haveFormat = true;
        } else if (HasTag(wave, at, "data") && !haveData) {
            info.DataOffset = body;
            info.DataLength = chunk.size();
            haveData = true;
        } else if (HasTag(wave, at, "cue ")) {
            // The game takes the sample offset of the first cue point and
            // does not look at the others.
            if (chunk.size() >= kCueCountBytes + kCuePointBytes && UInt32At(chunk, 0) > 0)
                info.LoopStart = UInt32At(chunk, kCueCountBytes + kCueSampleOffsetAt);
            afterCue = true;
        } else if (HasTag(wave, at, "LIST") && afterCue && info.LoopStart && !info.LoopLength) {
            const auto whole = wave.subspan(at, kChunkHeaderBytes + chunk.size());
            if (HasTag(whole, kMarkPurposeOffset, "mark"))
                info.LoopLength = UInt32At(whole, kMarkLengthOffset);
        }
        position = body + size + (size & 1);
    }
    if (!haveFormat)
        throw TFailure(Tr("Sound has no format chunk"));
    if (!haveData)
        throw TFailure(Tr("Sound has no data chunk"));
    if (info.Channels == 0 || info.SampleRate == 0)
        throw TFailure(FormatText(Tr("Sound format is not valid ({1} channels, {2} Hz)"),
                                  info.Channels, info.SampleRate));
    // Some writers leave the block size out; PCM's follows from the rest.
    std::uint64_t frameBytes = info.BlockAlign;
    if (frameBytes == 0)
        frameBytes = std::uint64_t{info.Channels} * ((info.BitsPerSample + 7u) / 8u);
    if (frameBytes != 0)
        info.SampleFrames = info.DataLength / frameBytes;
    info.Seconds = static_cast<double>(info.SampleFrames) / info.SampleRate;
    return info;
}

std::string WaveFormatName(std::uint16_t tag) {
    switch (tag) {
    case 1:
        return "PCM";
    case 2:
        return "Microsoft ADPCM";
    case 3:
        return "IEEE float";
    case 6:
        return "A-law";
    case 7:
        return "mu-law";
    case 0x11:
        return "IMA ADPCM";
    case 0x55:
        return "MPEG layer 3";
    case 0xFFFE:
        return "extensible";
    default:
        return "format " + std::to_string(tag);
    }
}

std::vector<TWaveColumn> WaveformColumns(std::span<const unsigned char> wave, const TWaveInfo& info,
                                         int columns) {
    if (columns < 1 || columns > kMaxWaveformColumns)
        throw TFailure(FormatText(Tr("Waveform width {1} is not valid"), columns));
    const unsigned sampleBytes = info.BitsPerSample == 8 ? 1 : info.BitsPerSample == 16 ? 2 : 0;
    if (info.FormatTag != kWaveTagPcm || sampleBytes == 0)
        throw TFailure(FormatText(Tr("Cannot draw the waveform of this sound ({1}, {2}-bit)"),
                                  WaveFormatName(info.FormatTag), info.BitsPerSample));
    const auto data = SliceOf(wave, info.DataOffset, info.DataLength, TrMark("Sound data"));
    const std::size_t frameBytes = std::size_t{sampleBytes} * info.Channels;
    const std::size_t frames = frameBytes == 0 ? 0 : data.size() / frameBytes;
    const auto count = static_cast<std::size_t>(columns);
    std::vector<TWaveColumn> out(count);
    if (frames == 0)
        return out;
    for (std::size_t c = 0; c < count; ++c) {
        // With fewer frames than columns a frame is drawn in several columns.
        const std::size_t first = std::min(frames - 1, c * frames / count);
        const std::size_t last = std::max(first + 1, (c + 1) * frames / count);
        float low = 1;
        float high = -1;
        for (std::size_t i = first * frameBytes; i < last * frameBytes; i += sampleBytes) {
            const float value =
                sampleBytes == 1
                    ? (static_cast<float>(data[i]) - 128.0f) / 128.0f
                    : static_cast<float>(static_cast<std::int16_t>(data[i] | data[i + 1] << 8)) /
                          32768.0f;
            low = std::min(low, value);
            high = std::max(high, value);
        }
        out[c] = {low, high};
    }
    return out;
}

} // namespace zorvak
