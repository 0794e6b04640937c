// Writing a ZIP (PK3) archive member by member: each member's local header
// and coded bytes, then the central directory and the end record, with the
// ZIP64 records wherever a size, an offset or the count needs them.
#pragma once

#include "archive/ZipFormat.h"
#include "framework/Streams.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zorvak {

// 1980-01-01 00:00, the earliest time a ZIP can hold: what --sorted gives
// every member, so the same tree makes the same bytes.
inline constexpr std::uint32_t kZipEarliestDosTime = (1u << 5 | 1u) << 16;
// A regular file readable by all, as Unix tools read external attributes.
inline constexpr std::uint32_t kZipFileAttributes = 0100644u << 16;

// The time a file was changed, as a ZIP stores it (local time, two-second
// steps, 1980 to 2107); times outside that range are clamped.
std::uint32_t DosTimeOf(std::int64_t unixSeconds);

struct TZipMemberInfo {
    std::string Name; // as stored; flagged UTF-8 when it is UTF-8 past ASCII
    std::uint16_t Method = kZipMethodDeflated;
    std::uint32_t DosTime = kZipEarliestDosTime; // time, then date in the high half
    std::uint32_t ExternalAttributes = kZipFileAttributes;
    std::uint16_t MadeBy = kZipMadeByUnix;
    // Flags a kept member brings along (its encryption, its deflate
    // options); the UTF-8 flag follows the name, the descriptor's is never
    // set.
    std::uint16_t Flags = 0;
};

class TZipWriter {
public:
    // Writes from out's start; the stream must be able to seek back (a
    // member written in pieces has its header finished last).
    explicit TZipWriter(TStream& out);

    // A member whose coded bytes are all at hand: its header, crc and size
    // (decoded) included, then coded.
    void AddMember(const TZipMemberInfo& info, std::uint32_t crc, std::int64_t size,
                   std::span<const unsigned char> coded);

    // A member written in pieces: its header, with room for ZIP64 sizes
    // when either may pass 4 GiB (mostSize: the most it can decode to or
    // take coded), then its coded bytes, then EndMember with its crc and
    // decoded size, which go into the header.
    void BeginMember(const TZipMemberInfo& info, std::int64_t mostSize);
    void WriteCoded(std::span<const unsigned char> coded);
    void EndMember(std::uint32_t crc, std::int64_t size);

    // The central directory and the end records. Returns the archive's
    // length.
    std::int64_t Finish();

    std::int64_t Position() const { return position_; }
    std::size_t Members() const { return records_.size(); }

private:
    struct TRecord {
        std::string Name;
        std::uint16_t Method;
        std::uint16_t Flags;
        std::uint32_t DosTime;
        std::uint32_t ExternalAttributes;
        std::uint16_t MadeBy;
        std::uint32_t Crc = 0;
        std::int64_t Stored = 0;
        std::int64_t Size = 0;
        std::int64_t Offset = 0;
        bool WideLocal = false; // its local header has the ZIP64 sizes
    };

    void Header(const TZipMemberInfo& info, bool wide);
    void Put(const void* bytes, std::size_t n);
    void Drain();

    TStream& out_;
    std::vector<TRecord> records_;
    std::vector<unsigned char> buffer_; // not yet written, from bufferAt_
    std::int64_t bufferAt_ = 0;
    std::int64_t position_ = 0;
    bool open_ = false;
};

} // namespace zorvak
