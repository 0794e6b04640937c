// Wall textures as both the picture container and maps store them: a name,
// a size and four levels of detail, of which the full-size one is shown.
#pragma once

#include "formats/Picture.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zorvak {

inline constexpr std::size_t kMipNameBytes = 16;
inline constexpr std::size_t kMipLevels = 4;
// The name, the width and height, an offset for each level.
inline constexpr std::size_t kMipTextureHeaderBytes = kMipNameBytes + 8 + 4 * kMipLevels;

struct TMipTextureHeader {
    std::string Name;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::array<std::uint32_t, kMipLevels> Offsets{}; // from the header's start
};

// The header at the start of bytes. Throws TFailure "Texture header is cut
// short".
TMipTextureHeader ReadMipTextureHeader(std::span<const unsigned char> bytes);

// The full-size level of the texture that starts bytes. Throws TFailure
// "Texture NAME keeps its pixels elsewhere" when its offset is zero (a map
// built against outside textures), as CheckPictureSize, or "Pixel data of
// texture NAME lies outside the entry".
TIndexedPicture ReadMipTexture(std::span<const unsigned char> bytes);
// The full-size level's size, checked as ReadMipTexture checks it, with no
// pixel read.
TPictureSize MipTextureSize(std::span<const unsigned char> bytes);

// Half-Life's textures carry their colours after the smallest level: a
// 16-bit count of at most 256, then that many RGB triples (the rest black).
// Throws TFailure "Palette of texture NAME lies outside the entry", or
// "Palette of texture NAME holds N colours".
TPalette ReadMipTexturePalette(std::span<const unsigned char> bytes);
// The same after a picture's pixels, which end at end within bytes.
TPalette ReadPaletteAfter(std::span<const unsigned char> bytes, std::size_t end,
                          const std::string& what);
// The index drawn see-through in a Half-Life texture: 255 in those whose
// name starts with "{", else none (kOpaque).
int HalfLifeTransparentIndex(const std::string& textureName);

} // namespace zorvak
