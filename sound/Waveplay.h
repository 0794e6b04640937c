// The wave holder and the non-visual player component that owns one and
// plays it through the sound service.
#pragma once

#include "framework/PropertyStream.h"
#include "framework/Streams.h"

#include <QObject>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zorvak {

class TWave;
class TWavePlayer;

using TWaveNotifyEvent = std::function<void(TWave& sender)>;
using TPlayerNotifyEvent = std::function<void(TWavePlayer& sender)>;

// The bytes of one wave file image in memory, exactly as stored: nothing is
// added and nothing inside is looked at. Waves assigned from one another
// share one buffer, so a load into either is seen by both.
class TWave : public TPersistent {
public:
    TWave();

    // Set by every change; never cleared here.
    bool Modified = false;
    // Called after every change, with this wave.
    TWaveNotifyEvent OnChange;

    std::string ClassName() const override { return "TWave"; }
    // From a TWave: share its buffer. From nothing: keep the bytes. Either
    // way Changed follows. Anything else: "Cannot assign a %s to a %s".
    void Assign(const TPersistent* source) override;
    // The one stored property, the binary "Data": the bytes of the buffer.
    void DefineProperties(TPropertyList& properties) override;

    // Replaces the bytes with source's Size() bytes read from its current
    // position, then Changed. Throws "Stream read error" when fewer are
    // there and "Out of memory while expanding memory stream" when they do
    // not fit; on a failure the wave keeps its earlier bytes and nothing is
    // signalled.
    void LoadFromStream(TStream& source);
    // Writes all the bytes at target's position; throws what target throws.
    void SaveToStream(TStream& target) const;
    // Loads a file opened read-only without sharing ("Cannot open file %s").
    void LoadFromFile(const std::filesystem::path& fileName);
    // Writes a file that replaces an existing one only once it is complete
    // ("Cannot create file %s").
    void SaveToFile(const std::filesystem::path& fileName) const;
    // Takes bytes over as the wave's new content without copying, then Changed.
    void LoadFromBytes(std::vector<unsigned char> bytes);

    void ReadData(TStream& source) { LoadFromStream(source); }
    void WriteData(TStream& target) const { SaveToStream(target); }

    std::span<const unsigned char> Bytes() const { return stream_->Bytes(); }
    // Whether both waves hold one and the same buffer.
    bool SharesBufferWith(const TWave& other) const { return stream_ == other.stream_; }

    // Sets Modified, then calls OnChange.
    void Changed();

private:
    std::shared_ptr<TMemoryStream> stream_;
};

enum TWavePlayOpt : std::uint8_t { wpoSync, wpoAsync, wpoNoDefault, wpoLoop, wpoNoStop };

// A set of TWavePlayOpt in one byte: bit n for the option with ordinal n.
class TOptionsSet {
public:
    constexpr TOptionsSet() = default;
    constexpr TOptionsSet(std::initializer_list<TWavePlayOpt> options) {
        for (const TWavePlayOpt option : options)
            bits_ = static_cast<std::uint8_t>(bits_ | 1u << option);
    }
    // Bits beyond the last option are dropped.
    static constexpr TOptionsSet FromBits(std::uint32_t bits) {
        TOptionsSet set;
        set.bits_ = static_cast<std::uint8_t>(bits & 0x1F);
        return set;
    }
    constexpr bool Contains(TWavePlayOpt option) const { return (bits_ >> option & 1u) != 0; }
    constexpr std::uint8_t Bits() const { return bits_; }
    friend constexpr bool operator==(TOptionsSet, TOptionsSet) = default;

private:
    std::uint8_t bits_ = 0;
};

// Plays its wave through the sound service. Owned by the QObject given as
// owner (the window it sits on), or by the caller when there is none.
class TWavePlayer : public QObject, public TPersistent {
public:
    explicit TWavePlayer(QObject* owner = nullptr);
    // Stops any sound that is playing, also one started asynchronously.
    ~TWavePlayer() override;

    // false: Play raises its events and plays nothing.
    bool Enabled = true;
    // Called by Play before and after the sound, also when not Enabled.
    TPlayerNotifyEvent BeforePlay;
    TPlayerNotifyEvent AfterPlay;

    TOptionsSet Options() const { return options_; }
    // A different set recomputes the flags word; the same set does nothing.
    // Combinations are not checked: with wpoAsync the play is asynchronous
    // whatever else is in the set.
    void SetOptions(TOptionsSet options);
    // The flags handed to the sound service: kSndMemory plus one flag per
    // option (wpoSync adds none).
    std::uint16_t PlayFlags() const { return playFlags_; }

    TWave& Wave() { return *wave_; }
    const TWave& Wave() const { return *wave_; }
    // Assigns value into the owned wave, which stays the same object.
    void SetWave(const TWave& value) { wave_->Assign(&value); }

    // BeforePlay; if Enabled, the wave's bytes to the sound service under the
    // busy cursor (restored on every path); AfterPlay. With the default
    // options it returns when the sound has ended, or earlier when Escape is
    // pressed or a window closed meanwhile (TStoppableWait): the window
    // takes no other input until then, and none is left over for after. A
    // failure from the service travels on and AfterPlay is not called.
    void Play();

    std::string ClassName() const override { return "TWavePlayer"; }
    // Enabled (always stored), Options (default [wpoSync]) and Wave.Data.
    // The play events are bound in code and not stored.
    void DefineProperties(TPropertyList& properties) override;

private:
    TOptionsSet options_{wpoSync};
    std::uint16_t playFlags_;
    std::unique_ptr<TWave> wave_;
};

// The stored description of the main window's player "WAVPlayer": Enabled
// true, an empty Wave.Data and the default Options.
std::span<const unsigned char> WavPlayerDescription();
// Creates the main window's player from that description, named "WAVPlayer"
// and owned by owner.
TWavePlayer* CreateWavPlayerFromDescription(QObject* owner);

} // namespace zorvak
