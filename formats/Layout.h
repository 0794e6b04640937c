// What every decoder needs besides the byte reader: parts of an entry checked
// against the entry, names from fixed-size fields, four-letter tags, floats.
#pragma once

#include "framework/ByteReader.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace zorvak {

// A 32-bit field (an integer, a float, an offset): what most layouts are
// made of.
inline constexpr std::size_t kFieldBytes = 4;

// The length bytes at offset of bytes; throws TFailure "WHAT lies outside the
// entry" when any of them is not there.
std::span<const unsigned char> SliceOf(std::span<const unsigned char> bytes, std::uint64_t offset,
                                       std::uint64_t length, const std::string& what);

// The bytes of a fixed-size name field up to its first NUL.
std::string FixedName(std::span<const unsigned char> field);

// Whether bytes holds tag at offset (false when too short).
bool HasTag(std::span<const unsigned char> bytes, std::size_t offset, std::string_view tag);

// The WHAT of the failures below is English, marked TrMark where it is
// written (framework/Translate.h), and translated when a failure is made.

// A little-endian IEEE single; throws as the reader does.
float ReadFloat(TByteReader& reader);

// A reader past the tag and version of a file that starts with both (models,
// sprites). Throws "Not a WHAT file", "WHAT header is cut short" (shorter
// than headerBytes) or "WHAT version N is not supported", WHAT capitalised
// by the caller as it reads at a sentence's start ("Model", "Sprite") and
// in lower case inside one, unless a name keeps its capital there
// (properName: "Quake II model").
TByteReader OpenTagged(std::span<const unsigned char> bytes, std::string_view tag,
                       std::int32_t version, std::size_t headerBytes, const std::string& what,
                       bool properName = false);

// Throws TFailure "WHAT N runs past the end of the entry" unless count records
// of recordSize bytes fit in what the reader has left: checked before anything
// is sized by a count read from the entry.
void CheckCount(const TByteReader& reader, std::int64_t count, std::uint64_t recordSize,
                std::string_view what);

// A stop request asked now and then during a long walk, not at every record:
// true once stop (which may be empty) has said so.
class TStopPoll {
public:
    explicit TStopPoll(const std::function<bool()>& stop) : stop_(stop) {}
    bool operator()() {
        if (!stopped_ && stop_ && ++count_ % kEvery == 0)
            stopped_ = stop_();
        return stopped_;
    }

private:
    static constexpr std::size_t kEvery = 1024;
    const std::function<bool()>& stop_;
    std::size_t count_ = 0;
    bool stopped_ = false;
};

} // namespace zorvak
