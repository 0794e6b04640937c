#include "sound/SdlSound.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <numbers>
#include <vector>

namespace zorvak {

namespace {

// Frames per device buffer: small, so the end of a sound is noticed soon.
constexpr Uint16 kBufferFrames = 1024;

// How much longer than its own length a synchronous sound may take before
// we stop waiting: a device that stalls must not hang the window for good.
constexpr auto kEndSlack = std::chrono::seconds(2);

} // namespace

struct TSdlSound::TDecoded {
    SDL_AudioSpec Spec{};
    std::vector<Uint8> Samples;
};

// Shared between the window's thread and SDL's audio thread, under Mutex.
struct TSdlSound::TPlayback {
    std::vector<Uint8> Samples;
    std::size_t Position = 0;
    bool Loop = false;
    Uint8 Silence = 0;
    std::uint64_t Played = 0;
    bool Drained = false; // the last sample went into a device buffer
    bool Ended = false;   // ... and that buffer has been played out
    SDL_AudioDeviceID Device = 0;
    std::chrono::milliseconds Length{0};
    std::mutex Mutex;
    std::condition_variable EndSignal;
};

namespace {

void SDLCALL FillBuffer(void* userdata, Uint8* stream, int len) {
    auto& p = *static_cast<TSdlSound::TPlayback*>(userdata);
    const auto size = static_cast<std::size_t>(len);
    std::size_t done = 0;
    bool ended = false;
    {
        std::lock_guard lock(p.Mutex);
        if (p.Drained) {
            // SDL asks for the next buffer only once the previous one is out.
            ended = p.Ended = true;
        } else {
            while (done < size && !p.Samples.empty()) {
                if (p.Position == p.Samples.size()) {
                    if (!p.Loop)
                        break;
                    p.Position = 0;
                }
                const std::size_t count = std::min(size - done, p.Samples.size() - p.Position);
                std::memcpy(stream + done, p.Samples.data() + p.Position, count);
                done += count;
                p.Position += count;
                p.Played += count;
            }
            if (p.Samples.empty() || (!p.Loop && p.Position == p.Samples.size()))
                p.Drained = true;
        }
        std::memset(stream + done, p.Silence, size - done);
    }
    if (ended)
        p.EndSignal.notify_all();
}

bool Decode(std::span<const unsigned char> image, TSdlSound::TDecoded& decoded) {
    if (image.size() > static_cast<std::size_t>(INT_MAX))
        return false;
    SDL_RWops* source = SDL_RWFromConstMem(image.data(), static_cast<int>(image.size()));
    if (source == nullptr)
        return false;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(source, 1, &decoded.Spec, &buffer, &length) == nullptr)
        return false;
    decoded.Samples.assign(buffer, buffer + length);
    SDL_FreeWAV(buffer);
    return true;
}

// The fallback for an image that cannot be played: 150 ms of a soft 880 Hz
// tone, faded in and out so it does not click.
TSdlSound::TDecoded DefaultBeep() {
    constexpr int kRate = 22050;
    constexpr int kFrames = kRate * 150 / 1000;
    constexpr int kFade = kRate * 5 / 1000;
    TSdlSound::TDecoded beep;
    beep.Spec.freq = kRate;
    beep.Spec.format = AUDIO_S16SYS;
    beep.Spec.channels = 1;
    beep.Samples.resize(kFrames * sizeof(Sint16));
    for (int i = 0; i < kFrames; ++i) {
        const double envelope = std::min({1.0, double(i) / kFade, double(kFrames - 1 - i) / kFade});
        const double value = 0.3 * envelope * std::sin(2 * std::numbers::pi * 880.0 * i / kRate);
        const auto sample = static_cast<Sint16>(std::lround(value * 32767));
        std::memcpy(beep.Samples.data() + i * sizeof(Sint16), &sample, sizeof sample);
    }
    return beep;
}

std::chrono::milliseconds LengthOf(const TSdlSound::TDecoded& decoded) {
    const std::uint64_t frameBytes =
        std::uint64_t(SDL_AUDIO_BITSIZE(decoded.Spec.format) / 8) * decoded.Spec.channels;
    const std::uint64_t bytesPerSecond = frameBytes * std::uint64_t(decoded.Spec.freq);
    if (bytesPerSecond == 0)
        return std::chrono::milliseconds(0);
    return std::chrono::milliseconds(decoded.Samples.size() * 1000 / bytesPerSecond);
}

} // namespace

