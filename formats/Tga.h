// TGA pictures, as engines that load them read them: colour-mapped,
// true-colour and greyscale, stored or run-length coded, rows from the
// bottom unless the header says otherwise. The 2.0 footer, when there, is
// not needed and not read.
#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <span>
#include <string>

namespace zorvak {

inline constexpr std::size_t kTgaHeaderBytes = 18;
// Where the header's fields lie.
inline constexpr std::size_t kTgaIdLengthAt = 0;
inline constexpr std::size_t kTgaMapTypeAt = 1;
inline constexpr std::size_t kTgaImageTypeAt = 2;
inline constexpr std::size_t kTgaMapFirstAt = 3;
inline constexpr std::size_t kTgaMapLengthAt = 5;
inline constexpr std::size_t kTgaMapEntryBitsAt = 7;
inline constexpr std::size_t kTgaWidthAt = 12;
inline constexpr std::size_t kTgaHeightAt = 14;
inline constexpr std::size_t kTgaPixelBitsAt = 16;
inline constexpr std::size_t kTgaDescriptorAt = 17;
// Image types; the run-length coded ones are these plus 8.
inline constexpr unsigned char kTgaColourMapped = 1;
inline constexpr unsigned char kTgaTrueColour = 2;
inline constexpr unsigned char kTgaGreyscale = 3;
inline constexpr unsigned char kTgaRunLength = 8;
// Descriptor bits: columns from the right, rows from the top.
inline constexpr unsigned char kTgaRightToLeft = 0x10;
inline constexpr unsigned char kTgaTopToBottom = 0x20;

struct TTgaInfo {
    TPictureSize Size;
    unsigned char Type = 0; // without the run-length bit
    int PixelBits = 0;
    bool RunLength = false;
};

// "24-bit true-colour, run-length coded", as a description tells it.
std::string TgaFormatText(const TTgaInfo& info);

// The header checked, as ReadTga checks it, with no pixel decoded. Throws
// TFailure "TGA header is cut short", "TGA image type N is not supported",
// "TGA of B bits per pixel is not supported for TYPE", "TGA colour map is
// missing or cut short", or as CheckPictureSize.
TTgaInfo ReadTgaInfo(std::span<const unsigned char> tga);

// The picture, top row first. Throws as ReadTgaInfo, or "TGA pixels run past
// the end of the entry" (before anything is allocated when the entry is too
// short for the picture even at the best coding), or "TGA pixel index N is
// outside its colour map".
TRgbaPicture ReadTga(std::span<const unsigned char> tga);

} // namespace zorvak
