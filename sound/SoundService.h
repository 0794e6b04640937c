// The one way the program makes a sound: an in-memory wave image and a flags
// word. Behind the seam sits the SDL backend; tests put a recorder there.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace zorvak {

// Flags of a play call; combine with |.
inline constexpr std::uint16_t kSndSync = 0x0000;      // return when the sound has ended
inline constexpr std::uint16_t kSndAsync = 0x0001;     // return at once
inline constexpr std::uint16_t kSndNoDefault = 0x0002; // no fallback sound for a bad image
inline constexpr std::uint16_t kSndMemory = 0x0004;    // the sound is an image in memory
inline constexpr std::uint16_t kSndLoop = 0x0008;      // repeat until stopped
inline constexpr std::uint16_t kSndNoStop = 0x0010;    // don't interrupt a playing sound

class TSoundService {
public:
    virtual ~TSoundService() = default;
    // Plays the RIFF WAVE image sound with flags; returns whether a sound
    // (the image or the fallback) was started. An empty sound plays nothing
    // and stops the one that is playing. A sound that cannot be played, or
    // no audio device at all, is no failure: the call returns false.
    // The service reads sound only during the call: whatever it needs later
    // it has copied or decoded by then, so the caller may change or release
    // the bytes as soon as the call returns.
    virtual bool PlaySound(std::span<const unsigned char> sound, std::uint16_t flags) = 0;
    // The same; while a synchronous sound plays, keepWaiting is asked every
    // few milliseconds whether to go on, and its false stops the sound and
    // ends the call. A service that cannot stop a sound early just plays it.
    virtual bool PlaySoundUntil(std::span<const unsigned char> sound, std::uint16_t flags,
                                const std::function<bool()>& keepWaiting) {
        (void)keepWaiting;
        return PlaySound(sound, flags);
    }
};

// The service in place; the SDL backend until another one is set.
TSoundService& SoundService();
// Puts service in place and returns the previous one, to put back afterwards.
std::unique_ptr<TSoundService> SetSoundService(std::unique_ptr<TSoundService> service);

} // namespace zorvak
