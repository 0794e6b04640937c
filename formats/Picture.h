// Pictures as the decoders hand them out: palette indices, or RGBA once a
// palette is applied; and the one size guard every decoder goes through.
#pragma once

#include "framework/ByteReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvak {

// No picture may need more than this as RGBA, whatever its entry claims.
inline constexpr std::uint64_t kMaxPictureRgbaBytes = 64ull << 20;
inline constexpr int kPaletteColours = 256;
inline constexpr std::size_t kRgbaBytes = 4; // R, G, B and A of a pixel

struct TRgb {
    unsigned char R = 0, G = 0, B = 0;
    bool operator==(const TRgb&) const = default;
};

struct TPalette {
    std::array<TRgb, kPaletteColours> Colours{};
};

// Index i shown as grey level i: the fallback when an archive has no palette.
TPalette GreyPalette();

// Rows top-down, one byte per pixel, Pixels.size() == Width * Height.
struct TIndexedPicture {
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> Pixels;
};

// A picture's size as its headers give it, for telling it without decoding.
struct TPictureSize {
    int Width = 0;
    int Height = 0;
};

// Rows top-down, R G B A per pixel, Pixels.size() == 4 * Width * Height.
struct TRgbaPicture {
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> Pixels;
};

// "W x H", as sizes are told in messages and descriptions.
std::string PictureSizeText(std::int64_t width, std::int64_t height);

// The pixel count of a width x height picture. Throws TFailure "Picture size
// W x H is not valid" unless both are positive, and "Picture size W x H is too
// large" when its RGBA form would pass kMaxPictureRgbaBytes.
std::size_t CheckPictureSize(std::int64_t width, std::int64_t height);
// The second of those refusals, for pictures held to the same bound another way.
std::string PictureTooLargeMessage(std::int64_t width, std::int64_t height);

// A width x height picture of the reader's next bytes. Throws as
// CheckPictureSize, or TFailure "Picture pixels run past the end of the
// entry" before allocating anything when the bytes are not there.
TIndexedPicture ReadIndexedPixels(TByteReader& reader, std::int64_t width, std::int64_t height);

// The pixel count ReadIndexedPixels would read, after the same checks, with
// nothing read or allocated: how a size is told from headers alone.
std::size_t CheckIndexedPixels(const TByteReader& reader, std::int64_t width, std::int64_t height);

// Which index, if any, is see-through: the kind decides (status-bar
// pictures and sprites use 255, the console font 0, textures and skins none).
inline constexpr int kOpaque = -1;

// The picture in the palette's colours; pixels of transparentIndex get alpha 0.
TRgbaPicture ToRgba(const TIndexedPicture& picture, const TPalette& palette,
                    int transparentIndex = kOpaque);

// A picture as a decoder hands it out: palette indices with the 256
// colours they are drawn in and the index drawn see-through, kept so that
// a picture written out keeps its indices; or, for true-colour pictures,
// RGBA alone.
struct TDecodedPicture {
    bool Indexed = false;
    TIndexedPicture Indices; // when Indexed
    TPalette Colours;        // when Indexed
    int Transparent = kOpaque;
    TRgbaPicture Rgba; // when not Indexed
    int Width() const { return Indexed ? Indices.Width : Rgba.Width; }
    int Height() const { return Indexed ? Indices.Height : Rgba.Height; }
};
TDecodedPicture IndexedPicture(TIndexedPicture picture, const TPalette& colours,
                               int transparentIndex = kOpaque);
TDecodedPicture TrueColourPicture(TRgbaPicture picture);
// How it is seen: ToRgba of its indices, or its RGBA.
TRgbaPicture ToRgba(TDecodedPicture picture);

// The part of picture at x, y of width x height (all inside it).
TIndexedPicture CropPicture(const TIndexedPicture& picture, int x, int y, int width, int height);

} // namespace zorvak
