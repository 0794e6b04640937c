// Reading an archive: the signature test and the directory index.
#pragma once

#include "framework/Streams.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zorvak {

struct TPakEntry {
    std::string Name; // bytes as stored, up to the first NUL
    std::int32_t FilePos = 0;
    std::int32_t FileLength = 0;
};

struct TPakIndex {
    // DirLength div 64 when the whole directory was read (negative for a
    // negative length); the number of entries read when it was cut short.
    std::int32_t Count = 0;
    std::vector<TPakEntry> Entries;
    // False when the header or the directory ran past the end of the file.
    bool Complete = true;
};

// Opens path without sharing and tests its first four bytes for "PACK".
// Throws TFileOpenFailure when it cannot be opened.
bool HasPakSignature(const std::filesystem::path& path);

// Reads the header and the directory. Only entries whose 64 bytes were all
// read are listed; memory is bounded by the stream's size, never by what the
// header announces. Throws only when the stream itself fails.
TPakIndex ReadPakIndex(TStream& stream);

// Opens path without sharing and reads its index. Throws TFileOpenFailure.
TPakIndex ReadPakIndex(const std::filesystem::path& path);

} // namespace zorvak
