// Sprites (.spr, version 1): flat pictures in palette colours, one per frame
// or several in a frame group; index 255 is see-through. A sprite is walked,
// not read whole, so a million frames cost only their places.
#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace zorvak {

inline constexpr std::string_view kSprTag = "IDSP";
inline constexpr std::int32_t kSprVersion = 1;
inline constexpr std::size_t kSprHeaderBytes = 36;
inline constexpr int kSpriteTransparentIndex = 255;

struct TSprHeader {
    std::int32_t Type = 0; // how it faces the viewer
    int MaxWidth = 0;
    int MaxHeight = 0;
    std::size_t Frames = 0;
};

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
// the walk. Either visitor may be empty. Returns the header. Throws TFailure
// "Not a sprite file", "Sprite version N is not supported", "Sprite header
// is cut short", "Sprite frame count N is not valid" or "... runs past the
// end of the entry", or as CheckIndexedPixels.
TSprHeader WalkSpr(std::span<const unsigned char> spr,
                   const std::function<bool(const TSprFrame&)>& frame,
                   const std::function<bool(const TSprPicture&)>& picture);

} // namespace zorvak
