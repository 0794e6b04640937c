// What an archive entry is, from its name and first bytes, and what the
// preview and `info` say of it. The pictures it holds: formats/EntryParts.h.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

// The two entries known by their names (letter case ignored).
inline constexpr const char* kPaletteEntryName = "gfx/palette.lmp";
inline constexpr const char* kColormapEntryName = "gfx/colormap.lmp";
// Quake II keeps its palette in the picture of its colour map.
inline constexpr const char* kQuake2PaletteEntryName = "pics/colormap.pcx";

enum class TEntryKind {
    ekUnknown,
    ekText,
    ekPalette,    // gfx/palette.lmp
    ekColormap,   // gfx/colormap.lmp
    ekLmpPicture, // any other .lmp
    ekWad2,
    ekBsp,
    ekModel,
    ekSprite,
    ekPcx,
    ekTga,
    ekWal, // Quake II's textures
    ekMd2, // Quake II's models
    ekSp2, // Quake II's sprites
    ekQuake2Map,
    ekImage, // .png, .jpg: left to the windows' picture readers
    // One lump of a WAD opened as an archive, held as a WAD of its own
    // (LoneLumpWad): never told by ClassifyEntry, whose caller knows it.
    ekWadLump,
    ekWave,
};

// The kind of entry name (letter case ignored) holding bytes. A signature
// ("WAD2", "WAD3", "IDPO", "IDSP", "IDP2", "IDS2", "BSP2", "2PSB", "IBSP"
// with version 38, RIFF WAVE, PNG, JPEG) comes first, whatever the name; then the palette, the
// light table and gfx.wad go by name, the rest by extension; version 29
// makes a map only of an entry whose extension says nothing. Never throws.
TEntryKind ClassifyEntry(std::string_view name, std::span<const unsigned char> bytes);

// "Map", "Sound", ...: how a kind is called in descriptions.
const char* EntryKindName(TEntryKind kind);
// How an entry of kind named name holding bytes is called, where its bytes
// name a variant of the kind: "Picture container (WAD3)", "PNG picture";
// else as EntryKindName.
std::string EntryKindTitle(TEntryKind kind, std::string_view name,
                           std::span<const unsigned char> bytes);

// A few lines on the entry: its kind and size first, then its lumps,
// textures, skins or frames (each list cut after kMaxListedParts lines, with
// a line that counts the rest) or sound format. Told from headers alone: no
// picture is decoded to tell its size. A damaged entry gives its kind and
// "Cannot read: MESSAGE". stop (may be empty) is asked now and then; true
// ends the description with the lines it has. Never throws a TFailure.
std::vector<std::string> DescribeEntry(std::string_view name, std::span<const unsigned char> bytes,
                                       const std::function<bool()>& stop = {});
// The same for an entry whose kind its caller knows (a WAD's lump).
std::vector<std::string> DescribeEntry(TEntryKind kind, std::string_view name,
                                       std::span<const unsigned char> bytes,
                                       const std::function<bool()>& stop = {});

// Whose palette an entry's pictures index: Quake's or Quake II's (its
// textures and the textures its maps name).
enum class TPaletteGame { pgQuake, pgQuake2 };
TPaletteGame PaletteGameOf(TEntryKind kind);
// Where that game keeps its palette: gfx/palette.lmp, pics/colormap.pcx.
const char* PaletteEntryNameOf(TPaletteGame game);

} // namespace zorvak
