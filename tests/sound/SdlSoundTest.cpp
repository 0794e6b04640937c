// The SDL backend on SDL's "disk" driver, which writes what it plays to a
// file: what reached the file is what was played.
#include "sound/SdlSound.h"
#include "sound/Waveplay.h"
#include "support/TempDir.h"
#include "support/WaveImage.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zorvak {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes Le16(const std::vector<std::int16_t>& samples) {
    Bytes out;
    for (const std::int16_t s : samples) {
        out.push_back(static_cast<unsigned char>(static_cast<std::uint16_t>(s)));
        out.push_back(static_cast<unsigned char>(static_cast<std::uint16_t>(s) >> 8));
    }
    return out;
}

// The G.711 expansions, written out here so the test does not trust the decoder it checks.
std::int16_t MuLawToLinear(unsigned char code) {
    const unsigned char u = static_cast<unsigned char>(~code);
    const int exponent = (u >> 4) & 7;
    const int magnitude = ((((u & 0x0F) << 3) + 0x84) << exponent) - 0x84;
    return static_cast<std::int16_t>((u & 0x80) ? -magnitude : magnitude);
}

std::int16_t ALawToLinear(unsigned char code) {
    const unsigned char a = static_cast<unsigned char>(code ^ 0x55);
    const int exponent = (a >> 4) & 7;
    const int mantissa = a & 0x0F;
    const int magnitude =
        exponent == 0 ? (mantissa << 4) + 8 : ((mantissa << 4) + 0x108) << (exponent - 1);
    return static_cast<std::int16_t>((a & 0x80) ? magnitude : -magnitude);
}

bool Contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

// What a device wrote for one sound: silence (SDL plays it while the device
// is still paused), the samples once and whole, and silence after them.
::testing::AssertionResult PlayedOnce(const Bytes& out, const Bytes& samples,
                                      unsigned char silence) {
    const auto at = std::search(out.begin(), out.end(), samples.begin(), samples.end());
    if (at == out.end())
        return ::testing::AssertionFailure()
               << "the " << samples.size() << " bytes are not in the " << out.size() << " played";
    const auto end = at + static_cast<std::ptrdiff_t>(samples.size());
    const auto quiet = [silence](unsigned char b) { return b == silence; };
    if (!std::all_of(out.begin(), at, quiet) || !std::all_of(end, out.end(), quiet))
        return ::testing::AssertionFailure() << "something else was played around the sound";
    return ::testing::AssertionSuccess();
}

// Sets an environment variable for one test and puts the old value back.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~TScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class SdlSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        // SDL picks its driver when the audio subsystem starts; the backend
        // holds it only while a sound plays, so it must be down between tests.
        ASSERT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    }
    void TearDown() override { EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u); }

    Bytes Output() const {
        const std::string text = test::ReadFile(output_);
        return Bytes(text.begin(), text.end());
    }
    bool OutputExists() const { return std::filesystem::exists(output_); }

    test::TTempDir dir_;
    std::filesystem::path output_ = dir_ / "played.raw";
    TScopedEnv driver_{"SDL_AUDIODRIVER", "disk"};
    TScopedEnv file_{"SDL_DISKAUDIOFILE", output_.string()};
};

