#include "archive/PakReader.h"

#include "archive/PakFormat.h"
#include "archive/WadArchive.h"
#include "archive/ZipFormat.h"
#include "archive/ZipReader.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace zorvak {

namespace {
constexpr std::size_t kNamesReserved = 64 * 1024 * 1024;

// One record of another kind: the name up to its first NUL, then the two
// integers, as a PAK's. The name views the reader's bytes.
// Daikatana's records add the coded length and whether the entry is coded:
// coding receives them, and the entry points at it when it is.
TPakEntry DecodeLayoutEntry(TByteReader& reader, const TPakLayout& layout, TEntryCoding& coding) {
    const std::span<const unsigned char> field = reader.Take(layout.NameSize);
    const auto* name = reinterpret_cast<const char*>(field.data());
    const auto end = std::find(name, name + field.size(), '\0');
    TPakEntry entry;
    entry.Name = std::string_view(name, static_cast<std::size_t>(end - name));
    entry.FilePos = reader.ReadInt32();
    entry.FileLength = reader.ReadInt32();
    if (layout.Kind == TPakKind::pkDaikatana) {
        const std::int32_t coded = reader.ReadInt32();
        if (reader.ReadInt32() != 0) {
            coding = {};
            coding.Method = TEntryMethod::emDaikatana;
            coding.StoredLength = coded;
            coding.Size = entry.FileLength;
            entry.Coding = &coding;
        }
    }
    return entry;
}

// Whether every record of the directory header names reads as layout's:
// a name ended by a NUL, data inside the file, and for Daikatana's a
// compressed flag of 0 or 1. Read in bounded pieces.
bool RecordsFit(TStream& stream, const TPakHeader& header, const TPakLayout& layout) {
    const auto recordSize = static_cast<std::int64_t>(layout.EntrySize);
    const std::int64_t size = stream.Size();
    if (header.DirOffset < static_cast<std::int64_t>(kPakHeaderSize) || header.DirLength <= 0 ||
        header.DirLength % recordSize != 0 ||
        std::int64_t{header.DirOffset} + header.DirLength > size)
        return false;
    std::vector<unsigned char> piece(static_cast<std::size_t>(recordSize) *
                                     kPakDirectoryPieceRecords);
    stream.Seek(header.DirOffset);
    for (std::int64_t left = header.DirLength; left > 0;) {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(left, std::ssize(piece)));
        if (stream.Read(piece.data(), want) != want)
            return false;
        left -= static_cast<std::int64_t>(want);
        for (std::size_t at = 0; at < want; at += layout.EntrySize) {
            const unsigned char* r = piece.data() + at;
            if (std::find(r, r + layout.NameSize, 0) == r + layout.NameSize)
                return false;
            TByteReader ints({r + layout.NameSize, layout.EntrySize - layout.NameSize});
            const std::int64_t pos = ints.ReadInt32();
            std::int64_t length = ints.ReadInt32();
            if (layout.Kind == TPakKind::pkDaikatana) {
                const std::int64_t coded = ints.ReadInt32();
                const std::int32_t flag = ints.ReadInt32();
                if (flag != 0 && flag != 1)
                    return false;
                if (flag == 1)
                    length = coded;
            }
            if (pos < 0 || length < 0 || pos + length > size)
                return false;
        }
    }
    return true;
}

// The layout of a "PACK" directory: Quake's, unless its records read only
// as Daikatana's, so every archive read as Quake's before stays Quake's.
const TPakLayout& PackLayoutOf(TStream& stream, const TPakHeader& header) {
    const auto daikatana = static_cast<std::int32_t>(kDaikatanaLayout.EntrySize);
    if (header.DirLength <= 0 || header.DirLength % daikatana != 0)
        return kQuakeLayout;
    if (header.DirLength % static_cast<std::int32_t>(kPakDirEntrySize) == 0 &&
        RecordsFit(stream, header, kQuakeLayout))
        return kQuakeLayout;
    return RecordsFit(stream, header, kDaikatanaLayout) ? kDaikatanaLayout : kQuakeLayout;
}
} // namespace

TPakEntry TPakEntries::at(std::size_t i) const {
    if (i >= records_.size())
        throw std::out_of_range("TPakEntries::at");
    return (*this)[i];
}

void TPakEntries::push_back(const TPakEntry& entry) {
    records_.push_back({static_cast<std::uint32_t>(names_.size()),
                        static_cast<std::uint32_t>(entry.Name.size()), entry.FilePos,
                        entry.FileLength});
    names_.append(entry.Name);
    if (entry.Coding != nullptr || !codings_.empty()) {
        codings_.resize(records_.size() - 1);
        codings_.push_back(entry.Coding != nullptr ? *entry.Coding : TEntryCoding{});
    }
}

void TPakEntries::clear() {
    records_ = {};
    names_ = {};
    codings_ = {};
}

namespace {
const TPakLayout* LayoutOfFile(const TLockedFile& file) {
    char first[kPakMagic.size()] = {};
    const std::size_t got = file.ReadAt(0, first, sizeof first);
    if (got != sizeof first)
        return nullptr;
    const std::string_view signature(first, got);
    if (IsWadSignature(signature))
        return signature[3] == '3' ? &kWad3Layout : &kWad2Layout;
    return IsZipSignature(signature) ? &kZipLayout : PakLayoutOfSignature(signature);
}
} // namespace

bool HasPakSignature(const TLockedFile& file) {
    const TPakLayout* layout = LayoutOfFile(file);
    return layout != nullptr && layout->Kind == TPakKind::pkQuake;
}

bool HasPakSignature(const std::filesystem::path& path) {
    return HasPakSignature(TLockedFile(path));
}

