// The picture container (WAD2, gfx.wad): a directory of named lumps holding
// status-bar pictures, textures, the palette and the console font.
#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

inline constexpr std::string_view kWad2Tag = "WAD2";
// Half-Life's kind: the same directory; its pictures carry their colours.
inline constexpr std::string_view kWad3Tag = "WAD3";
inline constexpr std::size_t kWadHeaderBytes = 12;   // "WAD2", int32 count, int32 offset
inline constexpr std::size_t kWadDirEntryBytes = 32; // three int32, two bytes, pad, name
inline constexpr std::size_t kWadPadBytes = 2;
inline constexpr std::size_t kWadNameBytes = 16;
inline constexpr std::uint8_t kWadTypePalette = 0x40;
// gfx.wad's own palette lump.
inline constexpr const char* kWadPaletteLumpName = "PALETTE";
inline constexpr std::uint8_t kWadTypeStatusPicture = 0x42;
inline constexpr std::uint8_t kWadTypeMipTexture = 0x44;
inline constexpr std::uint8_t kWad3TypeMipTexture = 0x43; // in a WAD3, with its colours
inline constexpr int kConsoleFontSide = 128;              // 16 x 16 characters of 8 x 8
inline constexpr int kConsoleCharSide = 8;

struct TWadLump {
    std::string Name;
    std::uint8_t Type = 0;
    std::uint8_t Compression = 0;
    std::uint32_t Offset = 0;
    std::uint32_t DiskSize = 0;
    std::uint32_t Size = 0;
    bool HalfLife = false; // of a WAD3: a picture's colours follow its pixels
};

enum class TWadLumpKind { wlkPalette, wlkStatusPicture, wlkMipTexture, wlkConsoleFont, wlkOther };

// Where the directory's records lie: read one at a time, a directory that
// claims millions costs nothing until they are asked for.
struct TWadDirectory {
    std::size_t Count = 0;
    std::size_t Offset = 0;
    bool HalfLife = false; // "WAD3"
};

// The directory's place, its count checked against the entry. Throws
// TFailure "Not a WAD2 file", "WAD2 directory lies outside the entry", "WAD2
// lump count N runs past the end of the entry" (WAD3 for Half-Life's).
TWadDirectory ReadWadHeader(std::span<const unsigned char> wad);

// Record index (below directory.Count) of the directory read by
// ReadWadHeader from the same bytes.
TWadLump ReadWadLump(std::span<const unsigned char> wad, const TWadDirectory& directory,
                     std::size_t index);

// The whole directory, in its order; throws as ReadWadHeader. Lumps' own
// bounds are checked when they are read.
std::vector<TWadLump> ReadWadDirectory(std::span<const unsigned char> wad);

// What a lump holds: by type, except the console font, which is known by its
// name and its raw 128 x 128 size whatever type it carries.
TWadLumpKind KindOfLump(const TWadLump& lump);
const char* LumpKindName(TWadLumpKind kind);
// A lump's type as it is told: "0x42".
std::string LumpTypeText(std::uint8_t type);

// The index drawn see-through for lumps of kind (kOpaque for none).
int TransparentIndexOf(TWadLumpKind kind);
// The same for one lump: Half-Life's textures whose name starts with "{"
// leave 255 out, its other pictures none.
int TransparentIndexOf(const TWadLump& lump);

// The lump's stored bytes. Throws TFailure "Lump NAME lies outside the entry",
// or "Lump NAME is compressed" (no such lump is known to exist to test against).
std::span<const unsigned char> WadLumpBytes(std::span<const unsigned char> wad,
                                            const TWadLump& lump);

// The lump as a picture: status-bar pictures and the console font as they
// are, a texture's full-size level, the palette as its 16 x 16 swatch. Throws
// TFailure "Lump NAME is not a picture", or as the lump's decoder.
TIndexedPicture ReadWadPicture(std::span<const unsigned char> wad, const TWadLump& lump);
// Its size, checked as ReadWadPicture checks it, with no pixel read.
TPictureSize WadPictureSize(std::span<const unsigned char> wad, const TWadLump& lump);

// The colours a WAD3 picture carries after its pixels. Throws as
// ReadMipTexturePalette.
TPalette WadLumpPalette(std::span<const unsigned char> wad, const TWadLump& lump);
// Whether the lump's picture has colours of its own (a WAD3's).
bool HasOwnPalette(const TWadLump& lump);

// A lump held alone, as a WAD (WAD3 for Half-Life's) of that one lump with
// its name and type, so every reader of containers reads it: what a WAD
// opened as an archive gives for one of its entries.
std::vector<unsigned char> LoneLumpWad(bool halfLife, std::string_view name, std::uint8_t type,
                                       std::span<const unsigned char> lump);

// Character c of the console font (its 8 x 8 cell, row c / 16, column c % 16).
// Throws TFailure "Not a console font" unless font is 128 x 128.
TIndexedPicture ConsoleCharacter(const TIndexedPicture& font, unsigned char c);

} // namespace zorvak