TEST_F(SdlSoundTest, SynchronousPlayReturnsOnceEveryDecodedSampleWasPlayed) {
    std::vector<std::int16_t> pcm16;
    for (int i = 0; i < 3000; ++i)
        pcm16.push_back(static_cast<std::int16_t>((i * 997) % 60000 - 30000));
    Bytes stereo = Le16(pcm16);
    Bytes pcm32;
    for (int i = 0; i < 1000; ++i) {
        const std::int32_t v = (i - 500) * 4000000;
        for (int b = 0; b < 4; ++b)
            pcm32.push_back(static_cast<unsigned char>(static_cast<std::uint32_t>(v) >> (8 * b)));
    }
    Bytes floats;
    for (int i = 0; i < 1000; ++i) {
        const float f = static_cast<float>(i % 200 - 100) / 128.0f;
        unsigned char b[4];
        std::memcpy(b, &f, 4);
        floats.insert(floats.end(), b, b + 4);
    }
    Bytes codes(256);
    std::vector<std::int16_t> muLaw;
    std::vector<std::int16_t> aLaw;
    for (int c = 0; c < 256; ++c) {
        codes[c] = static_cast<unsigned char>(c);
        muLaw.push_back(MuLawToLinear(static_cast<unsigned char>(c)));
        aLaw.push_back(ALawToLinear(static_cast<unsigned char>(c)));
    }
    struct Row {
        const char* What;
        Bytes Image;
        Bytes Played;
        unsigned char Silence;
    };
    const Row rows[] = {
        {"8-bit PCM", test::MakePcm8Wave(test::SawPcm8(2000)), test::SawPcm8(2000), 0x80},
        {"16-bit PCM", test::MakePcm16Wave(pcm16), Le16(pcm16), 0},
        {"16-bit stereo", test::MakeWave(test::kWaveFormatPcm, 2, 22050, 16, stereo), stereo, 0},
        {"32-bit PCM", test::MakeWave(test::kWaveFormatPcm, 1, 22050, 32, pcm32), pcm32, 0},
        {"float", test::MakeWave(test::kWaveFormatFloat, 1, 22050, 32, floats), floats, 0},
        {"mu-law", test::MakeWave(test::kWaveFormatMuLaw, 1, 8000, 8, codes), Le16(muLaw), 0},
        {"A-law", test::MakeWave(test::kWaveFormatALaw, 1, 8000, 8, codes), Le16(aLaw), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.What);
        std::filesystem::remove(output_);
        TSdlSound sound;
        EXPECT_TRUE(sound.PlaySound(row.Image, kSndMemory | kSndSync));
        EXPECT_FALSE(sound.Playing());
        // The device is closed by now: the file holds everything it was given.
        EXPECT_TRUE(PlayedOnce(Output(), row.Played, row.Silence));
    }
}

TEST_F(SdlSoundTest, ImageThatCannotBePlayedGivesTheDefaultSoundUnlessTold) {
    const std::string junk = "RIFF....WAVEjunk that is no wave at all";
    const Bytes image(junk.begin(), junk.end());
    TSdlSound sound;
    EXPECT_FALSE(sound.PlaySound(image, kSndMemory | kSndNoDefault));
    EXPECT_FALSE(OutputExists());

    EXPECT_TRUE(sound.PlaySound(image, kSndMemory));
    const Bytes out = Output();
    EXPECT_GE(out.size(), 22050u * 2 / 10); // at least a tenth of a second at 22050 Hz
    EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](unsigned char b) { return b != 0; }));
}

TEST_F(SdlSoundTest, AsynchronousNoStopLoopAndStop) {
    const Bytes longSound = test::MakePcm8Wave(test::SawPcm8(3 * 11025)); // 3 s
    const Bytes shortSamples = test::SawPcm8(200);
    const Bytes shortSound = test::MakePcm8Wave(shortSamples);
    TSdlSound sound;

    EXPECT_TRUE(sound.PlaySound(longSound, kSndMemory | kSndAsync));
    EXPECT_TRUE(sound.Playing());
    // No-stop: the playing sound goes on and the new one is not played.
    EXPECT_FALSE(sound.PlaySound(shortSound, kSndMemory | kSndAsync | kSndNoStop));
    EXPECT_TRUE(sound.Playing());
    // No sound: the playing one stops and the device is let go.
    EXPECT_FALSE(sound.PlaySound({}, 0));
    EXPECT_FALSE(sound.Playing());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);

    // A loop repeats until stopped; asked for synchronously it still returns.
    EXPECT_TRUE(sound.PlaySound(shortSound, kSndMemory | kSndLoop));
    EXPECT_TRUE(sound.Playing());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sound.BytesPlayed() < 4 * shortSamples.size() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(sound.BytesPlayed(), 4 * shortSamples.size());
    EXPECT_TRUE(sound.Playing());
    EXPECT_FALSE(sound.PlaySound({}, kSndMemory));
    EXPECT_FALSE(sound.Playing());
    Bytes twice = shortSamples;
    twice.insert(twice.end(), shortSamples.begin(), shortSamples.end());
    EXPECT_TRUE(Contains(Output(), twice));
}

