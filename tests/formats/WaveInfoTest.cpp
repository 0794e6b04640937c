#include "formats/WaveInfo.h"
#include "FormatImages.h"
#include "support/FailureOf.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

using test::Bytes;
using test::Chunk;
using test::FailureOf;
using test::FormatChunk;

TEST(WaveInfo, HeaderAndTheLoopAsTheGameReadsIt) {
    const Bytes samples(11025, 0x80);
    struct TCase {
        const char* Name;
        Bytes Wave;
        std::optional<std::uint32_t> LoopStart, LoopLength;
    };
    const TCase cases[] = {
        {"no cue",
         test::MakeRiffWave({FormatChunk(1, 1, 11025, 8), Chunk("data", samples)}),
         {},
         {}},
        // The sample offset counts, not the position the cue point names.
        {"cue, then mark",
         test::MakeRiffWave({FormatChunk(1, 1, 11025, 8), Chunk("data", samples),
                             test::CueChunk(2756, 99), test::MarkChunk(5000)}),
         2756, 5000},
        {"mark before the cue is not the loop's",
         test::MakeRiffWave({FormatChunk(1, 1, 11025, 8), test::MarkChunk(5000),
                             Chunk("data", samples), test::CueChunk(10)}),
         10,
         {}},
        {"cue without points",
         test::MakeRiffWave(
             {FormatChunk(1, 1, 11025, 8), Chunk("data", samples), Chunk("cue ", Bytes(4, 0))}),
         {},
         {}},
        {"odd chunk padded before data",
         test::MakeRiffWave(
             {Chunk("junk", Bytes(3, 1)), FormatChunk(1, 1, 11025, 8), Chunk("data", samples)}),
         {},
         {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TWaveInfo info = ReadWaveInfo(c.Wave);
        EXPECT_EQ(info.FormatTag, 1);
        EXPECT_EQ(info.SampleRate, 11025u);
        EXPECT_EQ(info.SampleFrames, 11025u);
        EXPECT_DOUBLE_EQ(info.Seconds, 1.0);
        EXPECT_EQ(info.DataLength, samples.size());
        EXPECT_EQ(c.Wave[info.DataOffset - 8], 'd');
        EXPECT_EQ(info.LoopStart, c.LoopStart);
        EXPECT_EQ(info.LoopLength, c.LoopLength);
    }

    // Stereo 16-bit: four bytes a frame; a data chunk claiming more than is
    // there is read as far as it goes.
    Bytes cut = test::MakeRiffWave({FormatChunk(1, 2, 22050, 16), Chunk("data", Bytes(400))});
    cut.resize(cut.size() - 100);
    const TWaveInfo stereo = ReadWaveInfo(cut);
    EXPECT_EQ(stereo.DataLength, 300u);
    EXPECT_EQ(stereo.SampleFrames, 75u);
}

TEST(WaveInfo, DamagedHeadersSayWhat) {
    const Bytes data = Chunk("data", Bytes(4));
    Bytes huge = test::MakeRiffWave({FormatChunk(1, 1, 8000, 8), Chunk("junk", {}), data});
    for (std::size_t i = 0; i < 4; ++i)
        huge[12 + 24 + 4 + i] = 0xFF;
    struct TCase {
        const char* Name;
        Bytes Wave;
        std::string Failure;
    };
    const TCase cases[] = {
        {"not riff", Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, "Not a WAVE file"},
        {"no format", test::MakeRiffWave({data}), "Sound has no format chunk"},
        {"no data", test::MakeRiffWave({FormatChunk(1, 1, 8000, 8)}), "Sound has no data chunk"},
        {"short format", test::MakeRiffWave({Chunk("fmt ", Bytes(14)), data}),
         "Sound format chunk is cut short"},
        {"no channels", test::MakeRiffWave({FormatChunk(1, 0, 8000, 8), data}),
         "Sound format is not valid (0 channels, 8000 Hz)"},
        // A huge chunk size ends the walk instead of wrapping around.
        {"huge chunk", huge, "Sound has no data chunk"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FailureOf([&] { ReadWaveInfo(c.Wave); }), c.Failure) << c.Name;
}

TEST(WaveInfo, WaveformColumnsHoldEachSpansLowAndHigh) {
    struct TCase {
        const char* Name;
        Bytes Wave;
        int Columns;
        std::vector<std::pair<float, float>> Expected;
    };
    auto pcm16 = [](unsigned channels, const std::vector<std::int16_t>& values) {
        test::TBytesWriter w;
        for (const std::int16_t v : values)
            w.U16(static_cast<std::uint16_t>(v));
        return test::MakeRiffWave({FormatChunk(1, channels, 8000, 16), Chunk("data", w.Out)});
    };
    const TCase cases[] = {
        {"8-bit, two frames a column",
         test::MakeRiffWave({FormatChunk(1, 1, 8000, 8), Chunk("data", {0x80, 0xC0, 0x00, 0x40})}),
         2,
         {{0.0f, 0.5f}, {-1.0f, -0.5f}}},
        {"fewer frames than columns",
         test::MakeRiffWave({FormatChunk(1, 1, 8000, 8), Chunk("data", {0x40, 0xC0})}),
         4,
         {{-0.5f, -0.5f}, {-0.5f, -0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}}},
        {"16-bit stereo over both channels",
         pcm16(2, {16384, -32768, 0, 8192}),
         1,
         {{-1.0f, 0.5f}}},
        {"no samples",
         test::MakeRiffWave({FormatChunk(1, 1, 8000, 8), Chunk("data", {})}),
         2,
         {{0.0f, 0.0f}, {0.0f, 0.0f}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto columns = WaveformColumns(c.Wave, ReadWaveInfo(c.Wave), c.Columns);
        ASSERT_EQ(columns.size(), c.Expected.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            EXPECT_FLOAT_EQ(columns[i].Min, c.Expected[i].first) << i;
            EXPECT_FLOAT_EQ(columns[i].Max, c.Expected[i].second) << i;
        }
    }

    const Bytes alaw = test::MakeRiffWave({FormatChunk(6, 1, 8000, 8), Chunk("data", {1})});
    EXPECT_EQ(FailureOf([&] { WaveformColumns(alaw, ReadWaveInfo(alaw), 10); }),
              "Cannot draw the waveform of this sound (A-law, 8-bit)");
    const Bytes pcm = test::MakeRiffWave({FormatChunk(1, 1, 8000, 8), Chunk("data", {1})});
    EXPECT_EQ(FailureOf([&] { WaveformColumns(pcm, ReadWaveInfo(pcm), 0); }),
              "Waveform width 0 is not valid");
    TWaveInfo elsewhere = ReadWaveInfo(pcm);
    elsewhere.DataOffset = pcm.size();
    EXPECT_EQ(FailureOf([&] { WaveformColumns(pcm, elsewhere, 3); }),
              "Sound data lies outside the entry");
}

} // namespace
} // namespace zorvak
