// Hand-made archive images for tests that need headers the writer never
// produces (damaged directories, odd lengths).
#pragma once

#include "archive/PakFormat.h"
#include "archive/PakWriter.h"
#include "framework/Streams.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace zorvak {

// An archive image in memory laid out by the builder's writer, entries in
// the given order.
inline std::vector<unsigned char>
BuildPakImage(const std::vector<std::pair<std::string, std::string>>& files) {
    TMemoryStream stream;
    TPakWriter writer(stream, static_cast<std::int32_t>(files.size()));
    for (const auto& [name, data] : files) {
        writer.BeginEntry(name);
        writer.WriteData(data.data(), data.size());
    }
    writer.Finish();
    return stream.Bytes();
}

} // namespace zorvak

namespace zorvak::test {

inline std::string PakHeaderBytes(std::int32_t dirOffset, std::int32_t dirLength,
                                  const char* magic = "PACK") {
    unsigned char bytes[kPakHeaderSize];
    TPakHeader header;
    std::memcpy(header.Magic.data(), magic, 4);
    header.DirOffset = dirOffset;
    header.DirLength = dirLength;
    EncodePakHeader(header, bytes);
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// A directory record; name bytes beyond 56 are cut, the rest of the field is
// filled with fill after a NUL (when the name is shorter than 56).
// A directory record of another kind's layout: the name NUL-padded to its
// field (cut to it), then the position and length.
inline std::string LayoutEntryBytes(const TPakLayout& layout, const std::string& name,
                                    std::int32_t pos, std::int32_t length) {
    std::string bytes = name.substr(0, layout.NameSize);
    bytes.resize(layout.NameSize, '\0');
    unsigned char ints[8];
    PutInt32(ints, pos);
    PutInt32(ints + 4, length);
    return bytes + std::string(reinterpret_cast<const char*>(ints), sizeof ints);
}

inline std::string PakEntryBytes(const std::string& name, std::int32_t pos, std::int32_t length,
                                 char fill = '\0') {
    TPakDirEntry entry;
    entry.Name.fill(fill);
    std::memcpy(entry.Name.data(), name.data(), std::min(name.size(), kPakNameSize));
    if (name.size() < kPakNameSize)
        entry.Name[name.size()] = '\0';
    entry.FilePos = pos;
    entry.FileLength = length;
    unsigned char bytes[kPakDirEntrySize];
    EncodePakDirEntry(entry, bytes);
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

inline std::string ToString(const std::vector<unsigned char>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

} // namespace zorvak::test