// A synchronous sound asks its caller now and then whether to go on; a no
// ends it, and so does whatever the caller did to the sound meanwhile.
TEST_F(SdlSoundTest, ASynchronousPlayEndsWhenItsWaitSaysSo) {
    const Bytes threeSeconds = test::MakePcm8Wave(test::SawPcm8(3 * 11025));
    const Bytes shortSound = test::MakePcm8Wave(test::SawPcm8(200));
    const struct {
        const char* What;
        std::function<bool(TSdlSound&, int)> Keep; // the sound, the look (from 1)
        bool StillPlaying;                         // a sound started meanwhile goes on
    } rows[] = {
        {"stop at the third look", [](TSdlSound&, int look) { return look < 3; }, false},
        {"stopped from inside the wait",
         [](TSdlSound& sound, int) {
             sound.PlaySound({}, 0);
             return true;
         },
         false},
        {"another sound started from inside the wait",
         [&](TSdlSound& sound, int) {
             sound.PlaySound(shortSound, kSndMemory | kSndAsync | kSndLoop);
             return true;
         },
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.What);
        std::filesystem::remove(output_);
        TSdlSound sound;
        int looks = 0;
        EXPECT_TRUE(sound.PlaySoundUntil(threeSeconds, kSndMemory | kSndSync,
                                         [&] { return row.Keep(sound, ++looks); }));
        EXPECT_GE(looks, 1);
        EXPECT_EQ(sound.Playing(), row.StillPlaying);
        sound.Stop();
        // Far from all of the three seconds reached the device.
        EXPECT_LT(Output().size(), threeSeconds.size() / 2);
    }
}

TEST_F(SdlSoundTest, NoAudioDeviceIsNoFailure) {
    TScopedEnv none("SDL_AUDIODRIVER", "no-such-driver");
    TSdlSound sound;
    EXPECT_FALSE(sound.PlaySound(test::MakePcm8Wave(test::SawPcm8(100)), kSndMemory));
    EXPECT_FALSE(sound.PlaySound(Bytes{1, 2, 3}, kSndMemory));
    EXPECT_FALSE(sound.Playing());
    EXPECT_FALSE(OutputExists());
}

TEST_F(SdlSoundTest, DummyDriverPlaysInSilence) {
    // What a machine without a sound card runs on: the sound is consumed in
    // its own time and nothing is reported.
    TScopedEnv dummy("SDL_AUDIODRIVER", "dummy");
    const Bytes samples = test::SawPcm8(1000);
    TSdlSound sound;
    EXPECT_TRUE(sound.PlaySound(test::MakePcm8Wave(samples), kSndMemory | kSndAsync));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sound.Playing() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(sound.Playing());
    EXPECT_EQ(sound.BytesPlayed(), samples.size());
    EXPECT_TRUE(sound.PlaySound(test::MakePcm8Wave(samples), kSndMemory));
    EXPECT_FALSE(sound.PlaySound({}, 0));
    EXPECT_FALSE(OutputExists());
}

TEST_F(SdlSoundTest, PlayerPlaysStoredWavesThroughTheBackend) {
    auto saved = SetSoundService(std::make_unique<TSdlSound>());
    {
        QObject owner;
        TWavePlayer* player = CreateWavPlayerFromDescription(&owner);
        const Bytes samples8 = test::SawPcm8(1500);
        const std::vector<std::int16_t> samples16 = {0, 12000, -12000, 32767, -32768, 5, -5, 100};
        struct Row {
            const char* What;
            Bytes Image;
            Bytes Played;
            unsigned char Silence;
        };
        const Row rows[] = {{"8-bit", test::MakePcm8Wave(samples8), samples8, 0x80},
                            {"16-bit", test::MakePcm16Wave(samples16), Le16(samples16), 0}};
        for (const Row& row : rows) {
            SCOPED_TRACE(row.What);
            TMemoryStream entry(row.Image);
            player->Wave().LoadFromStream(entry);
            player->Play();
            EXPECT_TRUE(PlayedOnce(Output(), row.Played, row.Silence));
        }
    }
    SetSoundService(std::move(saved));
}

} // namespace
} // namespace zorvak
