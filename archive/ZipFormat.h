// The ZIP layout (PK3 archives are ZIP files): local headers before each
// member's data, a central directory of variable-length records, and the
// end record that finds it, with the ZIP64 records for archives past 4 GiB
// or 65,535 members. All integers are unsigned little-endian.
#pragma once

#include "archive/EntryCoding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvak {

inline constexpr std::uint32_t kZipLocalSignature = 0x04034b50;   // "PK\3\4"
inline constexpr std::uint32_t kZipCentralSignature = 0x02014b50; // "PK\1\2"
inline constexpr std::uint32_t kZipEndSignature = 0x06054b50;     // "PK\5\6"
inline constexpr std::uint32_t kZip64EndSignature = 0x06064b50;   // "PK\6\6"
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
inline constexpr std::uint32_t kZipDescriptorSignature = 0x08074b50;

inline constexpr std::size_t kZipLocalSize = 30;
inline constexpr std::size_t kZipCentralSize = 46;
inline constexpr std::size_t kZipEndSize = 22;
inline constexpr std::size_t kZip64EndSize = 56;
inline constexpr std::size_t kZip64LocatorSize = 20;
inline constexpr std::size_t kZipMaxComment = 0xFFFF;
// Where the local header's name and extra lengths lie.
inline constexpr std::size_t kZipLocalNameLengthAt = 26;

inline constexpr std::uint16_t kZipFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kZipFlagDescriptor = 0x0008;
inline constexpr std::uint16_t kZipFlagStrongEncryption = 0x0040;
inline constexpr std::uint16_t kZipFlagUtf8 = 0x0800;

inline constexpr std::uint16_t kZipMethodStored = 0;
inline constexpr std::uint16_t kZipMethodDeflated = 8;

inline constexpr std::uint16_t kZipExtraZip64 = 0x0001;
inline constexpr std::uint16_t kZipExtraUnicodePath = 0x7075;

// A 16- or 32-bit field holding this says the ZIP64 record has the value.
inline constexpr std::uint16_t kZip16Escape = 0xFFFF;
inline constexpr std::uint32_t kZip32Escape = 0xFFFFFFFF;

// Version 2.0 (deflate, folders) and 4.5 (ZIP64) as "version needed" says.
inline constexpr std::uint16_t kZipVersionDeflate = 20;
inline constexpr std::uint16_t kZipVersionZip64 = 45;
// Made by: Unix (3) in the high byte, format version 6.3 in the low.
inline constexpr std::uint16_t kZipMadeByUnix = (3 << 8) | 63;

// Deflate never gives more than about 1032 bytes for one it reads: a member
// that states more than this many times its compressed size (and the
// slack below) cannot be whole, whatever its bytes.
inline constexpr std::int64_t kDeflateMaxRatio = 1032;
inline constexpr std::int64_t kCodedSlack = 1024;

inline std::uint16_t ZipGet16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t ZipGet32(const unsigned char* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}
inline std::uint64_t ZipGet64(const unsigned char* p) {
    return std::uint64_t{ZipGet32(p)} | std::uint64_t{ZipGet32(p + 4)} << 32;
}
inline void ZipPut16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void ZipPut32(unsigned char* p, std::uint32_t v) {
    ZipPut16(p, static_cast<std::uint16_t>(v));
    ZipPut16(p + 2, static_cast<std::uint16_t>(v >> 16));
}
inline void ZipPut64(unsigned char* p, std::uint64_t v) {
    ZipPut32(p, static_cast<std::uint32_t>(v));
    ZipPut32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

// A local header's length with its name and extra field, from its fixed
// part.
inline std::int64_t ZipLocalHeaderLength(const unsigned char (&local)[kZipLocalSize]) {
    return static_cast<std::int64_t>(kZipLocalSize) + ZipGet16(local + kZipLocalNameLengthAt) +
           ZipGet16(local + kZipLocalNameLengthAt + 2);
}

// Whether the first bytes of a file open a ZIP: a member's local header,
// or the end record of an archive with no member.
bool IsZipSignature(std::string_view firstBytes);

// A name stored without the UTF-8 flag, read as code page 437 (as the
// format says) and given as UTF-8; ASCII names come back as they are.
std::string Cp437ToUtf8(std::string_view name);

// The method's decoding for a member: stored, deflated, else unsupported.
TEntryMethod ZipEntryMethod(std::uint16_t method);

// The refusal of a member that cannot be decoded: its method by name, or
// its encryption. Empty when it can be.
std::string UndecodableReason(const TEntryCoding& coding);

// The most bytes a coding can decode to from its stored bytes; a stated
// size past it is a lie.
std::int64_t MostDecodedBytes(const TEntryCoding& coding);

} // namespace zorvak
