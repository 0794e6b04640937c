#include "archive/PakWriter.h"

#include "archive/PakExtract.h"
#include "archive/PakNames.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

namespace zorvak {

void CheckNewPakName(const std::string& name, TPakKind kind) {
    if (name.find('\0') != std::string::npos)
        throw TFailure(FormatText(Tr("An entry name holds a NUL byte: {1}"),
                                  name.substr(0, name.find('\0')) + "\\0..."));
    switch (JudgeEntryName(name)) {
    case TNameVerdict::nvUnsafe:
        throw TFailure(FormatText(
            Tr("Unsafe entry name \"{1}\": it would not extract inside a directory"), name));
    case TNameVerdict::nvNoFile:
        throw TFailure(FormatText(Tr("The entry name \"{1}\" names no file"), name));
    case TNameVerdict::nvSafe:
        break;
    }
    if (HasControlByte(name))
        throw TFailure(FormatText(Tr("The entry name \"{1}\" has control characters"), name));
    if (name.find('\\') != std::string::npos)
        throw TFailure(FormatText(
            Tr("The entry name \"{1}\" has \"\\\"; levels are separated by \"/\""), name));
    // Extraction drops an empty level, so "a//b" would land on "a/b".
    if (name.find("//") != std::string::npos)
        throw TFailure(FormatText(Tr("The entry name \"{1}\" has an empty level"), name));
    if (HasSpaceAtLevelEdge(name))
        throw TFailure(FormatText(
            Tr("The entry name \"{1}\" has a level that begins or ends with a space"), name));
    if (kind != TPakKind::pkZip)
        CheckPakName(name);
    else if (name.size() > 0xFFFF)
        throw TFailure(
            FormatText(Tr("Name too long for a ZIP archive ({1} bytes, at most 65535): {2}"),
                       name.size(), name.substr(0, 64) + "..."));
}

void CheckPakName(const std::string& name) {
    if (name.size() > kPakMaxNameLength)
        throw TFailure(
            FormatText(Tr("Name too long for a PAK archive ({1} bytes, at most {2}): {3}"),
                       name.size(), kPakMaxNameLength, name));
}

std::string TwoFilesOneNameMessage(std::string_view name, std::string_view first,
                                   std::string_view second) {
    return FormatText(Tr("Two files would be stored as {1}: {2} and {3}"), name, first, second);
}

void WritePakHeader(TStream& out, std::int64_t dirOffset, std::int64_t entries) {
    TPakHeader header;
    header.DirOffset = static_cast<std::int32_t>(dirOffset);
    header.DirLength = static_cast<std::int32_t>(entries * std::int64_t{kPakDirEntrySize});
    unsigned char bytes[kPakHeaderSize];
    EncodePakHeader(header, bytes);
    out.Seek(0);
    out.Write(bytes, sizeof bytes);
}

TPakWriter::TPakWriter(TStream& out, std::int32_t entryCount) : out_(out) {
    WritePakHeader(out_, 0, entryCount);
    position_ = kPakHeaderSize;
}

void TPakWriter::BeginEntry(const std::string& name) {
    CheckPakName(name);
    entries_.push_back({name, position_, 0});
}

void TPakWriter::WriteData(const void* buffer, std::size_t n) {
    PutData(n, [&] { out_.Write(buffer, n); });
}

void TPakWriter::PutData(std::size_t n, const std::function<void()>& put) {
    if (entries_.empty())
        throw TFailure(Tr("No entry begun"));
    const std::int64_t end = position_ + static_cast<std::int64_t>(n);
    const std::int64_t dirEnd = end + static_cast<std::int64_t>(entries_.size() * kPakDirEntrySize);
    if (dirEnd > kPakMaxSize)
        throw TFailure(ArchiveTooLargeMessage(entries_.back().Name));
    put();
    position_ = end;
    entries_.back().Length += static_cast<std::int64_t>(n);
}

std::int64_t TPakWriter::Finish() {
    const std::int64_t dirOffset = position_;
    const std::int64_t dirLength = static_cast<std::int64_t>(entries_.size() * kPakDirEntrySize);
    if (dirOffset + dirLength > kPakMaxSize)
        throw TFailure(ArchiveTooLargeMessage());
    // One entry buffer reused for every entry, as the format's builder does:
    // bytes after a name's NUL may repeat the tail of an earlier, longer name.
    TPakDirEntry record;
    unsigned char bytes[kPakDirEntrySize];
    for (const TPending& entry : entries_) {
        SetPakEntryName(record, entry.Name);
        record.FilePos = static_cast<std::int32_t>(entry.Pos);
        record.FileLength = static_cast<std::int32_t>(entry.Length);
        EncodePakDirEntry(record, bytes);
        out_.Write(bytes, sizeof bytes);
    }
    const std::int64_t end = dirOffset + dirLength;
    WritePakHeader(out_, dirOffset, static_cast<std::int64_t>(entries_.size()));
    out_.Seek(end);
    return end;
}

} // namespace zorvak
