// extract --png: the pictures an entry holds, written as PNG files beside
// its own, one decoded at a time, each stored picture decoded once however
// many names it has, and never more than the disk is known to take.
#pragma once

#include "archive/PakExtract.h"
#include "archive/PakReader.h"
#include "formats/EntryKind.h"
#include "formats/EntryParts.h"
#include "formats/Picture.h"
#include "framework/Files.h"

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

namespace zorvak {

// What the run lends the writer of one entry's pictures.
struct TPictureOutput {
    TExtractTarget& Target;
    const TLockedFile& Archive; // no picture may take its place
    // The entry names the run writes files of: a picture of the same name
    // would take one's place.
    const std::unordered_set<std::string_view>& Extracted;
    // One line told of a name: the entry's, or a picture file's.
    std::function<void(std::string_view name, const std::string& message)> Tell;
    // A file kept as it is (--no-clobber).
    std::function<void(const std::filesystem::path& path)> Kept;
    // Asked between pictures; true ends the entry's pictures there.
    std::function<bool()> Stop;
    // Other entries of the archive, where a map's textures are kept (may be
    // empty: none is found).
    TEntryLookup Lookup;
};

// Entries of archive (whose index is entries) by name, as FirstEntryNamed
// finds them, read with ReadEntryBytes.
TEntryLookup ArchiveLookup(const TLockedFile& archive, const TPakEntries& entries);

// Writes the pictures of the entry named entryName of kind holding bytes:
// NAME.png for an entry that is one picture,
// NAME.png.d/PICTURE.png for each of a container's, a map's, a model's or a
// sprite's, at most kMaxListedParts of them (said once when there are more),
// palette pictures in palette's colours.
// A picture of palette indices is written as its indices with the 256
// colours it is drawn in (and its see-through index made transparent), a
// true-colour one as RGBA.
// Before anything is written, the files' most bytes are checked against the
// room the target has ("Disk full: ..."); the first picture that cannot be
// written ends the entry's pictures with one line. False when a picture was
// not written for such a reason; one that cannot be decoded is only told,
// since the entry's own file holds it still. Throws TFailure for what the
// target's free space cannot be learnt for.
// palette gives the colours of palette pictures, asked for only when one is
// decoded: Half-Life's pictures carry their own.
bool WriteEntryPictures(const TPictureOutput& output, std::string_view entryName, TEntryKind kind,
                        std::span<const unsigned char> bytes,
                        const std::function<const TPalette&()>& palette);

// A picture's name (any bytes: "*water1", "+0slip") as one file name:
// letters, digits, "-", "_", "+" and a "." after the first byte are kept,
// every other byte becomes %HH. So no name is empty, hidden, "." or "..",
// or holds a separator, and a "~" (of the suffix that tells apart names
// that meet) never comes from one.
std::string PictureFileName(std::string_view name);

} // namespace zorvak
