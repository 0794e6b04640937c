// What an archive entry is, from its name and first bytes; what the preview
// and `info` say of it; and the pictures `extract --png` writes of it.
#pragma once

#include "formats/Picture.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

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
    ekImage, // .tga, .png, .jpg: left to the windows' picture readers
    ekWave,
};

// The kind of entry name (letter case ignored) holding bytes. The palette,
// the light table and gfx.wad go by name; a signature ("WAD2", "IDPO",
// "IDSP", RIFF WAVE, PNG) wins over the extension; version 29 makes a map
// only of an entry whose extension says nothing. Never throws.
TEntryKind ClassifyEntry(std::string_view name, std::span<const unsigned char> bytes);

// "Map", "Sound", ...: how a kind is called in descriptions.
const char* EntryKindName(TEntryKind kind);

// A few lines on the entry: its kind and size first, then its lumps,
// textures, skins, frames or sound format. A damaged entry gives its kind
// and "Cannot read: MESSAGE". Never throws a TFailure.
std::vector<std::string> DescribeEntry(std::string_view name, std::span<const unsigned char> bytes);

struct TNamedPicture {
    std::string Name; // as stored (a lump or texture name may hold any byte)
    TRgbaPicture Picture;
};

struct TEntryPictures {
    std::vector<TNamedPicture> Pictures;
    std::vector<std::string> Problems; // "NAME: MESSAGE" for each picture left out
};

// The pictures an entry holds, in palette's colours (a palette shows its own):
// .lmp pictures, the palette and the light table, gfx.wad's lumps, a map's
// textures, a model's skins, a sprite's frames, a .pcx. Other kinds hold none.
// Never throws a TFailure; what cannot be read is listed in Problems.
TEntryPictures EntryPictures(std::string_view name, std::span<const unsigned char> bytes,
                             const TPalette& palette);

} // namespace zorvak
