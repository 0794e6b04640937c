#include "archive/PakFormat.h"

#include <algorithm>
#include <cstring>

namespace zorvak {

TPakHeader DecodePakHeader(TByteReader& reader) {
    TPakHeader header;
    reader.ReadBytes(header.Magic.data(), header.Magic.size());
    header.DirOffset = reader.ReadInt32();
    header.DirLength = reader.ReadInt32();
    return header;
}

TPakDirEntry DecodePakDirEntry(TByteReader& reader) {
    TPakDirEntry entry;
    reader.ReadBytes(entry.Name.data(), entry.Name.size());
    entry.FilePos = reader.ReadInt32();
    entry.FileLength = reader.ReadInt32();
    return entry;
}

void EncodePakHeader(const TPakHeader& header, unsigned char (&out)[kPakHeaderSize]) {
    std::memcpy(out, header.Magic.data(), 4);
    PutInt32(out + 4, header.DirOffset);
    PutInt32(out + 8, header.DirLength);
}

void EncodePakDirEntry(const TPakDirEntry& entry, unsigned char (&out)[kPakDirEntrySize]) {
    std::memcpy(out, entry.Name.data(), kPakNameSize);
    PutInt32(out + kPakNameSize, entry.FilePos);
    PutInt32(out + kPakNameSize + 4, entry.FileLength);
}

std::string_view PakEntryNameView(const TPakDirEntry& entry) {
    const auto end = std::find(entry.Name.begin(), entry.Name.end(), '\0');
    return std::string_view(entry.Name.data(), static_cast<std::size_t>(end - entry.Name.begin()));
}

bool IsPakSignature(std::string_view firstBytes) {
    firstBytes = firstBytes.substr(0, kPakMagic.size());
    const auto text = firstBytes.substr(0, std::min(firstBytes.find('\0'), firstBytes.size()));
    return text == std::string_view(kPakMagic.data(), kPakMagic.size());
}

} // namespace zorvak
