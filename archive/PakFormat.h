// The PAK archive layout: a 12-byte header, the entries' data, then a
// directory of 64-byte entries. All integers are signed 32-bit little-endian.
#pragma once

#include "framework/ByteReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvak {

inline constexpr std::array<char, 4> kPakMagic = {'P', 'A', 'C', 'K'};
inline constexpr std::size_t kPakHeaderSize = 12;
inline constexpr std::size_t kPakDirEntrySize = 64;
inline constexpr std::size_t kPakNameSize = 56;
// The builder keeps the 56th byte for the name's NUL.
inline constexpr std::size_t kPakMaxNameLength = kPakNameSize - 1;
// Every offset and length is a signed 32-bit value.
inline constexpr std::int64_t kPakMaxSize = 0x7FFFFFFF;
// Data are copied in chunks of this size; the gauge counts them.
inline constexpr std::size_t kCopyChunkSize = 10240;

struct TPakHeader {
    std::array<char, 4> Magic = kPakMagic;
    std::int32_t DirOffset = 0;
    std::int32_t DirLength = 0;
};

struct TPakDirEntry {
    std::array<char, kPakNameSize> Name{};
    std::int32_t FilePos = 0;
    std::int32_t FileLength = 0;
};

// Decoders read exactly one record; they throw "Read beyond end of file"
// when the reader holds too few bytes.
TPakHeader DecodePakHeader(TByteReader& reader);
TPakDirEntry DecodePakDirEntry(TByteReader& reader);
void EncodePakHeader(const TPakHeader& header, unsigned char (&out)[kPakHeaderSize]);
void EncodePakDirEntry(const TPakDirEntry& entry, unsigned char (&out)[kPakDirEntrySize]);

// The name as a reader takes it: the bytes up to the first NUL, or all 56.
std::string_view PakEntryNameView(const TPakDirEntry& entry);

// Whether the first bytes of a file, taken as text up to the first NUL, are
// exactly "PACK".
bool IsPakSignature(std::string_view firstBytes);

// Number of entries a directory length announces: DirLength div 64,
// truncated toward zero (so negative for a negative length).
inline std::int32_t PakEntryCount(std::int32_t dirLength) {
    return dirLength / static_cast<std::int32_t>(kPakDirEntrySize);
}

} // namespace zorvak
