// The PAK archive layout: a 12-byte header, the entries' data, then a
// directory of 64-byte entries. All integers are signed 32-bit little-endian.
#pragma once

#include "framework/ByteReader.h"
#include "framework/Failures.h"
#include "framework/Translate.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvak {

inline constexpr std::array<char, 4> kPakMagic = {'P', 'A', 'C', 'K'};
inline constexpr std::size_t kPakHeaderSize = 12;
inline constexpr std::size_t kPakDirEntrySize = 64;
inline constexpr std::size_t kPakNameSize = 56;
// Where the fields lie: the header's directory offset and length after the
// magic; a directory entry's data position and length after the name.
inline constexpr std::size_t kPakDirOffsetAt = kPakMagic.size();
inline constexpr std::size_t kPakDirLengthAt = kPakDirOffsetAt + sizeof(std::int32_t);
inline constexpr std::size_t kPakFilePosAt = kPakNameSize;
inline constexpr std::size_t kPakFileLengthAt = kPakFilePosAt + sizeof(std::int32_t);
static_assert(kPakDirLengthAt + sizeof(std::int32_t) == kPakHeaderSize);
static_assert(kPakFileLengthAt + sizeof(std::int32_t) == kPakDirEntrySize);
// The builder keeps the 56th byte for the name's NUL.
inline constexpr std::size_t kPakMaxNameLength = kPakNameSize - 1;
// Every offset and length is a signed 32-bit value.
inline constexpr std::int64_t kPakMaxSize = 0x7FFFFFFF;
// Data are copied in chunks of this size; the gauge counts them.
inline constexpr std::size_t kCopyChunkSize = 10240;
// The directory is read and written in pieces of this many records (64
// KiB): few calls, a buffer that stays in the cache, and memory that does
// not grow with what a header claims.
inline constexpr std::size_t kPakDirectoryPieceRecords = 1024;

// The archive kinds laid out as a PAK is, a header, the data and a
// directory of fixed records (name, position, length), told apart by their
// signature: Quake's (also Quake II's, Hexen II's and Half-Life's) and SiN's;
// and ZIP (PK3) archives, whose members are read through their coding.
enum class TPakKind { pkQuake, pkSin, pkZip, pkDaikatana, pkWad2, pkWad3 };

// The original engine loads at most this many entries from one archive.
inline constexpr std::int32_t kEngineMaxEntries = 2048;

struct TPakLayout {
    TPakKind Kind;
    std::array<char, 4> Magic;
    std::size_t NameSize;  // the name field, NUL-padded
    std::size_t EntrySize; // one directory record: the name, then two int32
    // The most entries its engine loads from one archive, 0 when none is known.
    std::int32_t EngineMaxEntries;
    const char* Name; // as messages (translated) and --json (as it is) name the kind
};

inline constexpr TPakLayout kQuakeLayout = {TPakKind::pkQuake, kPakMagic,         kPakNameSize,
                                            kPakDirEntrySize,  kEngineMaxEntries, TrMark("PAK")};
inline constexpr TPakLayout kSinLayout = {
    TPakKind::pkSin, {'S', 'P', 'A', 'K'}, 120, 128, 0, TrMark("SiN archive (SPAK)")};

// Daikatana's PAK: Quake's header and signature, records of 72 bytes that
// add the compressed length and whether the entry is compressed. Told from
// Quake's by its records alone (PakLayoutOfDirectory).
inline constexpr TPakLayout kDaikatanaLayout = {
    TPakKind::pkDaikatana, kPakMagic, kPakNameSize, 72, 0, TrMark("Daikatana PAK")};

// WAD2 and WAD3 files opened as archives: a header of count and offset,
// 32-byte records (position, sizes, type, compression, then a 16-byte name).
inline constexpr TPakLayout kWad2Layout = {TPakKind::pkWad2,   {'W', 'A', 'D', '2'}, 16, 32, 0,
                                           TrMark("WAD2 file")};
inline constexpr TPakLayout kWad3Layout = {TPakKind::pkWad3,   {'W', 'A', 'D', '3'}, 16, 32, 0,
                                           TrMark("WAD3 file")};

// A ZIP has no fixed records: its layout only names it (NameSize and
// EntrySize are 0).
inline constexpr TPakLayout kZipLayout = {TPakKind::pkZip,      {'P', 'K', 3, 4}, 0, 0, 0,
                                          TrMark("ZIP archive")};

const TPakLayout& PakLayoutOf(TPakKind kind);
// The layout whose signature the first bytes of a file hold: "PACK" as the
// first test takes it, or exactly "SPAK"; nullptr for neither.
const TPakLayout* PakLayoutOfSignature(std::string_view firstBytes);

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
// Puts name (its first 56 bytes) into the name field as the builder does,
// over what the field held: a NUL after a shorter name, the bytes after that
// NUL left as they are (the tail of an earlier, longer name in a reused
// record).
void SetPakEntryName(TPakDirEntry& entry, std::string_view name);

// Whether the first bytes of a file, taken as text up to the first NUL, are
// exactly "PACK".
bool IsPakSignature(std::string_view firstBytes);

// Number of entries a directory length announces: DirLength div 64,
// truncated toward zero (so negative for a negative length).
inline std::int32_t PakEntryCount(std::int32_t dirLength) {
    return dirLength / static_cast<std::int32_t>(kPakDirEntrySize);
}

// A range of an archive's bytes, [Begin, End).
struct TPakSpan {
    std::int64_t Begin = 0;
    std::int64_t End = 0;
};

// How many of a file's size bytes none of spans covers (spans may overlap
// and reach past the end; they are sorted in place): what edits left
// behind, which a rewrite frees.
std::int64_t UncoveredBytes(std::vector<TPakSpan>& spans, std::int64_t size);

// The refusals of what would pass kPakMaxSize: the archive, the archive at
// the entry or file that would take it there, one file of size bytes.
std::string ArchiveTooLargeMessage();
std::string ArchiveTooLargeMessage(std::string_view at);
std::string FileTooLargeMessage(std::int64_t size, std::string_view file);

// The refusal of an entry whose data do not lie where the archive holds
// them: "Damaged entry NAME: WHY".
std::string DamagedEntryMessage(std::string_view name, std::string_view why);

// The same as a failure, keeping WHY alone for a report that names the
// entry beside it (verify).
class TDamagedEntryFailure : public TFailure {
public:
    TDamagedEntryFailure(std::string_view name, std::string why)
        : TFailure(DamagedEntryMessage(name, why)), why_(std::move(why)) {}
    const std::string& Why() const { return why_; }

private:
    std::string why_;
};

} // namespace zorvak
