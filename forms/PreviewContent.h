// What the preview window shows of an entry, decided without the toolkit:
// how much of it is read, where palette pictures take their colours, and
// the pictures an entry holds, each decoded only when it is shown.
#pragma once

#include "archive/PakPalette.h"

#include "archive/PakReader.h"
#include "formats/EntryKind.h"
#include "formats/EntryParts.h"
#include "formats/Picture.h"
#include "framework/Files.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zorvak {

// An entry up to this size is read whole; of a longer one only its first
// kPreviewHeadBytes are read, and shown as bytes. No picture decodes to more
// than kMaxPictureRgbaBytes, so nothing the preview shows needs more.
inline constexpr std::int64_t kPreviewReadLimit = std::int64_t{64} << 20;
inline constexpr std::int32_t kPreviewHeadBytes = 1 << 20;
// The text view shows at most this much of a text entry.
inline constexpr std::size_t kPreviewTextLimit = std::size_t{4} << 20;
// At most this many parts are listed (a directory may claim millions): the
// same cap as `info` and `extract --png` keep to.
inline constexpr std::size_t kPreviewMaxParts = kMaxListedParts;

struct TPreviewPalette {
    TPalette Colours;
    TPaletteSource Source = TPaletteSource::psGrey;
    // For greys: the line that says no palette was found, and why.
    std::string Note;
    // False when a file could not be read just now (pak0.pak held by a run,
    // say): the rule is asked again next time rather than remembered.
    bool Final = true;
};

// The palette rule (FindArchivePalette), pak0.pak opened without sharing as
// the window opens every file, with the note the window shows for greys.
TPreviewPalette FindPreviewPalette(const TLockedFile& archive, const TPakEntries& entries,
                                   const std::filesystem::path& archivePath, TPaletteGame game);

// Whether kind is drawn in the palette's colours.
bool UsesPalette(TEntryKind kind);

// Whether bytes of an entry of no known kind read as text: no NUL and no
// control characters but tab, line and page ends in its first 64 KiB.
bool LooksLikeText(std::span<const unsigned char> bytes);

// How many of bytes the text view shows: all, or at most limit cut before a
// UTF-8 character that would be split.
std::size_t TextShownLength(std::span<const unsigned char> bytes, std::size_t limit);

// One picture of an entry, or one listed part that is no picture: the
// core's part (formats/EntryParts.h) as the window shows it.
struct TPicturePart {
    std::string Name;   // as stored (any byte); shown decoded
    std::string Detail; // beside the name in the list: "64 x 64", "missing"
    std::string Format; // in the picture's line: "texture", "console font"
    bool InPalette = false;
    // The console font: its 8 x 8 characters are drawn apart, as a grid.
    int GridCell = 0;
    // The picture, its indices kept; throws TFailure. Empty for a part that
    // is no picture.
    std::function<TDecodedPicture()> Decode;
    // A part that is no picture: why, and its bytes (shown and saved as
    // such; empty when even they cannot be had).
    std::string Problem;
    std::span<const unsigned char> Bytes;
};

struct TPictureSet {
    TPartList List = TPartList::plNone; // plNone: one picture, nothing listed
    std::vector<TPicturePart> Parts;
    std::size_t TotalParts = 0; // more than Parts.size() when the list was cut
};

// The pictures of an entry of a picture kind (palette, light table, .lmp,
// WAD2, map, model, sprite, PCX), palette pictures in palette, as the core
// lists them, pictures kept in other entries found with lookup (which the
// parts keep, to read them when shown). The parts view bytes, which must
// outlive them. Throws TFailure
// when the entry's own header or directory cannot be read, or a PCX picture
// cannot; a part that cannot be decoded throws from its Decode.
TPictureSet PicturesOf(TEntryKind kind, std::string_view name, std::span<const unsigned char> bytes,
                       const TPalette& palette, const TEntryLookup& lookup = {});

} // namespace zorvak
