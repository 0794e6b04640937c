#include "archive/PakFormat.h"

#include "framework/Text.h"

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
    std::memcpy(out, header.Magic.data(), header.Magic.size());
    PutInt32(out + kPakDirOffsetAt, header.DirOffset);
    PutInt32(out + kPakDirLengthAt, header.DirLength);
}

void EncodePakDirEntry(const TPakDirEntry& entry, unsigned char (&out)[kPakDirEntrySize]) {
    std::memcpy(out, entry.Name.data(), kPakNameSize);
    PutInt32(out + kPakFilePosAt, entry.FilePos);
    PutInt32(out + kPakFileLengthAt, entry.FileLength);
}

std::string_view PakEntryNameView(const TPakDirEntry& entry) {
    const auto end = std::find(entry.Name.begin(), entry.Name.end(), '\0');
    return std::string_view(entry.Name.data(), static_cast<std::size_t>(end - entry.Name.begin()));
}

void SetPakEntryName(TPakDirEntry& entry, std::string_view name) {
    const std::size_t n = std::min(name.size(), kPakNameSize);
    std::memcpy(entry.Name.data(), name.data(), n);
    if (n < kPakNameSize)
        entry.Name[n] = '\0';
}

bool IsPakSignature(std::string_view firstBytes) {
    firstBytes = firstBytes.substr(0, kPakMagic.size());
    const auto text = firstBytes.substr(0, std::min(firstBytes.find('\0'), firstBytes.size()));
    return text == std::string_view(kPakMagic.data(), kPakMagic.size());
}

const TPakLayout& PakLayoutOf(TPakKind kind) {
    switch (kind) {
    case TPakKind::pkSin:
        return kSinLayout;
    case TPakKind::pkZip:
        return kZipLayout;
    case TPakKind::pkDaikatana:
        return kDaikatanaLayout;
    case TPakKind::pkWad2:
        return kWad2Layout;
    case TPakKind::pkWad3:
        return kWad3Layout;
    case TPakKind::pkQuake:
        break;
    }
    return kQuakeLayout;
}

const TPakLayout* PakLayoutOfSignature(std::string_view firstBytes) {
    if (IsPakSignature(firstBytes))
        return &kQuakeLayout;
    const std::string_view sin(kSinLayout.Magic.data(), kSinLayout.Magic.size());
    return firstBytes.substr(0, sin.size()) == sin ? &kSinLayout : nullptr;
}

std::string ArchiveTooLargeMessage() {
    return Tr("Archive would reach 2 GiB");
}

std::string ArchiveTooLargeMessage(std::string_view at) {
    return FormatText(Tr("Archive would reach 2 GiB at {1}"), at);
}

std::string FileTooLargeMessage(std::int64_t size, std::string_view file) {
    return FormatText(Tr("File too large for a PAK archive ({1} bytes): {2}"), size, file);
}

std::string DamagedEntryMessage(std::string_view name, std::string_view why) {
    return FormatText(Tr("Damaged entry {1}: {2}"), name, why);
}

std::int64_t UncoveredBytes(std::vector<TPakSpan>& spans, std::int64_t size) {
    std::sort(spans.begin(), spans.end(),
              [](const TPakSpan& a, const TPakSpan& b) { return a.Begin < b.Begin; });
    std::int64_t covered = 0;
    std::int64_t reach = 0; // everything before it is counted
    for (const TPakSpan& span : spans) {
        const std::int64_t begin = std::max(span.Begin, reach);
        const std::int64_t end = std::min(span.End, size);
        if (end > begin) {
            covered += end - begin;
            reach = end;
        }
    }
    return size - covered;
}

} // namespace zorvak