bool HasArchiveSignature(const TLockedFile& file) {
    const TPakLayout* layout = LayoutOfFile(file);
    // A ZIP is known by its end record as much as by its first bytes: a
    // file that only begins like one has no directory to read.
    if (layout == &kZipLayout)
        return FindZipDirectory(file).Found;
    return layout != nullptr;
}

bool HasArchiveSignature(const std::filesystem::path& path) {
    return HasArchiveSignature(TLockedFile(path));
}

TPakIndex ReadPakIndex(TStream& stream) {
    TPakIndex index;
    unsigned char head[kPakHeaderSize];
    stream.Seek(0);
    const std::size_t headRead = stream.Read(head, sizeof head);
    const std::string_view signature(reinterpret_cast<const char*>(head),
                                     std::min<std::size_t>(headRead, 4));
    if (headRead >= 4 && IsZipSignature(signature))
        return ReadZipIndex(stream);
    if (headRead >= 4 && IsWadSignature(signature))
        return ReadWadIndex(stream);
    if (headRead != sizeof head) {
        index.Complete = false;
        return index;
    }
    TByteReader headReader(head);
    const TPakHeader header = DecodePakHeader(headReader);
    // The kinds share the header; a file of no known signature is read as
    // a PAK, as the reader always has.
    const TPakLayout* known =
        PakLayoutOfSignature(std::string_view(header.Magic.data(), header.Magic.size()));
    const TPakLayout& layout = known == nullptr         ? kQuakeLayout
                               : known == &kQuakeLayout ? PackLayoutOf(stream, header)
                                                        : *known;
    index.Kind = layout.Kind;
    const std::size_t recordSize = layout.EntrySize;
    const std::int32_t announced = header.DirLength / static_cast<std::int32_t>(recordSize);
    index.DirOffset = header.DirOffset;
    if (announced <= 0) {
        index.Count = announced;
        return index;
    }

    // Never more than the file holds, whatever the header says.
    const std::int64_t wanted = std::int64_t{announced} * static_cast<std::int64_t>(recordSize);
    const std::int64_t available =
        header.DirOffset < 0 ? 0 : std::max<std::int64_t>(0, stream.Size() - header.DirOffset);
    std::int64_t take = std::min(wanted, available);
    take -= take % static_cast<std::int64_t>(recordSize);

    // Reserved, not touched: the names' room costs only the pages they fill
    // (up to a bound, past which they may move as they grow).
    const std::size_t listed = static_cast<std::size_t>(take) / recordSize;
    index.Entries.reserve(listed, std::min<std::size_t>(listed * layout.NameSize, kNamesReserved),
                          layout.Kind == TPakKind::pkDaikatana);
    const auto pieceSize = static_cast<std::size_t>(std::min<std::int64_t>(
        take, static_cast<std::int64_t>(kPakDirectoryPieceRecords * recordSize)));
    const std::unique_ptr<unsigned char[]> piece(
        new unsigned char[std::max<std::size_t>(pieceSize, 1)]);
    std::int64_t whole = 0;
    if (take > 0)
        stream.Seek(header.DirOffset);
    while (whole < take) {
        const auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(take - whole, static_cast<std::int64_t>(pieceSize)));
        const std::size_t got = stream.Read(piece.get(), want);
        const std::size_t records = got / recordSize;
        TByteReader reader(std::span<const unsigned char>(piece.get(), records * recordSize));
        if (layout.Kind == TPakKind::pkQuake) {
            for (std::size_t r = 0; r < records; ++r) {
                const TPakDirEntry entry = DecodePakDirEntry(reader);
                index.Entries.push_back({PakEntryNameView(entry), entry.FilePos, entry.FileLength});
            }
        } else {
            TEntryCoding coding;
            for (std::size_t r = 0; r < records; ++r)
                index.Entries.push_back(DecodeLayoutEntry(reader, layout, coding));
        }
        whole += static_cast<std::int64_t>(records * recordSize);
        if (got < want)
            break;
    }
    index.Complete = whole == wanted;
    index.Count = index.Complete ? announced : static_cast<std::int32_t>(index.Entries.size());
    return index;
}

TPakIndex ReadPakIndex(TLockedFile& file) {
    TPakIndex index = ReadPakIndex(static_cast<TStream&>(file));
    index.Identity = file.Identity();
    return index;
}

std::int64_t StoredEnd(const TPakEntry& entry) {
    if (entry.Coding == nullptr)
        return entry.FilePos + entry.FileLength;
    const std::int64_t header =
        entry.Coding->LocalHeader ? static_cast<std::int64_t>(kZipLocalSize) : 0;
    const std::int64_t stored = std::max<std::int64_t>(0, entry.Coding->StoredLength);
    return entry.FilePos > INT64_MAX - header - stored ? INT64_MAX
                                                       : entry.FilePos + header + stored;
}

std::int64_t UnusedBytes(const TPakIndex& index) {
    // A member's local header is of a length only it tells: verify reads
    // them and counts.
    if (index.Kind == TPakKind::pkZip)
        return 0;
    std::vector<TPakSpan> spans;
    spans.reserve(index.Entries.size() + 2);
    spans.push_back({0, static_cast<std::int64_t>(kPakHeaderSize)});
    spans.push_back({index.DirOffset, index.DirOffset + static_cast<std::int64_t>(
                                                            index.Entries.size() *
                                                            PakLayoutOf(index.Kind).EntrySize)});
    for (const TPakEntry entry : index.Entries)
        spans.push_back({entry.FilePos, StoredEnd(entry)});
    return UncoveredBytes(spans, index.Identity.Size);
}

TPakIndex ReadPakIndex(const std::filesystem::path& path) {
    TLockedFile file(path);
    return ReadPakIndex(file);
}

} // namespace zorvak