TSdlSound::TSdlSound() = default;

TSdlSound::~TSdlSound() {
    Stop();
}

bool TSdlSound::Playing() const {
    if (!playback_)
        return false;
    std::lock_guard lock(playback_->Mutex);
    return !playback_->Ended;
}

std::uint64_t TSdlSound::BytesPlayed() const {
    if (!playback_)
        return 0;
    std::lock_guard lock(playback_->Mutex);
    return playback_->Played;
}

void TSdlSound::Stop() noexcept {
    if (!playback_)
        return;
    // Closing waits for the audio thread, so nothing touches the samples after.
    SDL_CloseAudioDevice(playback_->Device);
    playback_.reset();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool TSdlSound::Start(TDecoded decoded, bool loop) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false; // no audio here: not a failure
    auto playback = std::make_unique<TPlayback>();
    playback->Loop = loop;
    playback->Length = LengthOf(decoded);
    playback->Samples = std::move(decoded.Samples);
    SDL_AudioSpec wanted = decoded.Spec;
    wanted.samples = kBufferFrames;
    wanted.callback = FillBuffer;
    wanted.userdata = playback.get();
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to what the device takes, so the
    // callback hands over the decoded samples as they are.
    playback->Device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (playback->Device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    playback->Silence = obtained.silence;
    playback_ = std::move(playback);
    ++plays_;
    SDL_PauseAudioDevice(playback_->Device, 0);
    return true;
}

bool TSdlSound::WaitForEnd(const std::function<bool()>& keepWaiting) {
    const std::uint64_t mine = plays_;
    const auto deadline = std::chrono::steady_clock::now() + playback_->Length + kEndSlack;
    // Asked often enough that Escape stops the sound at once.
    const auto step = keepWaiting ? std::chrono::milliseconds(10) : std::chrono::milliseconds(100);
    for (;;) {
        {
            auto& p = *playback_;
            std::unique_lock lock(p.Mutex);
            p.EndSignal.wait_for(lock, step, [&p] { return p.Ended; });
            if (p.Ended || std::chrono::steady_clock::now() >= deadline)
                return true;
            if (SDL_GetAudioDeviceStatus(p.Device) == SDL_AUDIO_STOPPED)
                return true; // the device went away
        }
        if (!keepWaiting)
            continue;
        // Not under the lock: the audio thread goes on meanwhile, and what
        // the events do may stop this sound or start another.
        const bool keep = keepWaiting();
        if (plays_ != mine || !playback_)
            return false;
        if (!keep)
            return true;
    }
}

bool TSdlSound::PlaySound(std::span<const unsigned char> sound, std::uint16_t flags) {
    return PlaySoundUntil(sound, flags, {});
}

bool TSdlSound::PlaySoundUntil(std::span<const unsigned char> sound, std::uint16_t flags,
                               const std::function<bool()>& keepWaiting) {
    if (sound.empty()) {
        Stop();
        return false;
    }
    if ((flags & kSndNoStop) && Playing())
        return false;
    TDecoded decoded;
    const bool playable = Decode(sound, decoded);
    Stop();
    bool loop = (flags & kSndLoop) != 0;
    bool started = playable && Start(std::move(decoded), loop);
    if (!started && !(flags & kSndNoDefault)) {
        loop = false;
        started = Start(DefaultBeep(), false);
    }
    if (!started)
        return false;
    if (!(flags & kSndAsync) && !loop) {
        // A sound started meanwhile is the caller's of that play, not ours.
        if (WaitForEnd(keepWaiting))
            Stop();
    }
    return true;
}

} // namespace zorvak
