// Sounds (.wav): what the RIFF WAVE header says, where the loop starts as
// the game reads it, and the samples reduced to a drawable outline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zorvak {

inline constexpr std::uint16_t kWaveTagPcm = 1;
inline constexpr std::size_t kWaveFormatMinBytes = 16;
inline constexpr std::size_t kCuePointBytes = 24;
inline constexpr int kMaxWaveformColumns = 1 << 16;

struct TWaveInfo {
    std::uint16_t FormatTag = 0;
    std::uint16_t Channels = 0;
    std::uint32_t SampleRate = 0;
    std::uint16_t BlockAlign = 0; // bytes per sample frame
    std::uint16_t BitsPerSample = 0;
    std::uint64_t SampleFrames = 0;
    double Seconds = 0;
    // In sample frames: the first cue point's sample offset, and the length a
    // "mark" text after it gives the looped part (the game plays that far).
    std::optional<std::uint32_t> LoopStart;
    std::optional<std::uint32_t> LoopLength;
    std::size_t DataOffset = 0; // of the samples, from the entry's start
    std::size_t DataLength = 0; // cut to what the entry holds
};

// Whether bytes start as a RIFF WAVE file does.
bool IsRiffWave(std::span<const unsigned char> bytes);

// The header. Throws TFailure "Not a WAVE file", "Sound has no format chunk",
// "Sound has no data chunk", "Sound format chunk is cut short", or "Sound
// format is not valid (C channels, R Hz)".
TWaveInfo ReadWaveInfo(std::span<const unsigned char> wave);

// "PCM", "IEEE float", "mu-law", ... or "format N".
std::string WaveFormatName(std::uint16_t tag);

struct TWaveColumn {
    float Min = 0; // -1 .. 1, over every channel of the column's frames
    float Max = 0;
};

// The samples split evenly into columns, each reduced to its lowest and
// highest value. Throws TFailure "Waveform width N is not valid" unless 1 ..
// kMaxWaveformColumns, "Cannot draw the waveform of this sound (FORMAT,
// B-bit)" for any but 8- and 16-bit PCM, or "Sound data lies outside the entry" when info is
// not this entry's.
std::vector<TWaveColumn> WaveformColumns(std::span<const unsigned char> wave, const TWaveInfo& info,
                                         int columns);

} // namespace zorvak
