#include "archive/ZipReader.h"

#include "archive/ZipFormat.h"
#include "framework/Failures.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace zorvak {

namespace {

// The directory is read in pieces of this size, and a record longer than
// a piece (its three variable fields may take 196,605 bytes) widens the
// piece for itself only.
constexpr std::size_t kDirectoryPiece = 64 * 1024;
constexpr std::size_t kNamesReserved = 64 * 1024 * 1024;

std::int64_t AsOffset(std::uint64_t v) {
    return v > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(v);
}

// Reads n bytes at pos, or fewer at the end.
using TReadAt = std::function<std::size_t(std::int64_t, unsigned char*, std::size_t)>;

std::size_t ReadAt(TStream& stream, std::int64_t pos, unsigned char* out, std::size_t n) {
    stream.Seek(pos);
    return stream.Read(out, n);
}

// The ZIP64 end record that a locator right before the end record names.
void ReadZip64End(const TReadAt& stream, TZipDirectory& dir) {
    if (dir.End < static_cast<std::int64_t>(kZip64LocatorSize))
        return;
    unsigned char locator[kZip64LocatorSize];
    if (stream(dir.End - static_cast<std::int64_t>(kZip64LocatorSize), locator, sizeof locator) !=
            sizeof locator ||
        ZipGet32(locator) != kZip64LocatorSignature)
        return;
    if (ZipGet32(locator + 16) > 1)
        dir.Spanned = true;
    // Where the locator says the record lies, else right before it.
    const std::int64_t expected = dir.End - static_cast<std::int64_t>(kZip64LocatorSize) -
                                  static_cast<std::int64_t>(kZip64EndSize);
    const std::int64_t stated = AsOffset(ZipGet64(locator + 8));
    unsigned char record[kZip64EndSize];
    std::int64_t at = stated;
    if (at < 0 || stream(at, record, sizeof record) != sizeof record ||
        ZipGet32(record) != kZip64EndSignature) {
        at = expected;
        if (at < 0 || stream(at, record, sizeof record) != sizeof record ||
            ZipGet32(record) != kZip64EndSignature)
            return;
    }
    dir.Zip64 = true;
    if (ZipGet32(record + 16) != 0 || ZipGet32(record + 20) != 0)
        dir.Spanned = true;
    dir.Members = AsOffset(ZipGet64(record + 32));
    dir.Length = AsOffset(ZipGet64(record + 40));
    dir.Offset = AsOffset(ZipGet64(record + 48));
}

// A name as the index keeps it: up to a NUL, as a PAK's (a C string ends
// there, so an output named past it would be another file), and UTF-8.
// Into out, whose room is kept from one record to the next.
void MemberName(std::string_view stored, std::uint16_t flags, std::string_view unicode,
                std::string& out) {
    std::string_view name = unicode.empty() ? stored : unicode;
    name = name.substr(0, std::min(name.find('\0'), name.size()));
    if ((flags & kZipFlagUtf8) != 0 || !unicode.empty() ||
        std::all_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        out.assign(name);
    else
        out = Cp437ToUtf8(name);
}

// One central record, whole in bytes; false when it is not a record.
bool DecodeCentral(std::span<const unsigned char> bytes, std::string& name, TPakEntry& entry,
                   TEntryCoding& coding) {
    const unsigned char* p = bytes.data();
    if (ZipGet32(p) != kZipCentralSignature)
        return false;
    const std::uint16_t flags = ZipGet16(p + 8);
    const std::uint16_t method = ZipGet16(p + 10);
    const std::uint32_t crc = ZipGet32(p + 16);
    std::uint64_t stored = ZipGet32(p + 20);
    std::uint64_t size = ZipGet32(p + 24);
    const std::size_t nameLength = ZipGet16(p + 28);
    const std::size_t extraLength = ZipGet16(p + 30);
    std::uint64_t local = ZipGet32(p + 42);
    const std::string_view stored_name(reinterpret_cast<const char*>(p + kZipCentralSize),
                                       nameLength);
    // The extra fields: ZIP64 sizes and offset, and a UTF-8 name.
    std::string_view unicode;
    const unsigned char* extra = p + kZipCentralSize + nameLength;
    std::size_t at = 0;
    while (at + 4 <= extraLength) {
        const std::uint16_t id = ZipGet16(extra + at);
        const std::size_t length = ZipGet16(extra + at + 2);
        const unsigned char* field = extra + at + 4;
        if (at + 4 + length > extraLength)
            break;
        if (id == kZipExtraZip64) {
            std::size_t k = 0;
            const auto take = [&](std::uint64_t& value) {
                if (k + 8 <= length) {
                    value = ZipGet64(field + k);
                    k += 8;
                }
            };
            if (size == kZip32Escape)
                take(size);
            if (stored == kZip32Escape)
                take(stored);
            if (local == kZip32Escape)
                take(local);
        } else if (id == kZipExtraUnicodePath && length > 5 && field[0] == 1) {
            // Kept only while it still names what the header names.
            const uLong nameCrc = crc32(0L, reinterpret_cast<const Bytef*>(stored_name.data()),
                                        static_cast<uInt>(stored_name.size()));
            if (nameCrc == ZipGet32(field + 1))
                unicode = std::string_view(reinterpret_cast<const char*>(field + 5), length - 5);
        }
        at += 4 + length;
    }
    MemberName(stored_name, flags, unicode, name);
    coding = {};
    coding.Method = ZipEntryMethod(method);
    coding.LocalHeader = true;
    coding.Encrypted = (flags & (kZipFlagEncrypted | kZipFlagStrongEncryption)) != 0;
    coding.HasCrc = true;
    coding.ZipMethod = method;
    coding.ZipFlags = flags;
    coding.MadeBy = ZipGet16(p + 4);
    coding.DosTime = ZipGet32(p + 12);
    coding.ExternalAttributes = ZipGet32(p + 38);
    coding.Crc = crc;
    coding.StoredLength = AsOffset(stored);
    coding.Size = AsOffset(size);
    entry.FilePos = AsOffset(local);
    entry.FileLength = coding.Size;
    return true;
}

bool IsFolderMember(std::string_view name, const TEntryCoding& coding) {
    return !name.empty() && (name.back() == '/' || name.back() == '\\') && coding.Size == 0;
}

} // namespace

namespace {

TZipDirectory FindDirectory(const TReadAt& stream, std::int64_t size) {
    TZipDirectory dir;
    if (size < static_cast<std::int64_t>(kZipEndSize))
        return dir;
    const auto tailLength = static_cast<std::size_t>(
        std::min<std::int64_t>(size, static_cast<std::int64_t>(kZipEndSize + kZipMaxComment)));
    std::vector<unsigned char> tail(tailLength);
    const std::int64_t tailAt = size - static_cast<std::int64_t>(tailLength);
    if (stream(tailAt, tail.data(), tail.size()) != tail.size())
        return dir;
    std::int64_t found = -1;
    for (std::size_t i = tailLength - kZipEndSize + 1; i-- > 0;) {
        if (ZipGet32(&tail[i]) != kZipEndSignature)
            continue;
        const std::size_t comment = ZipGet16(&tail[i + 20]);
        if (i + kZipEndSize + comment == tailLength) {
            found = static_cast<std::int64_t>(i);
            break;
        }
        if (found < 0 && i + kZipEndSize + comment <= tailLength)
            found = static_cast<std::int64_t>(i);
    }
    if (found < 0)
        return dir;
    const unsigned char* end = &tail[static_cast<std::size_t>(found)];
    dir.Found = true;
    dir.End = tailAt + found;
    if (ZipGet16(end + 4) != 0 || ZipGet16(end + 6) != 0)
        dir.Spanned = true;
    dir.Members = ZipGet16(end + 10);
    dir.Length = ZipGet32(end + 12);
    dir.Offset = ZipGet32(end + 16);
    if (dir.Members == kZip16Escape || dir.Length == kZip32Escape || dir.Offset == kZip32Escape ||
        dir.End >= static_cast<std::int64_t>(kZip64LocatorSize))
        ReadZip64End(stream, dir);
    return dir;
}

} // namespace

TZipDirectory FindZipDirectory(TStream& stream) {
    return FindDirectory([&stream](std::int64_t pos, unsigned char* out,
                                   std::size_t n) { return ReadAt(stream, pos, out, n); },
                         stream.Size());
}

TZipDirectory FindZipDirectory(const TLockedFile& file) {
    return FindDirectory([&file](std::int64_t pos, unsigned char* out,
                                 std::size_t n) { return file.ReadAt(pos, out, n); },
                         file.Size());
}

TPakIndex ReadZipIndex(TStream& stream) {
    TPakIndex index;
    index.Kind = TPakKind::pkZip;
    const TZipDirectory dir = FindZipDirectory(stream);
    if (!dir.Found || dir.Spanned) {
        index.Complete = false;
        return index;
    }
    const std::int64_t begin = dir.Offset;
    index.DirOffset = begin;
    const std::int64_t available = std::max<std::int64_t>(0, dir.End - begin);
    const std::int64_t length = std::min(dir.Length, available);
    // Each record takes 46 bytes at least, whatever the end record claims.
    const auto most = static_cast<std::size_t>(
        std::min<std::int64_t>(dir.Members, length / static_cast<std::int64_t>(kZipCentralSize)));
    index.Entries.reserve(
        most, std::min<std::size_t>(static_cast<std::size_t>(length), kNamesReserved), true);

    std::vector<unsigned char> piece(kDirectoryPiece);
    std::size_t start = 0; // piece[start, end) is read and not yet decoded
    std::size_t end = 0;
    std::int64_t read = 0; // bytes of the directory read so far
    std::int64_t records = 0;
    std::string name;
    bool damaged = begin < 0 || dir.Offset < 0;
    while (!damaged && records < dir.Members) {
        // A record's fixed part, then all of it, in the piece.
        const unsigned char* p = piece.data() + start;
        std::size_t need = kZipCentralSize;
        if (end - start >= kZipCentralSize)
            need += std::size_t{ZipGet16(p + 28)} + ZipGet16(p + 30) + ZipGet16(p + 32);
        if (end - start < need) {
            std::memmove(piece.data(), p, end - start);
            end -= start;
            start = 0;
            piece.resize(std::max(need, kDirectoryPiece));
            const auto want = static_cast<std::size_t>(std::min<std::int64_t>(
                static_cast<std::int64_t>(piece.size() - end), length - read));
            const std::size_t got =
                want == 0 ? 0 : ReadAt(stream, begin + read, piece.data() + end, want);
            read += static_cast<std::int64_t>(got);
            end += got;
            if (got == 0)
                damaged = true;
            continue;
        }
        TPakEntry entry;
        TEntryCoding coding;
        if (!DecodeCentral({p, need}, name, entry, coding)) {
            damaged = true;
            break;
        }
        ++records;
        start += need;
        if (IsFolderMember(name, coding)) {
            index.Folders.push_back({entry.FilePos, entry.FilePos + coding.StoredLength});
        } else {
            entry.Name = name;
            entry.Coding = &coding;
            index.Entries.push_back(entry);
        }
    }
    index.Complete = !damaged && records == dir.Members;
    index.Count = static_cast<std::int32_t>(
        std::min<std::size_t>(index.Entries.size(), static_cast<std::size_t>(INT32_MAX)));
    return index;
}

} // namespace zorvak
