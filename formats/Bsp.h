// Maps (.bsp, version 29): the lump directory and the textures lump, whose
// textures are the ones the map's walls are drawn with.
#pragma once

#include "formats/Picture.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

inline constexpr std::int32_t kBspVersion = 29;
// Half-Life's maps: the same lumps; textures carry their own colours.
inline constexpr std::int32_t kBspHalfLifeVersion = 30;
// The large maps' variants, known by these signatures in the version's place.
inline constexpr std::string_view kBsp2Tag = "BSP2";
inline constexpr std::string_view kBsp2OldTag = "2PSB";
inline constexpr std::size_t kBspLumpCount = 15;
// The version, then an offset and a length for each lump.
inline constexpr std::size_t kBspHeaderBytes = 4 + kBspLumpCount * 8;
inline constexpr std::size_t kBspTexturesLump = 2;
// More textures than any map holds: a count past it is a hostile one, whose
// offsets could all name one texture and cost a record each.
inline constexpr std::int32_t kBspMaxTextures = 65536;

struct TBspLump {
    std::uint32_t Offset = 0;
    std::uint32_t Length = 0;
};

struct TBspTexture {
    std::string Name;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    bool Missing = false;     // the lump lists the slot but holds no texture there
    std::uint32_t Offset = 0; // from the textures lump's start
};

struct TBspInfo {
    // "version 29", or the signature of the large maps' variants ("BSP2",
    // "2PSB"), whose textures lump is laid out as version 29's.
    std::string Variant;
    bool HalfLife = false; // version 30
    std::array<TBspLump, kBspLumpCount> Lumps{};
    std::vector<TBspTexture> Textures;
};

// Name of lump i ("entities", "planes", "textures", ...).
const char* BspLumpName(std::size_t index);

// Whether the first four bytes are a version 29 map's or a large map's.
bool IsBspSignature(std::span<const unsigned char> bytes);

// The directory and the texture list. Throws TFailure "Not a version 29 map
// (version N)", "Map lump NAME lies outside the entry", "Texture count N runs
// past the end of the textures lump", "Texture count N is more than a map
// holds", "Texture N lies outside the textures
// lump".
TBspInfo ReadBspInfo(std::span<const unsigned char> bsp);

// Why texture index has no picture when the list marks it Missing.
std::string MissingTextureMessage(std::size_t index);

// The full-size level of texture index of the list. Throws TFailure
// "Texture N is missing from the map", or as ReadMipTexture.
TIndexedPicture ReadBspTexture(std::span<const unsigned char> bsp, const TBspInfo& info,
                               std::size_t index);

} // namespace zorvak
