// PCX pictures: 8 bits in one plane with the 256-colour palette at the end,
// or 24 bits in three planes; run-length coded or not.
#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <optional>
#include <span>

namespace zorvak {

inline constexpr std::size_t kPcxHeaderBytes = 128;
// Where the header's fields lie: the encoding, then the bits per pixel and
// the picture's bounds; after the 16-colour map and a reserved byte, the
// plane count and the bytes of a plane's line.
inline constexpr std::size_t kPcxEncodingAt = 2;
inline constexpr std::size_t kPcxPlanesAt = 65;
inline constexpr unsigned char kPcxManufacturer = 0x0A;
inline constexpr unsigned char kPcxPaletteMarker = 0x0C; // before the closing 768 bytes

struct TPcxPicture {
    std::optional<TIndexedPicture> Indexed; // with Palette, for the 8-bit kind
    TPalette Palette;
    TRgbaPicture Rgba; // always, opaque
};

// The picture. Throws TFailure "Not a PCX file", "PCX header is cut short",
// "PCX of B bits per pixel in P planes is not supported", "PCX line length N
// is too short for width W", "PCX palette is missing", "PCX pixels run past
// the end of the entry", or as CheckPictureSize.
TPcxPicture ReadPcx(std::span<const unsigned char> pcx);

// Only its RGBA form, with no indexed copy beside it.
TRgbaPicture ReadPcxRgba(std::span<const unsigned char> pcx);

// The 8-bit kind as its indices with its palette, the 24-bit kind as RGBA,
// with no other form beside it. Throws as ReadPcx.
TDecodedPicture ReadPcxPicture(std::span<const unsigned char> pcx);

struct TPcxInfo {
    TPictureSize Size;
    bool Indexed = false; // 8 bits with a palette, not 24
};

// What ReadPcx would give, checked as it checks, its runs passed over with
// none of its pixels kept.
TPcxInfo ReadPcxInfo(std::span<const unsigned char> pcx);

} // namespace zorvak
