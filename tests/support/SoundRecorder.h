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
};

class TSoundRecorder : public TSoundService {
public:
    bool PlaySound(std::span<const unsigned char> sound, std::uint16_t flags) override {
        Calls.push_back({std::vector<unsigned char>(sound.begin(), sound.end()), flags});
        if (OnPlay)
            OnPlay(Calls.back());
        return !sound.empty();
    }
    std::vector<TSoundCall> Calls;
    // Runs inside the call: to look at the window meanwhile, or to throw.
    std::function<void(const TSoundCall&)> OnPlay;
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
