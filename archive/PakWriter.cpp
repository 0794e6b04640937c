#include "archive/PakWriter.h"

#include "framework/Failures.h"

#include <cstring>

namespace zorvak {

void CheckPakName(const std::string& name) {
    if (name.size() > kPakMaxNameLength)
        throw TFailure("Name too long for a PAK archive (" + std::to_string(name.size()) +
                       " bytes, at most " + std::to_string(kPakMaxNameLength) + "): " + name);
}

TPakWriter::TPakWriter(TStream& out, std::int32_t entryCount) : out_(out) {
    TPakHeader header;
    header.DirOffset = 0;
    header.DirLength =
        static_cast<std::int32_t>(std::int64_t{entryCount} * std::int64_t{kPakDirEntrySize});
    unsigned char bytes[kPakHeaderSize];
    EncodePakHeader(header, bytes);
    out_.Seek(0);
    out_.Write(bytes, sizeof bytes);
    position_ = kPakHeaderSize;
}

void TPakWriter::BeginEntry(const std::string& name) {
    CheckPakName(name);
    entries_.push_back({name, position_, 0});
}

void TPakWriter::WriteData(const void* buffer, std::size_t n) {
    if (entries_.empty())
        throw TFailure("No entry begun");
    const std::int64_t end = position_ + static_cast<std::int64_t>(n);
    const std::int64_t dirEnd = end + static_cast<std::int64_t>(entries_.size() * kPakDirEntrySize);
    if (dirEnd > kPakMaxSize)
        throw TFailure("Archive would reach 2 GiB at " + entries_.back().Name);
    out_.Write(buffer, n);
    position_ = end;
    entries_.back().Length += static_cast<std::int64_t>(n);
}

std::int64_t TPakWriter::Finish() {
    const std::int64_t dirOffset = position_;
    const std::int64_t dirLength = static_cast<std::int64_t>(entries_.size() * kPakDirEntrySize);
    if (dirOffset + dirLength > kPakMaxSize)
        throw TFailure("Archive would reach 2 GiB");
    // One entry buffer reused for every entry, as the format's builder does:
    // bytes after a name's NUL may repeat the tail of an earlier, longer name.
    TPakDirEntry record;
    unsigned char bytes[kPakDirEntrySize];
    for (const TPending& entry : entries_) {
        std::memcpy(record.Name.data(), entry.Name.c_str(), entry.Name.size() + 1);
        record.FilePos = static_cast<std::int32_t>(entry.Pos);
        record.FileLength = static_cast<std::int32_t>(entry.Length);
        EncodePakDirEntry(record, bytes);
        out_.Write(bytes, sizeof bytes);
    }
    const std::int64_t end = dirOffset + dirLength;
    TPakHeader header;
    header.DirOffset = static_cast<std::int32_t>(dirOffset);
    header.DirLength = static_cast<std::int32_t>(dirLength);
    unsigned char head[kPakHeaderSize];
    EncodePakHeader(header, head);
    out_.Seek(0);
    out_.Write(head, sizeof head);
    out_.Seek(end);
    return end;
}

} // namespace zorvak
