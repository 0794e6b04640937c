#include "archive/PakReader.h"

#include "archive/PakFormat.h"
#include "framework/Files.h"

#include <algorithm>

namespace zorvak {

bool HasPakSignature(const std::filesystem::path& path) {
    TLockedFile file(path);
    char first[4] = {};
    const std::size_t got = file.Read(first, sizeof first);
    return got == sizeof first && IsPakSignature(std::string_view(first, got));
}

TPakIndex ReadPakIndex(TStream& stream) {
    TPakIndex index;
    unsigned char head[kPakHeaderSize];
    stream.Seek(0);
    if (stream.Read(head, sizeof head) != sizeof head) {
        index.Complete = false;
        return index;
    }
    TByteReader headReader(head);
    const TPakHeader header = DecodePakHeader(headReader);
    const std::int32_t announced = PakEntryCount(header.DirLength);
    if (announced <= 0) {
        index.Count = announced;
        return index;
    }

    // Read the whole directory in one go, but never more than the file holds.
    const std::int64_t wanted = std::int64_t{announced} * std::int64_t{kPakDirEntrySize};
    const std::int64_t available =
        header.DirOffset < 0 ? 0 : std::max<std::int64_t>(0, stream.Size() - header.DirOffset);
    std::int64_t take = std::min(wanted, available);
    take -= take % static_cast<std::int64_t>(kPakDirEntrySize);

    std::vector<unsigned char> directory(static_cast<std::size_t>(take));
    std::size_t got = 0;
    if (take > 0) {
        stream.Seek(header.DirOffset);
        got = stream.Read(directory.data(), directory.size());
    }
    const std::size_t whole = got - got % kPakDirEntrySize;
    TByteReader reader(std::span<const unsigned char>(directory.data(), whole));
    index.Entries.reserve(whole / kPakDirEntrySize);
    while (reader.Remaining() >= kPakDirEntrySize) {
        const TPakDirEntry entry = DecodePakDirEntry(reader);
        index.Entries.push_back({PakEntryName(entry), entry.FilePos, entry.FileLength});
    }
    index.Complete = static_cast<std::int64_t>(whole) == wanted;
    index.Count = index.Complete ? announced : static_cast<std::int32_t>(index.Entries.size());
    return index;
}

TPakIndex ReadPakIndex(const std::filesystem::path& path) {
    TLockedFile file(path);
    return ReadPakIndex(file);
}

} // namespace zorvak
