// Sprites (.spr, version 1): flat pictures in palette colours, one per frame
// or several in a frame group; index 255 is see-through.
#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zorvak {

inline constexpr std::int32_t kSprVersion = 1;
inline constexpr std::size_t kSprHeaderBytes = 36;
inline constexpr int kSpriteTransparentIndex = 255;

struct TSprPicture {
    int OriginX = 0; // where the picture's top left lies from the sprite's centre
    int OriginY = 0;
    TIndexedPicture Picture;
};

// One frame, or a group the game cycles through.
struct TSprFrame {
    bool Group = false;
    std::vector<TSprPicture> Pictures; // one unless Group
};

struct TSprite {
    std::int32_t Type = 0; // how it faces the viewer
    int MaxWidth = 0;
    int MaxHeight = 0;
    std::vector<TSprFrame> Frames;
};

// The sprite. Throws TFailure "Not a sprite file", "Sprite version N is not
// supported", "Sprite header is cut short", "Sprite frame count N is not
// valid" or "... runs past the end of the entry", or as ReadIndexedPixels.
TSprite ReadSpr(std::span<const unsigned char> spr);

} // namespace zorvak
