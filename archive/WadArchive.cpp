#include "archive/WadArchive.h"

#include "archive/PakFormat.h"
#include "formats/Wad2.h"

#include <algorithm>

namespace zorvak {

namespace {
// Records are read this many at a time.
constexpr std::size_t kRecordsPerPiece = 2048;
} // namespace

bool IsWadSignature(std::string_view firstBytes) {
    const std::string_view tag = firstBytes.substr(0, kWad2Tag.size());
    return tag == kWad2Tag || tag == kWad3Tag;
}

TPakIndex ReadWadIndex(TStream& stream) {
    TPakIndex index;
    unsigned char head[kWadHeaderBytes];
    stream.Seek(0);
    if (stream.Read(head, sizeof head) != sizeof head) {
        index.Complete = false;
        return index;
    }
    const bool halfLife =
        std::string_view(reinterpret_cast<const char*>(head), kWad3Tag.size()) == kWad3Tag;
    index.Kind = halfLife ? TPakKind::pkWad3 : TPakKind::pkWad2;
    TByteReader header({head + 4, 8});
    const std::int32_t count = header.ReadInt32();
    const std::int32_t offset = header.ReadInt32();
    index.DirOffset = offset;
    if (count <= 0) {
        index.Count = count;
        return index;
    }
    const std::int64_t wanted = std::int64_t{count} * static_cast<std::int64_t>(kWadDirEntryBytes);
    const std::int64_t available =
        offset < 0 ? 0 : std::max<std::int64_t>(0, stream.Size() - offset);
    const auto records = static_cast<std::size_t>(std::min(wanted, available) /
                                                  static_cast<std::int64_t>(kWadDirEntryBytes));
    index.Entries.reserve(records, records * kWadNameBytes, true);
    std::vector<unsigned char> piece(kRecordsPerPiece * kWadDirEntryBytes);
    if (records > 0)
        stream.Seek(offset);
    TEntryCoding coding;
    coding.Lump = true;
    coding.HalfLifeLump = halfLife;
    std::size_t read = 0;
    while (read < records) {
        const std::size_t n = std::min(records - read, kRecordsPerPiece);
        const std::size_t got =
            stream.Read(piece.data(), n * kWadDirEntryBytes) / kWadDirEntryBytes;
        TByteReader reader({piece.data(), got * kWadDirEntryBytes});
        for (std::size_t r = 0; r < got; ++r) {
            TPakEntry entry;
            entry.FilePos = reader.ReadUInt32();
            entry.FileLength = reader.ReadUInt32();
            reader.Skip(4); // the size before compression, which no lump uses
            coding.LumpType = reader.ReadUInt8();
            reader.Skip(1 + kWadPadBytes);
            const std::span<const unsigned char> name = reader.Take(kWadNameBytes);
            const auto* chars = reinterpret_cast<const char*>(name.data());
            entry.Name = std::string_view(
                chars,
                static_cast<std::size_t>(std::find(chars, chars + kWadNameBytes, '\0') - chars));
            coding.StoredLength = entry.FileLength;
            coding.Size = entry.FileLength;
            entry.Coding = &coding;
            index.Entries.push_back(entry);
        }
        read += got;
        if (got < n)
            break;
    }
    index.Complete = read == static_cast<std::size_t>(count);
    index.Count = static_cast<std::int32_t>(read);
    return index;
}

TEntryView ViewEntry(const TPakEntry& entry, std::vector<unsigned char> bytes) {
    TEntryView view;
    if (entry.Coding != nullptr && entry.Coding->Lump) {
        view.Kind = TEntryKind::ekWadLump;
        view.Bytes =
            LoneLumpWad(entry.Coding->HalfLifeLump, entry.Name, entry.Coding->LumpType, bytes);
        return view;
    }
    view.Kind = ClassifyEntry(entry.Name, bytes);
    view.Bytes = std::move(bytes);
    return view;
}

} // namespace zorvak
