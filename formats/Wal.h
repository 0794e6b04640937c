// Quake II's wall textures (.wal): a name, a size, four levels of detail, the
// next frame of an animation and the surface's flags; the pixels index the
// game's palette, the one in pics/colormap.pcx.
#pragma once

#include "formats/Picture.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zorvak {

inline constexpr std::size_t kWalNameBytes = 32;
inline constexpr std::size_t kWalLevels = 4;
// The name, width and height, the levels' offsets, the next frame's name,
// then flags, contents and value.
inline constexpr std::size_t kWalHeaderBytes =
    kWalNameBytes + 8 + 4 * kWalLevels + kWalNameBytes + 12;

struct TWalHeader {
    std::string Name;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::array<std::uint32_t, kWalLevels> Offsets{}; // from the file's start
    std::string NextFrame;                           // empty when not animated
};

// Throws TFailure "Texture header is cut short".
TWalHeader ReadWalHeader(std::span<const unsigned char> wal);

// The full-size level. Throws as ReadWalHeader, as CheckPictureSize, or
// "Pixel data of texture NAME lies outside the entry".
TIndexedPicture ReadWal(std::span<const unsigned char> wal);

// Its size, checked as ReadWal checks it, with no pixel read.
TPictureSize WalSize(std::span<const unsigned char> wal);
// The same of a texture length bytes long whose first bytes are head (its
// header at least): checked as ReadWal would check the whole.
TPictureSize WalSize(std::span<const unsigned char> head, std::uint64_t length);

} // namespace zorvak
