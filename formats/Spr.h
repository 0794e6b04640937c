// Sprites (.spr, version 1): flat pictures in palette colours, one per frame
// or several in a frame group; index 255 is see-through. Half-Life's
// (version 2) have the same frames, but carry their colours after the
// header and say how their frames are see-through. A sprite is walked, not
// read whole, so a million frames cost only their places.
#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace zorvak {

inline constexpr std::string_view kSprTag = "IDSP";
inline constexpr std::int32_t kSprVersion = 1;
inline constexpr std::size_t kSprHeaderBytes = 36;
inline constexpr int kSpriteTransparentIndex = 255;
// Half-Life's: the texture format after the type, then the fields of
// version 1; then a 16-bit count of colours and that many RGB triples.
inline constexpr std::int32_t kSprHalfLifeVersion = 2;
inline constexpr std::size_t kSprHalfLifeHeaderBytes = 40;
// How a Half-Life sprite's frames are drawn: as they are, added to what is
// behind, with each index the opacity of the last colour, or with the last
// colour left out.
inline constexpr std::int32_t kSprNormal = 0;
inline constexpr std::int32_t kSprAdditive = 1;
inline constexpr std::int32_t kSprIndexAlpha = 2;
inline constexpr std::int32_t kSprAlphaTest = 3;

struct TSprHeader {
    bool HalfLife = false;                   // version 2
    std::int32_t Type = 0;                   // how it faces the viewer
    std::int32_t TextureFormat = kSprNormal; // Half-Life's: kSprNormal ... kSprAlphaTest
    int MaxWidth = 0;
    int MaxHeight = 0;
    std::size_t Frames = 0;
    std::size_t FramesAt = 0; // where the first frame starts
};

// The header, and of version 2 its colours checked to lie in the entry.
// Throws TFailure "Not a sprite file", "Sprite header is cut short",
// "Sprite version N is not supported", "Palette of sprite holds N colours"
// or "Palette of sprite lies outside the entry".
TSprHeader ReadSprHeader(std::span<const unsigned char> spr);

// The colours a version 2 sprite carries (those it leaves out black).
// Throws as ReadSprHeader.
TPalette ReadSprPalette(std::span<const unsigned char> spr);

// The index a sprite's frames leave see-through: 255 in version 1 and in
// Half-Life's alpha-tested ones, none in the others (an index-alpha
// sprite's indices are degrees of opacity, not one see-through colour).
int SprTransparentIndex(const TSprHeader& header);

// "alpha test", as a description tells a Half-Life sprite's texture format.
std::string SprTextureFormatText(std::int32_t format);

// One frame, or a group the game cycles through.
struct TSprFrame {
    std::size_t Index = 0;
    bool Group = false;
    std::size_t Pictures = 1;
};

// One picture of a frame: Width x Height pixels at offset Pixels of the entry.
struct TSprPicture {
    std::size_t Frame = 0;
    std::size_t Member = 0; // its place in the frame's group
    bool Group = false;
    int OriginX = 0; // where the picture's top left lies from the sprite's centre
    int OriginY = 0;
    int Width = 0;
    int Height = 0;
    std::size_t Pixels = 0;
};

// Walks the sprite: each frame, then its pictures, in order, each handed on
// once its bytes are known to be there; a visitor that returns false ends
// the walk. Either visitor may be empty. Returns the header. Throws as
// ReadSprHeader, "Sprite frame count N is not valid" or "... runs past the
// end of the entry", or as CheckIndexedPixels.
TSprHeader WalkSpr(std::span<const unsigned char> spr,
                   const std::function<bool(const TSprFrame&)>& frame,
                   const std::function<bool(const TSprPicture&)>& picture);

} // namespace zorvak
