// Loose palette pictures (.lmp): pictures with a size header, the palette
// itself and the light table.
#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <span>

namespace zorvak {

inline constexpr std::size_t kLmpHeaderBytes = 8; // int32 width, int32 height
inline constexpr std::size_t kPaletteBytes = 3 * kPaletteColours;
inline constexpr int kColormapLevels = 64; // rows of the light table, bright to dark

// The picture of an .lmp entry: width, height, then its pixels; bytes after
// them are ignored. Throws TFailure "Picture header is cut short", or as
// ReadIndexedPixels.
TIndexedPicture ReadLmpPicture(std::span<const unsigned char> bytes);
// Its size, checked as ReadLmpPicture checks it, from the header alone.
TPictureSize LmpPictureSize(std::span<const unsigned char> bytes);

// The palette in its first 768 bytes (R G B per index). Throws TFailure
// "Palette holds N bytes, not 768" when shorter.
TPalette ReadPalette(std::span<const unsigned char> bytes);

// The light table as a 256 x 64 picture: row r holds, for each index, the
// index that light level r turns it into. Throws TFailure "Light table holds N
// bytes, not 16384" when shorter.
TIndexedPicture ReadColormap(std::span<const unsigned char> bytes);
// Throws as ReadColormap, reading nothing.
void CheckColormap(std::span<const unsigned char> bytes);

// The 256 colours as a 16 x 16 picture of indices 0..255, for showing a palette.
inline constexpr int kPaletteSwatchSide = 16;
TIndexedPicture PaletteSwatch();

} // namespace zorvak
