// Quake II's maps (.bsp, "IBSP" version 38): nineteen lumps, of which the
// texture information names the walls' textures. The textures themselves
// are entries of their own, textures/NAME.wal, found in the archive.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

inline constexpr std::string_view kQuake2MapTag = "IBSP";
inline constexpr std::int32_t kQuake2MapVersion = 38;
inline constexpr std::size_t kQuake2MapLumpCount = 19;
// The tag, the version, then an offset and a length for each lump.
inline constexpr std::size_t kQuake2MapHeaderBytes = 8 + kQuake2MapLumpCount * 8;
inline constexpr std::size_t kQuake2TexinfoLump = 5;
// A record of texture information: two axes with their offsets (eight
// floats), flags and value, the texture's name, the next of an animation.
inline constexpr std::size_t kQuake2TexinfoBytes = 76;
inline constexpr std::size_t kQuake2TexinfoNameAt = 40;
inline constexpr std::size_t kQuake2TextureNameBytes = 32;
// More records than any map holds (the game's own bound is 8,192): a count
// past it is a hostile one, each of whose names would be kept to be told
// apart.
inline constexpr std::size_t kQuake2MaxTexinfo = std::size_t{1} << 17;

// Whether the first bytes are a Quake II map's tag and version.
bool IsQuake2Map(std::span<const unsigned char> bytes);

struct TQuake2Map {
    std::size_t Records = 0; // of texture information
    // The textures' names, each once (letter case ignored, as the archive
    // finds them), in the order the records first use them: at most as many
    // as asked for.
    std::vector<std::string> Textures;
    std::size_t TextureCount = 0; // the names told apart, in all
};

// The lumps checked against the entry and the textures named. Throws
// TFailure "Not a Quake II map file", "Quake II map header is cut short",
// "Quake II map version N is not supported", "Quake II map lump NAME lies
// outside the entry", "Quake II map's texture information holds N bytes,
// not whole records of 76", or "Quake II map's texture information holds
// N records, more than a map holds".
TQuake2Map ReadQuake2Map(std::span<const unsigned char> bsp, std::size_t most);

// The entry a texture of the map is kept in: textures/NAME.wal.
std::string Quake2TextureEntry(std::string_view texture);

} // namespace zorvak
