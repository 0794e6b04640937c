// WAD2 and WAD3 files opened as archives of their own: their lumps listed as
// entries, extracted as they are stored, and shown (preview, info, --png)
// each as a WAD of its one lump, so the container's readers read it.
#pragma once

#include "archive/PakReader.h"
#include "formats/EntryKind.h"
#include "framework/Streams.h"

#include <string_view>
#include <vector>

namespace zorvak {

// Whether the first bytes of a file are "WAD2" or "WAD3".
bool IsWadSignature(std::string_view firstBytes);

// The lumps as entries, in directory order: Name the lump's (up to its
// NUL), FilePos and FileLength its stored bytes, and a coding that marks it
// a lump with its type. Read in bounded pieces; memory follows what the
// file holds, never the count its header claims. Complete is false when
// the directory runs past the file's end. Never throws for what the bytes
// say.
TPakIndex ReadWadIndex(TStream& stream);

// An entry as the preview, info and --png take it: a lump as a WAD of its
// own (ekWadLump), any other entry as its bytes, of the kind ClassifyEntry
// tells.
struct TEntryView {
    TEntryKind Kind = TEntryKind::ekUnknown;
    std::vector<unsigned char> Bytes;
};
TEntryView ViewEntry(const TPakEntry& entry, std::vector<unsigned char> bytes);

} // namespace zorvak
