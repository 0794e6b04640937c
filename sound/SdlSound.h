// The sound service on SDL2 audio: SDL decodes the wave image (PCM of 8, 16
// and 32 bits, float, ADPCM, mu-law, A-law) and a device opened in the
// image's own format plays it.
#pragma once

#include "sound/SoundService.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace zorvak {

// Plays one sound at a time. The image is decoded into memory of the
// service's own during the play call, so the caller's bytes are never read
// afterwards. The audio subsystem and a device are held only while a sound
// plays; where SDL finds no audio device nothing plays and nothing is said.
// A looping sound always plays asynchronously: a synchronous loop could
// never be stopped. The fallback for a bad image is a short beep, played
// once.
class TSdlSound : public TSoundService {
public:
    TSdlSound();
    ~TSdlSound() override;
    TSdlSound(const TSdlSound&) = delete;
    TSdlSound& operator=(const TSdlSound&) = delete;

    bool PlaySound(std::span<const unsigned char> sound, std::uint16_t flags) override;
    bool PlaySoundUntil(std::span<const unsigned char> sound, std::uint16_t flags,
                        const std::function<bool()>& keepWaiting) override;

    // Whether a sound started asynchronously is still playing.
    bool Playing() const;
    // Bytes of decoded samples handed to the device for the current sound
    // (repeats of a loop included); 0 when none.
    std::uint64_t BytesPlayed() const;
    // Stops the sound and releases the device.
    void Stop() noexcept;

    // Defined where they are used: a decoded sound and a sound playing.
    struct TDecoded;
    struct TPlayback;

private:
    bool Start(TDecoded decoded, bool loop);
    // Until the sound has ended, the device stalled or keepWaiting (when
    // given) answered false. False when the sound was stopped or replaced
    // meanwhile by another play.
    bool WaitForEnd(const std::function<bool()>& keepWaiting);

    std::unique_ptr<TPlayback> playback_;
    // Counts the sounds started, so a wait can tell its own from a later one.
    std::uint64_t plays_ = 0;
};

} // namespace zorvak
