// Reading a ZIP (PK3) archive's central directory into the index every
// command works on: one entry per member that is a file, its name as UTF-8,
// FilePos its local header, FileLength its size, and its coding (method,
// CRC, compressed length).
#pragma once

#include "archive/PakReader.h"
#include "framework/Files.h"
#include "framework/Streams.h"

#include <cstdint>
#include <string>

namespace zorvak {

// Where the central directory lies, as the end records give it.
struct TZipDirectory {
    bool Found = false;      // an end record was found
    bool Zip64 = false;      // its ZIP64 records were used
    bool Spanned = false;    // it says it spans several disks
    std::int64_t End = 0;    // where the end record begins
    std::int64_t Offset = 0; // of the central directory, as stored
    std::int64_t Length = 0;
    std::int64_t Members = 0; // as stated
};

// The end record (the last one whose comment reaches the end of the file,
// else the last one at all) and, where it asks for them, the ZIP64 records.
// Never throws for what the bytes say; a stream failure goes through.
TZipDirectory FindZipDirectory(TStream& stream);
TZipDirectory FindZipDirectory(const TLockedFile& file);

// The index of a ZIP archive, read in pieces: memory follows what the
// directory holds, never what its end record claims. Folder members are
// not listed. Complete is false when the end record is missing, the
// archive spans disks, or the directory is cut short or damaged; the
// members read whole before that are listed. Never throws for what the
// bytes say.
TPakIndex ReadZipIndex(TStream& stream);

} // namespace zorvak
