// A recorder that tests put in place of the sound service.
#pragma once

#include "sound/SoundService.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace zorvak::test {

struct TSoundCall {
    std::vector<unsigned char> Sound; // a copy: the caller may change its bytes afterwards
    std::uint16_t Flags = 0;
    // A synchronous play the caller may stop: how often it was asked to go
    // on, and whether it said stop before the sound's length was over.
    bool Watched = false;
    int Waits = 0;
    bool Stopped = false;
};

class TSoundRecorder : public TSoundService {
public:
    bool PlaySound(std::span<const unsigned char> sound, std::uint16_t flags) override {
        Calls.push_back({std::vector<unsigned char>(sound.begin(), sound.end()), flags});
        if (OnPlay)
            OnPlay(Calls.back());
        return !sound.empty();
    }
    // A sound that lasts Length waits: the caller is asked that many times
    // whether to go on, as a real one would ask while it plays.
    bool PlaySoundUntil(std::span<const unsigned char> sound, std::uint16_t flags,
                        const std::function<bool()>& keepWaiting) override {
        const bool played = PlaySound(sound, flags);
        // By number: a play started meanwhile adds a call.
        const std::size_t call = Calls.size() - 1;
        Calls[call].Watched = static_cast<bool>(keepWaiting);
        for (int waits = 1; keepWaiting && waits <= Length; ++waits) {
            const bool keep = keepWaiting();
            Calls[call].Waits = waits;
            if (!keep) {
                Calls[call].Stopped = true;
                break;
            }
        }
        return played;
    }
    std::vector<TSoundCall> Calls;
    // Runs inside the call: to look at the window meanwhile, or to throw.
    std::function<void(const TSoundCall&)> OnPlay;
    int Length = 0;
};

// Puts a recorder in place of the sound service for one test.
class TRecordedSound {
public:
    TRecordedSound() {
        auto recorder = std::make_unique<TSoundRecorder>();
        Sound = recorder.get();
        saved_ = SetSoundService(std::move(recorder));
    }
    ~TRecordedSound() { SetSoundService(std::move(saved_)); }
    TRecordedSound(const TRecordedSound&) = delete;
    TRecordedSound& operator=(const TRecordedSound&) = delete;

    TSoundRecorder* Sound;

private:
    std::unique_ptr<TSoundService> saved_;
};

} // namespace zorvak::test
